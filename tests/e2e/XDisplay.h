// A private X display (Xvfb) for one end-to-end test: the program's windows found by title,
// real input through xdotool (XTest), screenshots and pixels of the screen.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/ChildProcess.h"

namespace e2e {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

class XDisplay {
 public:
  // Starts Xvfb on a display it picks itself. Throws std::runtime_error when Xvfb does not
  // come up.
  XDisplay();
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // What the tests need on the machine; empty when everything is there, else what is missing.
  static std::string missingTools();

  const std::string& name() const { return m_name; }  // ":7"

  // Shown top-level windows whose title is exactly `title` (UTF-8), in stacking order.
  std::vector<unsigned long> windows(const std::string& title);
  // Waits up to `limit` for a shown window with the title that `accept` takes; 0 if none came.
  template <typename Accept>
  unsigned long waitForWindow(const std::string& title, std::chrono::milliseconds limit,
                              Accept accept);
  unsigned long waitForWindow(const std::string& title, std::chrono::milliseconds limit) {
    return waitForWindow(title, limit, [](unsigned long) { return true; });
  }
  // The titles of all shown top-level windows, for failure messages.
  std::vector<std::string> shownTitles();
  // Whether the window exists and is shown.
  bool isShown(unsigned long window);
  // The window's place on the screen; a zero rectangle when it is gone.
  Rect geometry(unsigned long window);

  // Keyboard focus to the window, then a key press and release ("Return", "space").
  void key(unsigned long window, const std::string& keyName);
  // Keyboard focus to the window, then the (ASCII) text typed key by key.
  void type(unsigned long window, const std::string& text);
  // Pointer to the screen position, then a left click.
  void click(int x, int y);
  // What a window manager sends when the user presses the window's close box.
  void requestClose(unsigned long window);

  // The screen's pixels in the rectangle, 0xRRGGBB, row by row.
  std::vector<uint32_t> pixels(const Rect& r);
  // Saves the rectangle of the screen (the whole screen when empty) as PNG; false on failure.
  bool screenshot(const std::string& file, const Rect& r = {});

 private:
  bool run(const std::vector<std::string>& argv);

  std::unique_ptr<ChildProcess> m_server;
  std::string m_name;
  void* m_display = nullptr;  // Display*, kept out of the header: Xlib's macros clash with gtest
};

template <typename Accept>
unsigned long XDisplay::waitForWindow(const std::string& title, std::chrono::milliseconds limit,
                                      Accept accept) {
  const auto end = std::chrono::steady_clock::now() + limit;
  do {
    for (const unsigned long w : windows(title)) {
      if (accept(w)) return w;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < end);
  return 0;
}

}  // namespace e2e
