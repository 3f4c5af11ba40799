// Shared pieces of the Win32 window tests: a recording event sink, places, and box drivers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/View.h"

namespace test {

// Records every event of the window by handler name; each handler may run a test's action.
class RecordingEvents : public platform::ViewEvents {
 public:
  std::vector<std::string> calls;
  bool closeAnswer = true;
  std::function<void(const std::string&)> onCall;

  int count(const std::string& name) const;

  void onActivate() override { record("Activate"); }
  bool onClose() override {
    record("Close");
    return closeAnswer;
  }
  void onDownLoadClick() override { record("DownLoadClick"); }
  void onCancelClick() override { record("CancelClick"); }
  void onCheckListClickCheck() override { record("ClickCheck"); }
  void onProxyIPMenuClick() override { record("ProxyIPMenuClick"); }
  void onProxyPortMenuClick() override { record("ProxyPortMenuClick"); }

 private:
  void record(const std::string& name);
};

// A child window's outer rectangle in its parent's client pixels.
RECT placeInParent(HWND child);

// Runs the thread's messages until `done` or about five seconds; true when `done` came.
bool pumpUntil(const std::function<bool()>& done);

// What a modal box showed when the test answered it.
struct SeenBox {
  std::string title;
  std::string text;                  // the message, or the input box's prompt
  std::vector<std::string> buttons;  // captions, left to right
  HICON icon = nullptr;              // none for a plain box
  std::string inputValue;            // pre-filled text of an input box
  HWND edit = nullptr;
};

// Once the next box of the program is up (seen from a timer inside its modal loop): records
// it into `seen`, then runs `act` on it. Call before the code that opens the box.
void whenBoxOpens(SeenBox& seen, std::function<void(HWND box)> act);

// Presses the button of `box` whose caption is exactly `caption` (a posted BM_CLICK); false
// when there is none.
bool clickButton(HWND box, const std::string& caption);

}  // namespace test
