// The update window on Win32: native controls at their designed pixel places.
#include "platform/win32/UpdateWindow_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "platform/win32/CheckList_win32.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowClass_win32.h"

namespace platform::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 200;
constexpr UINT kLabelFormat = DT_NOPREFIX | DT_EXPANDTABS;

// Text extent of a label: its widest line by the height of its lines.
SIZE labelSize(HWND label, HFONT font, const std::wstring& text) {
  HDC dc = ::GetDC(label);
  HGDIOBJ old = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  RECT box{0, 0, 0, metrics.tmHeight};
  if (!text.empty()) {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kLabelFormat | DT_CALCRECT);
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(label, dc);
  return SIZE{box.right - box.left, box.bottom - box.top};
}

// Keyboard order first (the design's tab order), then the controls that take no focus.
std::vector<const ControlDesign*> inTabOrder(std::span<const ControlDesign> rows) {
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& row : rows) order.push_back(&row);
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    const int left = a->tabOrder < 0 ? INT_MAX : a->tabOrder;
    const int right = b->tabOrder < 0 ? INT_MAX : b->tabOrder;
    return left < right;
  });
  return order;
}

}  // namespace

UpdateWindow::UpdateWindow(const WindowDesign& design)
    : m_design(design), m_controls(design.controls.size(), nullptr) {
  INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&common);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const std::wstring className = widen(design.name);
  // The program's own icon, where its image carries one.
  HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  registerWindowClass(className.c_str(), &UpdateWindow::windowProc,
                      icon != nullptr ? icon : ::LoadIconW(nullptr, IDI_APPLICATION));
  m_formFont = fontFor(design.font);
  m_hwnd = ::CreateWindowExW(kExStyle, className.c_str(), widen(design.caption).c_str(), kStyle,
                             CW_USEDEFAULT, CW_USEDEFAULT, design.clientWidth, design.clientHeight,
                             nullptr, buildMenu(), instance, this);
  if (m_hwnd == nullptr) throw std::runtime_error("更新ウィンドウを作成できません。");
  ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_formFont), FALSE);
  HWND after = HWND_TOP;
  for (const ControlDesign* row : inTabOrder(design.controls)) after = buildControl(*row, after);
  setClientSize(design.clientWidth, design.clientHeight);
}

UpdateWindow::~UpdateWindow() {
  m_events = nullptr;
  // The controls go with the window, before the list object and the fonts they use.
  ::DestroyWindow(m_hwnd);
  for (const Font& font : m_fonts) ::DeleteObject(font.handle);
}

HFONT UpdateWindow::fontFor(const FontDesign& font) {
  for (const Font& known : m_fonts) {
    if (known.design.face == font.face && known.design.height == font.height) return known.handle;
  }
  // A negative height is the character height in pixels: the design's pixels, never scaled.
  HFONT handle = ::CreateFontW(-font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, widen(font.face).c_str());
  m_fonts.push_back({font, handle});
  return handle;
}

HMENU UpdateWindow::buildMenu() const {
  HMENU bar = ::CreateMenu();
  HMENU popup = ::CreatePopupMenu();
  for (const MenuItemDesign& item : m_design.menu.items) {
    ::AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(menuCommandId(item.command)),
                  widen(item.text).c_str());
  }
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                widen(m_design.menu.text).c_str());
  return bar;
}

int UpdateWindow::controlId(Control c) { return kFirstControlId + static_cast<int>(c); }

int UpdateWindow::menuCommandId(MenuCommand command) {
  return kFirstMenuId + static_cast<int>(command);
}

