// The standards list: an owner-drawn list box in columns, each item with its own tick box.
#include "platform/win32/CheckList_win32.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowGuard_win32.h"

namespace platform::win32 {

namespace {

// The tick box is a classic 13-pixel check box at the item's left; the text follows it.
constexpr int kTickSize = 13;
constexpr int kTextLeft = kTickSize + 3;

}  // namespace

CheckList::CheckList(HWND parent, int id, const RECT& place, const CheckListDesign& design,
                     HFONT font, DWORD extraStyle)
    : m_itemHeight(design.itemHeight) {
  const DWORD style = WS_CHILD | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTICOLUMN |
                      LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | extraStyle;
  m_hwnd = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", style, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(m_hwnd, LB_SETITEMHEIGHT, 0, m_itemHeight);
  RECT inner{};
  ::GetClientRect(m_hwnd, &inner);
  const int columns = design.columns > 0 ? design.columns : 1;
  ::SendMessageW(m_hwnd, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(inner.right / columns), 0);
  for (std::string_view text : design.items) {
    ::SendMessageW(m_hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
    m_ticks.push_back(false);
  }
  ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_listProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CheckList::listProc)));
}

std::string CheckList::itemText(int index) const {
  if (index < 0 || index >= count()) return {};
  const LRESULT length = ::SendMessageW(m_hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = ::SendMessageW(m_hwnd, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
  return narrow(text);
}

bool CheckList::isTicked(int index) const {
  return index >= 0 && index < count() && m_ticks[static_cast<size_t>(index)];
}

void CheckList::setTicked(int index, bool ticked) {
  if (index < 0 || index >= count()) return;
  m_ticks[static_cast<size_t>(index)] = ticked;
  RECT item{};
  if (::SendMessageW(m_hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
    ::InvalidateRect(m_hwnd, &item, TRUE);
  }
}

int CheckList::current() const {
  const LRESULT selected = ::SendMessageW(m_hwnd, LB_GETCURSEL, 0, 0);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

RECT CheckList::tickBoxOf(int index) const {
  RECT item{};
  ::SendMessageW(m_hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  const int top = item.top + (item.bottom - item.top - kTickSize) / 2;
  return RECT{item.left, top, item.left + kTickSize, top + kTickSize};
}

void CheckList::draw(const DRAWITEMSTRUCT& item) const {
  if (beforeDraw) beforeDraw();
  HDC dc = item.hDC;
  const RECT& whole = item.rcItem;
  ::FillRect(dc, &whole, ::GetSysColorBrush(COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &whole);
    return;
  }
  const int index = static_cast<int>(item.itemID);
  const bool enabled = ::IsWindowEnabled(m_hwnd) != FALSE;
  RECT tick = tickBoxOf(index);
  UINT tickState = DFCS_BUTTONCHECK;
  if (isTicked(index)) tickState |= DFCS_CHECKED;
  if (!enabled) tickState |= DFCS_INACTIVE;
  ::DrawFrameControl(dc, &tick, DFC_BUTTON, tickState);

  // Only the text shows the selection, as in a check list box of the classic look.
  const std::wstring text = widen(itemText(index));
  RECT textBox{whole.left + kTextLeft, whole.top, whole.right, whole.bottom};
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  RECT mark{textBox.left - 1, whole.top, std::min<LONG>(textBox.left + extent.cx + 1, whole.right),
            whole.bottom};
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected) ::FillRect(dc, &mark, ::GetSysColorBrush(COLOR_HIGHLIGHT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(!enabled   ? COLOR_GRAYTEXT
                                   : selected ? COLOR_HIGHLIGHTTEXT
                                              : COLOR_WINDOWTEXT));
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &mark);
}

void CheckList::userToggle(int index) {
  setTicked(index, !isTicked(index));
  // The handler reads the changed item as the current one, whichever way it was changed.
  if (current() != index) ::SendMessageW(m_hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (userTicked) userTicked(index);
}

int CheckList::tickedItemAt(LPARAM point) const {
  const POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  const LRESULT found = ::SendMessageW(m_hwnd, LB_ITEMFROMPOINT, 0, point);
  if (HIWORD(found) != 0) return -1;
  const int index = LOWORD(found);
  if (index >= count()) return -1;
  RECT item{};
  ::SendMessageW(m_hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  const RECT tickZone{item.left, item.top, item.left + kTextLeft - 1, item.bottom};
  return ::PtInRect(&tickZone, at) ? index : -1;
}

LRESULT CALLBACK CheckList::listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CheckList*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return guardedMessage([&] { return self->handleMessage(message, wParam, lParam); }, 0);
}

LRESULT CheckList::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The list box selects the item first; a press on its tick box then toggles it. Each
      // press of a double click toggles, as two single clicks would.
      const LRESULT result = ::CallWindowProcW(m_listProc, m_hwnd, message, wParam, lParam);
      const int index = tickedItemAt(lParam);
      if (index >= 0) userToggle(index);
      return result;
    }
    case WM_CHAR:
      if (wParam == L' ') {
        if (current() >= 0) userToggle(current());
        return 0;
      }
      break;
    default:
      break;
  }
  return ::CallWindowProcW(m_listProc, m_hwnd, message, wParam, lParam);
}

}  // namespace platform::win32
