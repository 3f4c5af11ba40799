// Shared pieces of the window tests: a recording event sink and drivers for modal boxes.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "platform/View.h"

class QWidget;

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
  void record(const std::string& name) {
    calls.push_back(name);
    if (onCall) onCall(name);
  }
};

// What a modal box showed when the test answered it.
struct SeenBox {
  QString className;
  QString title;
  QString text;
  QStringList buttons;
  int icon = -1;       // QMessageBox::Icon, for message boxes
  QString inputValue;  // pre-filled text, for input boxes
};

// Waits (event loop running) until `done` or about two seconds; true when `done` came.
bool waitUntil(const std::function<bool()>& done);

// Once the next modal box is up: records it into `seen`, then runs `act` on it (click a button
// by its text, type, press a key). Call before the code that opens the box.
void whenBoxOpens(SeenBox& seen, std::function<void(QWidget* box)> act);

// Clicks the button of `box` whose text is exactly `text`; false when there is none.
bool clickButton(QWidget* box, const QString& text);

}  // namespace test
