// The update window on Win32: its messages, the focus it keeps and the wait cursor.
#include <windows.h>

#include "platform/win32/CheckList_win32.h"
#include "platform/win32/UpdateWindow_win32.h"
#include "platform/win32/WindowGuard_win32.h"

namespace platform::win32 {

void UpdateWindow::setHourGlass(bool on) {
  m_hourGlass = on;
  POINT at{};
  ::GetCursorPos(&at);
  HWND under = ::WindowFromPoint(at);
  if (under == m_hwnd || ::IsChild(m_hwnd, under)) {
    ::SetCursor(::LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
  }
}

void UpdateWindow::restoreFocus() {
  if (::GetActiveWindow() != m_hwnd || ::GetFocus() != nullptr) return;
  HWND target = m_lastFocus;
  if (target == nullptr || !::IsChild(m_hwnd, target) || !::IsWindowVisible(target) ||
      !::IsWindowEnabled(target)) {
    target = ::GetNextDlgTabItem(m_hwnd, nullptr, FALSE);
  }
  ::SetFocus(target != nullptr ? target : m_hwnd);
}

LRESULT CALLBACK UpdateWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<UpdateWindow*>(create->lpCreateParams);
    self->m_hwnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<UpdateWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return guardedMessage([&] { return self->handleMessage(message, wParam, lParam); }, 0);
}

LRESULT UpdateWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(m_hwnd, focus)) m_lastFocus = focus;
        return 0;
      }
      restoreFocus();
      // Every activation counts, not only the first: the logic repeats its ready steps.
      if (m_events) m_events->onActivate();
      return 0;
    case WM_CLOSE:
      if (m_closed || (m_events && !m_events->onClose())) return 0;
      m_closed = true;
      ::ShowWindow(m_hwnd, SW_HIDE);
      return 0;
    case WM_COMMAND:
      onCommand(wParam, lParam);
      return 0;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      item->itemHeight = static_cast<UINT>(m_design.checkList.itemHeight);
      return TRUE;
    }
    case WM_DRAWITEM:
      if (m_checkList && wParam == static_cast<WPARAM>(controlId(Control::CheckListBox1))) {
        // Every paint would fail again and show another box: the first failure is shown, the
        // list then stays as the system leaves it.
        if (!m_paintFailed) {
          try {
            m_checkList->draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
          } catch (...) {
            m_paintFailed = true;
            reportWindowFailure();
          }
        }
        return TRUE;
      }
      break;
    case WM_SETCURSOR:
      if (m_hourGlass) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void UpdateWindow::onCommand(WPARAM wParam, LPARAM lParam) {
  if (m_events == nullptr) return;
  const int id = LOWORD(wParam);
  if (lParam == 0 && HIWORD(wParam) == 0) {
    if (id == menuCommandId(MenuCommand::ProxyIP)) m_events->onProxyIPMenuClick();
    if (id == menuCommandId(MenuCommand::ProxyPort)) m_events->onProxyPortMenuClick();
    return;
  }
  if (HIWORD(wParam) != BN_CLICKED) return;
  if (id == controlId(Control::DownLoadButton)) m_events->onDownLoadClick();
  if (id == controlId(Control::CancelButton)) m_events->onCancelClick();
}

}  // namespace platform::win32
