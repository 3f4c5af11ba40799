// The update window on Win32: native controls at their designed pixel places, and their events.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/View.h"
#include "platform/WindowDesign.h"

namespace platform::win32 {

class CheckList;

class UpdateWindow {
 public:
  // Builds the window hidden: every control, the check list's items, the menu and the fonts
  // from `design`, which must outlive the window. Throws std::runtime_error when Windows
  // refuses to make the window.
  explicit UpdateWindow(const WindowDesign& design);
  ~UpdateWindow();
  UpdateWindow(const UpdateWindow&) = delete;
  UpdateWindow& operator=(const UpdateWindow&) = delete;

  // Where the window's user actions go; null drops them.
  void setEvents(ViewEvents* events) { m_events = events; }

  const WindowDesign& design() const { return m_design; }
  HWND handle() const { return m_hwnd; }
  HWND control(Control c) const { return m_controls[static_cast<size_t>(c)]; }
  CheckList& checkList() const { return *m_checkList; }
  HFONT formFont() const { return m_formFont; }
  // The command a menu item sends to the window.
  static int menuCommandId(MenuCommand command);
  // The identifier a control's messages carry.
  static int controlId(Control c);

  // Text of a label or button (the list and the bar have none and ignore it). Labels fit their
  // size to the new text, keeping their place; a right-aligned one keeps its right edge.
  void setCaption(Control c, const std::string& text);
  std::string caption(Control c) const;
  // The area below the menu bar gets exactly this size; the frame follows.
  void setClientSize(int width, int height);
  void centreOnScreen();
  // Shows the wait cursor over the window and its controls while set.
  void setHourGlass(bool on);
  // Gives the keyboard focus back to a control when the active window has none, as after the
  // window was disabled and enabled again.
  void restoreFocus();
  // True once the window has agreed to close (it is hidden then).
  bool hasClosed() const { return m_closed; }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void onCommand(WPARAM wParam, LPARAM lParam);
  HWND buildControl(const ControlDesign& row, HWND after);
  HFONT fontFor(const FontDesign& font);
  void fitLabel(Control c);
  HMENU buildMenu() const;

  const WindowDesign& m_design;
  ViewEvents* m_events = nullptr;
  HWND m_hwnd = nullptr;
  HWND m_lastFocus = nullptr;
  std::vector<HWND> m_controls;
  std::unique_ptr<CheckList> m_checkList;
  struct Font {
    FontDesign design;
    HFONT handle;
  };
  std::vector<Font> m_fonts;
  HFONT m_formFont = nullptr;
  bool m_hourGlass = false;
  bool m_closed = false;
  bool m_paintFailed = false;
};

}  // namespace platform::win32