HWND UpdateWindow::buildControl(const ControlDesign& row, HWND after) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  DWORD style = WS_CHILD;
  if (row.visible) style |= WS_VISIBLE;
  if (!row.enabled) style |= WS_DISABLED;
  const RECT place{row.left, row.top, row.left + row.width, row.top + row.height};
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(row.control)));
  HWND hwnd = nullptr;
  switch (row.kind) {
    case ControlKind::Label:
      style |= SS_NOPREFIX | (row.align == TextAlign::Right ? SS_RIGHT : SS_LEFTNOWORDWRAP);
      hwnd = ::CreateWindowExW(0, L"STATIC", widen(row.text).c_str(), style, place.left, place.top,
                               row.width, row.height, m_hwnd, id, instance, nullptr);
      break;
    case ControlKind::CheckList:
      m_checkList =
          std::make_unique<CheckList>(m_hwnd, controlId(row.control), place, m_design.checkList,
                                      fontFor(row.font), style | WS_TABSTOP);
      hwnd = m_checkList->handle();
      m_checkList->userTicked = [this](int) {
        if (m_events) m_events->onCheckListClickCheck();
      };
      break;
    case ControlKind::ProgressBar: {
      // The bar has a place in the keyboard order but never takes the focus.
      if (m_design.progressBar.smooth) style |= PBS_SMOOTH;
      hwnd = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", style, place.left, place.top, row.width,
                               row.height, m_hwnd, id, instance, nullptr);
      ::SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(m_design.progressBar.minimum),
                     m_design.progressBar.maximum);
      ::SendMessageW(hwnd, PBM_SETSTEP, static_cast<WPARAM>(m_design.progressBar.step), 0);
      ::SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(m_design.progressBar.minimum), 0);
      break;
    }
    case ControlKind::Button:
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      hwnd = ::CreateWindowExW(0, L"BUTTON", widen(row.text).c_str(), style, place.left, place.top,
                               row.width, row.height, m_hwnd, id, instance, nullptr);
      break;
  }
  m_controls[static_cast<size_t>(row.control)] = hwnd;
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(row.font)), FALSE);
  ::SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // A label without a design box sizes itself to its text.
  if (row.kind == ControlKind::Label && row.width == 0) fitLabel(row.control);
  return hwnd;
}

void UpdateWindow::fitLabel(Control c) {
  const ControlDesign& row = m_design.control(c);
  HWND label = control(c);
  const SIZE size = labelSize(label, fontFor(row.font), widen(windowText(label)));
  RECT now{};
  ::GetWindowRect(label, &now);
  ::MapWindowPoints(HWND_DESKTOP, m_hwnd, reinterpret_cast<POINT*>(&now), 2);
  const int left = row.align == TextAlign::Right ? row.left + row.width - size.cx : now.left;
  // No bits copied from the old place: a right-aligned label moves with its text, and copied
  // pixels would leave the old text's tail beside the new one.
  ::SetWindowPos(label, nullptr, left, now.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  ::InvalidateRect(m_hwnd, &now, TRUE);
  ::InvalidateRect(label, nullptr, TRUE);
}

void UpdateWindow::setCaption(Control c, const std::string& text) {
  const ControlKind kind = m_design.control(c).kind;
  if (kind != ControlKind::Label && kind != ControlKind::Button) return;
  ::SetWindowTextW(control(c), widen(text).c_str());
  if (kind == ControlKind::Label) fitLabel(c);
}

std::string UpdateWindow::caption(Control c) const {
  const ControlKind kind = m_design.control(c).kind;
  if (kind != ControlKind::Label && kind != ControlKind::Button) return {};
  return windowText(control(c));
}

void UpdateWindow::setClientSize(int width, int height) {
  RECT frame{0, 0, width, height};
  ::AdjustWindowRectEx(&frame, kStyle, TRUE, kExStyle);
  ::SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps takes more than one line; the frame grows by what is missing.
  RECT client{};
  ::GetClientRect(m_hwnd, &client);
  if (client.right != width || client.bottom != height) {
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                   frame.bottom - frame.top + height - client.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void UpdateWindow::centreOnScreen() {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame{};
  ::GetWindowRect(m_hwnd, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace platform::win32
