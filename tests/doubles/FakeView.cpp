// A window double that records every call and answers dialogs from a script.
#include "tests/doubles/FakeView.h"

#include <stdexcept>

#include "app/WindowDesign.h"

namespace test {

FakeView::FakeView() {
  // The check list's design-time items; the window logic never adds any.
  items.assign(app::kMainForm.checkList.items.begin(), app::kMainForm.checkList.items.end());
  checks.assign(items.size(), false);
  // The window as designed: every control shown and enabled, except the cancel button, which
  // waits hidden in the start button's place.
  for (const auto& design : app::kMainForm.controls) m_controls[design.control] = ControlState{};
  m_controls[platform::Control::CancelButton].visible = false;
}

void FakeView::clickItem(int index) {
  currentItem = index;
  checks.at(static_cast<size_t>(index)) = !checks.at(static_cast<size_t>(index));
  if (events) events->onCheckListClickCheck();
}

bool FakeView::deliverClose() {
  closePosted = false;
  return events ? events->onClose() : true;
}

void FakeView::processMessages() {
  ++processCount;
  if (onProcessMessages) onProcessMessages();
}

void FakeView::setCaption(platform::Control c, const std::string& text) {
  m_controls[c].caption = text;
  captionHistory[c].push_back(text);
}

std::string FakeView::caption(platform::Control c) const {
  auto it = m_controls.find(c);
  return it == m_controls.end() ? std::string() : it->second.caption;
}

void FakeView::setVisible(platform::Control c, bool visible) { m_controls[c].visible = visible; }

bool FakeView::isVisible(platform::Control c) const { return m_controls.at(c).visible; }

void FakeView::setEnabled(platform::Control c, bool enabled) { m_controls[c].enabled = enabled; }

bool FakeView::isEnabled(platform::Control c) const { return m_controls.at(c).enabled; }

void FakeView::setClientSize(int width, int height) {
  clientWidth = width;
  clientHeight = height;
}

std::string FakeView::itemText(int index) const { return items.at(static_cast<size_t>(index)); }

bool FakeView::isChecked(int index) const { return checks.at(static_cast<size_t>(index)); }

void FakeView::setChecked(int index, bool checked) {
  checks.at(static_cast<size_t>(index)) = checked;
}

void FakeView::setProgress(int position) {
  progressValue = position;
  progressHistory.push_back(position);
}

platform::MessageAnswer FakeView::messageBox(platform::MessageKind kind, const std::string& title,
                                             const std::string& text,
                                             platform::MessageButtons buttons) {
  messages.push_back({kind, title, text, buttons});
  if (onMessage) onMessage(messages.back());
  if (!messageAnswers.empty()) {
    auto a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
  }
  return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::Yes
                                                    : platform::MessageAnswer::Ok;
}

std::optional<std::string> FakeView::askInput(const std::string& title, const std::string& prompt,
                                              const std::string& value, platform::InputMode mode) {
  inputs.push_back({title, prompt, value, mode});
  if (inputAnswers.empty()) return std::nullopt;
  auto a = inputAnswers.front();
  inputAnswers.pop_front();
  return a;
}

}  // namespace test
