// The update window on Win32: the platform's view of the program, with its boxes and messages.
#include "platform/win32/Win32View.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/CheckList_win32.h"
#include "platform/win32/Dialogs_win32.h"
#include "platform/win32/MessagePump_win32.h"
#include "platform/win32/UpdateWindow_win32.h"

namespace platform::win32 {

Win32View::Win32View(const WindowDesign& design)
    : m_window(std::make_unique<UpdateWindow>(design)) {}

Win32View::~Win32View() { m_window->setEvents(nullptr); }

void Win32View::processMessages() { (void)runPendingMessages(m_window->handle()); }

void Win32View::waitMessages(unsigned timeoutMs) {
  (void)waitForMessages(m_window->handle(), timeoutMs);
}

void Win32View::setEvents(ViewEvents* events) { m_window->setEvents(events); }

void Win32View::setCaption(Control c, const std::string& text) { m_window->setCaption(c, text); }

std::string Win32View::caption(Control c) const { return m_window->caption(c); }

void Win32View::setVisible(Control c, bool visible) {
  ::ShowWindow(m_window->control(c), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32View::isVisible(Control c) const {
  return (::GetWindowLongW(m_window->control(c), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32View::setEnabled(Control c, bool enabled) {
  ::EnableWindow(m_window->control(c), enabled ? TRUE : FALSE);
}

bool Win32View::isEnabled(Control c) const {
  return ::IsWindowEnabled(m_window->control(c)) != FALSE;
}

void Win32View::repaint(Control c) {
  ::RedrawWindow(m_window->control(c), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

void Win32View::setClientSize(int width, int height) { m_window->setClientSize(width, height); }

void Win32View::setWindowEnabled(bool enabled) {
  ::EnableWindow(m_window->handle(), enabled ? TRUE : FALSE);
  // Disabling took the focus away; the user gets it back without a click.
  if (enabled) m_window->restoreFocus();
}

bool Win32View::isWindowEnabled() const { return ::IsWindowEnabled(m_window->handle()) != FALSE; }

void Win32View::setCursor(CursorShape shape) {
  m_window->setHourGlass(shape == CursorShape::HourGlass);
}

int Win32View::itemCount() const { return m_window->checkList().count(); }

std::string Win32View::itemText(int index) const { return m_window->checkList().itemText(index); }

bool Win32View::isChecked(int index) const { return m_window->checkList().isTicked(index); }

void Win32View::setChecked(int index, bool checked) {
  m_window->checkList().setTicked(index, checked);
}

int Win32View::itemIndex() const { return m_window->checkList().current(); }

void Win32View::setProgress(int position) {
  const ProgressBarDesign& bar = m_window->design().progressBar;
  ::SendMessageW(m_window->control(Control::ProgressBar), PBM_SETPOS,
                 static_cast<WPARAM>(std::clamp(position, bar.minimum, bar.maximum)), 0);
}

int Win32View::progress() const {
  return static_cast<int>(
      ::SendMessageW(m_window->control(Control::ProgressBar), PBM_GETPOS, 0, 0));
}

namespace {

// The boxes belong to the window while it is on the screen; before it is shown they stand alone.
HWND boxOwner(const UpdateWindow& window) {
  return ::IsWindowVisible(window.handle()) ? window.handle() : nullptr;
}

}  // namespace

MessageAnswer Win32View::messageBox(MessageKind kind, const std::string& title,
                                    const std::string& text, MessageButtons buttons) {
  return showMessageBox(boxOwner(*m_window), m_window->formFont(), m_window->design().boxButtons,
                        kind, title, text, buttons);
}

std::optional<std::string> Win32View::askInput(const std::string& title, const std::string& prompt,
                                               const std::string& value, platform::InputMode mode) {
  return showInputBox(boxOwner(*m_window), m_window->formFont(), m_window->design().boxButtons,
                      title, prompt, value, mode == platform::InputMode::Password);
}

void Win32View::show() {
  m_window->centreOnScreen();
  HWND hwnd = m_window->handle();
  ::ShowWindow(hwnd, SW_SHOW);
  ::SetForegroundWindow(hwnd);
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int Win32View::runMessageLoop() {
  HWND hwnd = m_window->handle();
  MSG msg{};
  while (!m_terminated && !m_window->hasClosed()) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    dispatchMessage(msg, hwnd);
  }
  return 0;
}

void Win32View::postClose() { ::PostMessageW(m_window->handle(), WM_CLOSE, 0, 0); }

void Win32View::terminate() {
  m_terminated = true;
  // Wakes the loop if it is waiting; the flag ends it.
  ::PostMessageW(m_window->handle(), WM_NULL, 0, 0);
}

}  // namespace platform::win32
