// A window double: records every call and answers dialogs from a script the test queues.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/View.h"

namespace test {

struct ShownMessage {
  platform::MessageKind kind;
  std::string title;
  std::string text;
  platform::MessageButtons buttons;
};

struct ShownInput {
  std::string title;
  std::string prompt;
  std::string value;
  platform::InputMode mode = platform::InputMode::Plain;
};

class FakeView : public platform::View {
 public:
  FakeView();

  // Scripted answers, taken in order; with none queued a box answers Ok (or Yes for YesNo)
  // and an input box answers "キャンセル" (nullopt; the settings menu then keeps its value).
  std::deque<platform::MessageAnswer> messageAnswers;
  std::deque<std::optional<std::string>> inputAnswers;
  // Called inside messageBox before it answers, so a test can act while a box is open.
  std::function<void(const ShownMessage&)> onMessage;
  // Called on every processMessages, so a test can click while work goes on.
  std::function<void()> onProcessMessages;

  std::vector<ShownMessage> messages;
  std::vector<ShownInput> inputs;
  std::vector<int> progressHistory;
  std::map<platform::Control, std::vector<std::string>> captionHistory;
  int processCount = 0;
  int repaintCount = 0;
  bool closePosted = false;
  bool terminated = false;
  bool shown = false;
  int clientWidth = 0;
  int clientHeight = 0;
  platform::CursorShape cursor = platform::CursorShape::Default;
  platform::ViewEvents* events = nullptr;
  int currentItem = -1;

  // The user ticks or unticks an item with the mouse: the tick changes, then the handler runs.
  void clickItem(int index);
  // Delivers a posted close request as the message loop would; true when the window closed.
  bool deliverClose();

  // platform::View
  void processMessages() override;
  // Counts as one round of messages; the fake clock, not a real wait, moves time on.
  void waitMessages(unsigned) override { processMessages(); }
  void setEvents(platform::ViewEvents* e) override { events = e; }
  void setCaption(platform::Control c, const std::string& text) override;
  std::string caption(platform::Control c) const override;
  void setVisible(platform::Control c, bool visible) override;
  bool isVisible(platform::Control c) const override;
  void setEnabled(platform::Control c, bool enabled) override;
  bool isEnabled(platform::Control c) const override;
  void repaint(platform::Control) override { ++repaintCount; }
  void setClientSize(int width, int height) override;
  void setWindowEnabled(bool enabled) override { windowEnabled = enabled; }
  bool isWindowEnabled() const override { return windowEnabled; }
  void setCursor(platform::CursorShape shape) override { cursor = shape; }
  int itemCount() const override { return static_cast<int>(items.size()); }
  std::string itemText(int index) const override;
  bool isChecked(int index) const override;
  void setChecked(int index, bool checked) override;
  int itemIndex() const override { return currentItem; }
  void setProgress(int position) override;
  int progress() const override { return progressValue; }
  platform::MessageAnswer messageBox(platform::MessageKind kind, const std::string& title,
                                     const std::string& text,
                                     platform::MessageButtons buttons) override;
  std::optional<std::string> askInput(const std::string& title, const std::string& prompt,
                                      const std::string& value, platform::InputMode mode) override;
  void show() override { shown = true; }
  int runMessageLoop() override { return 0; }
  void postClose() override { closePosted = true; }
  void terminate() override { terminated = true; }

  std::vector<std::string> items;
  std::vector<bool> checks;
  bool windowEnabled = true;
  int progressValue = 0;

 private:
  struct ControlState {
    std::string caption;
    bool visible = true;
    bool enabled = true;
  };
  std::map<platform::Control, ControlState> m_controls;
};

}  // namespace test
