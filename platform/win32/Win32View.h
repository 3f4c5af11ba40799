// The update window on Win32: the platform's view of the program, with its boxes and messages.
#pragma once

#include <memory>

#include "platform/View.h"
#include "platform/WindowDesign.h"

namespace platform::win32 {

class UpdateWindow;

// Lays out the window from its design, forwards its events and shows the program's boxes; no
// logic of its own. Runs on the thread that made it, which must own the message queue.
class Win32View : public View {
 public:
  // `design` must outlive the view.
  explicit Win32View(const WindowDesign& design);
  ~Win32View() override;
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  // The real window, for tests and screenshots.
  UpdateWindow& window() const { return *m_window; }

  void processMessages() override;
  void waitMessages(unsigned timeoutMs) override;
  void setEvents(ViewEvents* events) override;

  void setCaption(Control c, const std::string& text) override;
  std::string caption(Control c) const override;
  void setVisible(Control c, bool visible) override;
  // The control's own setting, whether or not the window is on the screen.
  bool isVisible(Control c) const override;
  void setEnabled(Control c, bool enabled) override;
  // The control's own setting, not disabled by a disabled window.
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

  // Positions outside the bar's range are clamped.
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
  std::unique_ptr<UpdateWindow> m_window;
  bool m_terminated = false;
};

}  // namespace platform::win32
