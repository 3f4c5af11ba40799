// The transfer events: progress display, announced length, errors and the end of a pass's files.
#include <cmath>
#include <cstdio>

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/Numbers.h"
#include "app/StatusTexts.h"
#include "app/TextRules.h"
#include "platform/AsciiCase.h"

using platform::Control;

namespace {

// A length in its shortest general decimal form; integral values print without a point.
std::string lengthText(double length) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", length);
  return buffer;
}

int workCount(const TMainForm& form) {
  return form.WorkList ? static_cast<int>(form.WorkList->size()) : 0;
}

}  // namespace

void TMainForm::ipwHTTPStartTransfer(platform::HttpTransfer&, int) {
  TransferDone = false;
  m_view.setProgress(0);
  m_view.setCaption(Control::ProgressLabel, "");
  if (!CancelRequested) {
    // Whole numbers: a double gives 57 for the 29th of 50 files.
    int64_t count = workCount(*this);
    int64_t percent = count > 0 ? int64_t{CurrentItem} * 100 / count : 0;
    m_view.setCaption(Control::MsgLabel,
                      std::string(FirstPass ? "アップデートコンポーネント(1)のダウンロード "
                                            : "アップデートコンポーネント(2)のダウンロード ") +
                          std::to_string(percent) + "%");
  }
  m_view.repaint(Control::MsgLabel);
}

void TMainForm::ipwHTTPHeader(platform::HttpTransfer&, const std::string& field,
                              const std::string& value) {
  if (platform::ascii::toUpper(field) != "CONTENT-LENGTH") return;
  std::string trimmed = value;
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
  // A length that cannot be read keeps the unreachable default, so the file never counts as
  // complete.
  if (auto n = app::typedInteger(trimmed)) ContentLength = *n;
}

void TMainForm::ipwHTTPTransfer(platform::HttpTransfer&, int, int32_t bytesTransferred,
                                std::string_view) {
  TransferredBytes = bytesTransferred;
  if (!CancelRequested) {
    // No announced length, or a body beyond it, keeps the bar inside its range.
    double ratio = ContentLength > 0 ? bytesTransferred / ContentLength * 100.0 : 0.0;
    double position = std::nearbyint(std::fmin(std::fmax(ratio, 0.0), 100.0));
    m_view.setProgress(static_cast<int>(position));
    m_view.setCaption(Control::ProgressLabel, std::to_string(bytesTransferred) + "/" +
                                                  lengthText(ContentLength) + " Bytes Completion");
  }
  m_view.repaint(Control::ProgressLabel);
}

void TMainForm::ipwHTTPEndTransfer(platform::HttpTransfer&, int) {
  m_view.setCaption(Control::ProgressLabel, lengthText(ContentLength) + " Bytes Completed");
  m_view.repaint(Control::ProgressLabel);
  if (static_cast<double>(TransferredBytes) != ContentLength) {
    m_view.setCaption(Control::DownLoadButton, "アップデート開始");
    m_view.setCaption(Control::MsgLabel, app::kReadyMessage);
    m_view.repaint(Control::MsgLabel);
    m_view.setCaption(Control::ProgressLabel, "");
    m_view.setProgress(0);
    TransferDone = false;
    TransferredBytes = 0;
  } else if (workCount(*this) == CurrentItem && CurrentItem > 0) {
    TransferDone = true;
  }
}

void TMainForm::ipwHTTPError(platform::HttpTransfer&, int errorCode,
                             const std::string& description) {
  if (CancelRequested) return;
  app::showError(m_view, "[" + std::to_string(errorCode) + "]" + description);
  CancelRequested = true;
}
