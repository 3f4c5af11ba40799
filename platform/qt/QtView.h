// The update window on Qt 6 Widgets.
#pragma once

#include <memory>

#include "platform/View.h"
#include "platform/WindowDesign.h"

namespace platform::qt {

class UpdateWindow;

// Lays out the window, forwards its events and shows the program's dialogs; no logic of its
// own. Needs a QApplication that outlives it; runs on the GUI thread only.
class QtView : public View {
 public:
  // Builds the window from `design`, which must outlive the view.
  explicit QtView(const WindowDesign& design);
  ~QtView() override;
  QtView(const QtView&) = delete;
  QtView& operator=(const QtView&) = delete;

  // The real window, for tests and screenshots.
  UpdateWindow& window() const { return *m_window; }

  void processMessages() override;
  void waitMessages(unsigned timeoutMs) override;
  void setEvents(ViewEvents* events) override;

  void setCaption(Control c, const std::string& text) override;
  std::string caption(Control c) const override;
  void setVisible(Control c, bool visible) override;
  bool isVisible(Control c) const override;
  void setEnabled(Control c, bool enabled) override;
  bool isEnabled(Control c) const override;
  void repaint(Control c) override;

  void setClientSize(int width, int height) override;
  void setWindowEnabled(bool enabled) override;
  bool isWindowEnabled() const override;
  void setCursor(CursorShape shape) override;

  int itemCount() const override;
  std::string itemText(int index) const override;
  bool isChecked(int index) const override;
  void setChecked(int index, bool checked) override;
  int itemIndex() const override;

  // Positions outside 0..100 are clamped, as the Windows bar does.
  void setProgress(int position) override;
  int progress() const override;

  MessageAnswer messageBox(MessageKind kind, const std::string& title, const std::string& text,
                           MessageButtons buttons) override;
  std::optional<std::string> askInput(const std::string& title, const std::string& prompt,
                                      const std::string& value, platform::InputMode mode) override;

  void show() override;
  // Returns at once (code 0) when terminate() came first or the window has already closed.
  int runMessageLoop() override;
  void postClose() override;
  void terminate() override;

 private:
  void giveBackActivation();

  std::unique_ptr<UpdateWindow> m_window;
  bool m_hourGlass = false;
  bool m_terminated = false;
};

}  // namespace platform::qt
