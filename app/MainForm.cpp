// The update window's construction and the wiring of its events to the handlers.
#include "app/MainForm.h"

#include "app/Dialogs.h"

TMainForm::TMainForm(platform::View& view, platform::Services& services, LhaBinding* lha)
    : m_view(view), m_services(services), m_lha(lha), m_proxySignIn(view) {
  if (m_services.makeHttp) {
    ipwHTTP = m_services.makeHttp();
    ipwHTTP2 = m_services.makeHttp();
    ipwHTTP_lha32 = m_services.makeHttp();
    // Both download components report to the same handlers; the third has none.
    ipwHTTP->setEvents(this);
    ipwHTTP2->setEvents(this);
    // A proxy's sign-in is asked once and serves both passes.
    ipwHTTP->setSignIn(&m_proxySignIn);
    ipwHTTP2->setSignIn(&m_proxySignIn);
  }
  m_view.setEvents(this);
  FormCreate();
}

TMainForm::~TMainForm() {
  m_view.setEvents(nullptr);
  if (ipwHTTP) ipwHTTP->setEvents(nullptr);
  if (ipwHTTP2) ipwHTTP2->setEvents(nullptr);
  if (ipwHTTP) ipwHTTP->setSignIn(nullptr);
  if (ipwHTTP2) ipwHTTP2->setSignIn(nullptr);
}

void TMainForm::showException(const std::exception& e) { app::showError(m_view, e.what()); }

// Errors that reach the top of a window handler are shown and end that handler only.
#define BREVAN_HANDLER(call)          \
  try {                               \
    call;                             \
  } catch (const std::exception& e) { \
    showException(e);                 \
  }

void TMainForm::onActivate() { BREVAN_HANDLER(FormActivate()) }
void TMainForm::onDownLoadClick() { BREVAN_HANDLER(DownLoadButtonClick()) }
void TMainForm::onCancelClick() { BREVAN_HANDLER(CancelButtonClick()) }
void TMainForm::onCheckListClickCheck() { BREVAN_HANDLER(CheckListBox1ClickCheck()) }
void TMainForm::onProxyIPMenuClick() { BREVAN_HANDLER(ProxyIPMenuClick()) }
void TMainForm::onProxyPortMenuClick() { BREVAN_HANDLER(ProxyPortMenuClick()) }

#undef BREVAN_HANDLER

bool TMainForm::onClose() {
  if (m_closed) return true;
  // Half an installation must never be left behind by a close request during the expansion.
  if (m_expanding) return false;
  try {
    FormClose();
  } catch (const std::exception& e) {
    // The window stays open until the plug-in list can be written.
    showException(e);
    return false;
  }
  return true;
}

void TMainForm::OnHeader(platform::HttpTransfer& sender, const std::string& field,
                         const std::string& value) {
  ipwHTTPHeader(sender, field, value);
}
void TMainForm::OnStartTransfer(platform::HttpTransfer& sender, int direction) {
  ipwHTTPStartTransfer(sender, direction);
}
void TMainForm::OnTransfer(platform::HttpTransfer& sender, int direction, int32_t bytes,
                           std::string_view text) {
  ipwHTTPTransfer(sender, direction, bytes, text);
}
void TMainForm::OnEndTransfer(platform::HttpTransfer& sender, int direction) {
  ipwHTTPEndTransfer(sender, direction);
}
void TMainForm::OnError(platform::HttpTransfer& sender, int errorCode,
                        const std::string& description) {
  ipwHTTPError(sender, errorCode, description);
}
