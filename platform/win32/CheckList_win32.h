// The standards list: an owner-drawn list box in columns, each item with its own tick box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/WindowDesign.h"

namespace platform::win32 {

class CheckList {
 public:
  // Makes the list box as child `id` of `parent` at `place` (client pixels, outer edges),
  // with the design's items unticked, `columns` columns sharing the inner width and rows
  // `itemHeight` high, filled top to bottom.
  CheckList(HWND parent, int id, const RECT& place, const CheckListDesign& design, HFONT font,
            DWORD extraStyle);
  CheckList(const CheckList&) = delete;
  CheckList& operator=(const CheckList&) = delete;

  HWND handle() const { return m_hwnd; }
  int count() const { return static_cast<int>(m_ticks.size()); }
  // Empty for an index out of range.
  std::string itemText(int index) const;
  // Out-of-range indexes read as unticked and are ignored when set.
  bool isTicked(int index) const;
  // A tick set by the program raises no userTicked.
  void setTicked(int index, bool ticked);
  // The current item, -1 when none.
  int current() const;

  // Called after the user changed the tick of the item at the index (a click on its tick box
  // or the space key); the item is current by then.
  std::function<void(int)> userTicked;

  // The parent hands its WM_DRAWITEM for this list here.
  void draw(const DRAWITEMSTRUCT& item) const;
  // Runs before each item is painted; the window's tests make the paint fail with it.
  std::function<void()> beforeDraw;
  // The tick box of an item, in the list's client pixels.
  RECT tickBoxOf(int index) const;

 private:
  static LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void userToggle(int index);
  int tickedItemAt(LPARAM point) const;

  HWND m_hwnd = nullptr;
  WNDPROC m_listProc = nullptr;
  int m_itemHeight;
  std::vector<bool> m_ticks;
};

}  // namespace platform::win32
