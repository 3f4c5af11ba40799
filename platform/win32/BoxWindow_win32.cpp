// A small modal window of the program's own: the frame of its message and input boxes.
#include "platform/win32/BoxWindow_win32.h"

#include "platform/win32/MessagePump_win32.h"
#include "platform/win32/WindowClass_win32.h"
#include "platform/win32/WindowGuard_win32.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"BrevanBox";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

}  // namespace

BoxWindow::BoxWindow(HWND owner, HFONT font, const std::wstring& title, int clientWidth,
                     int clientHeight)
    : m_owner(owner), m_font(font) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  registerWindowClass(kClassName, &BoxWindow::windowProc, nullptr);
  RECT frame{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  m_hwnd = ::CreateWindowExW(kExStyle, kClassName, title.c_str(), kStyle, left, top, width, height,
                             owner, nullptr, instance, this);
}

BoxWindow::~BoxWindow() {
  if (m_hwnd != nullptr) ::DestroyWindow(m_hwnd);
}

HWND BoxWindow::addControl(const wchar_t* windowClass, const std::wstring& text, DWORD style,
                           const RECT& place, int id, DWORD exStyle) {
  HWND control = ::CreateWindowExW(
      exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left, place.top,
      place.right - place.left, place.bottom - place.top, m_hwnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
  return control;
}

void BoxWindow::setKeys(int defaultId, int escapeId) {
  m_defaultId = defaultId;
  m_escapeId = escapeId;
}

int BoxWindow::run(HWND focus) {
  const bool ownerWasEnabled = m_owner != nullptr && ::IsWindowEnabled(m_owner);
  if (ownerWasEnabled) ::EnableWindow(m_owner, FALSE);
  ::ShowWindow(m_hwnd, SW_SHOW);
  ::SetForegroundWindow(m_hwnd);
  if (focus != nullptr) ::SetFocus(focus);

  MSG msg{};
  while (!m_done) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_answer = 0;
      break;
    }
    if (got == -1) break;
    dispatchMessage(msg, m_hwnd);
  }

  // The owner is enabled again before the box goes, so the activation returns to it.
  if (ownerWasEnabled) ::EnableWindow(m_owner, TRUE);
  ::ShowWindow(m_hwnd, SW_HIDE);
  return m_answer;
}

void BoxWindow::answer(int id) {
  m_answer = id;
  m_done = true;
}

LRESULT CALLBACK BoxWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<BoxWindow*>(create->lpCreateParams);
    self->m_hwnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<BoxWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return guardedMessage([&] { return self->handleMessage(message, wParam, lParam); }, 0);
}

LRESULT BoxWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case DM_GETDEFID:
      return MAKELRESULT(m_defaultId, DC_HASDEFID);
    case WM_COMMAND:
      // Escape arrives as IDCANCEL whatever buttons the box has.
      if (HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        answer(id == IDCANCEL ? m_escapeId : id);
      }
      return 0;
    case WM_CLOSE:
      answer(m_escapeId);
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

}  // namespace platform::win32
