// A small modal window of the program's own: the frame of its message and input boxes.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

class BoxWindow {
 public:
  // A captioned box of `clientWidth` × `clientHeight` pixels, centred on the screen, owned by
  // `owner` (none when null). Controls get `font`, which must outlive the box.
  BoxWindow(HWND owner, HFONT font, const std::wstring& title, int clientWidth, int clientHeight);
  ~BoxWindow();
  BoxWindow(const BoxWindow&) = delete;
  BoxWindow& operator=(const BoxWindow&) = delete;

  HWND handle() const { return m_hwnd; }
  // A child control of the box at `place` (left, top, right, bottom in client pixels).
  HWND addControl(const wchar_t* windowClass, const std::wstring& text, DWORD style,
                  const RECT& place, int id, DWORD exStyle = 0);
  // Enter presses the button `defaultId`; Escape and the close box answer `escapeId`.
  void setKeys(int defaultId, int escapeId);
  // Shows the box over its owner, which takes no input meanwhile, and runs the thread's
  // messages until a button is pressed; gives its id. 0 when a quit request ended the box
  // (the request is posted again). The box is hidden and its owner active again when this
  // returns; its controls live until the box is destroyed.
  int run(HWND focus);

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void answer(int id);

  HWND m_owner;
  HFONT m_font;
  HWND m_hwnd = nullptr;
  int m_defaultId = IDOK;
  int m_escapeId = IDCANCEL;
  int m_answer = 0;
  bool m_done = false;
};

}  // namespace platform::win32
