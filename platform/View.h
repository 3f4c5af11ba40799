// What the update window's logic sees of its window: controls, dialogs and events.
#pragma once

#include <optional>
#include <string>

#include "platform/MessagePump.h"

namespace platform {

// The window's controls, by the names the window's designer gave them.
enum class Control {
  Label2,
  Label3,
  CheckListBox1,
  MsgLabel,
  ProgressBar,
  ProgressLabel,
  NowVersionLabel,
  UpVersionLabel,
  DownLoadButton,
  CancelButton,
};

enum class MessageKind { Plain, Information, Confirmation, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No, Cancel };
enum class CursorShape { Default, HourGlass };
// Plain shows what is typed; Password shows a dot for each character.
enum class InputMode { Plain, Password };

// The handlers the window calls on user actions. Implemented by the update window's logic.
class ViewEvents {
 public:
  virtual ~ViewEvents() = default;
  virtual void onActivate() = 0;
  // Asked when the window is to close; false keeps it open.
  virtual bool onClose() = 0;
  virtual void onDownLoadClick() = 0;
  virtual void onCancelClick() = 0;
  // After the user changed the tick of the check list's current item.
  virtual void onCheckListClickCheck() = 0;
  virtual void onProxyIPMenuClick() = 0;
  virtual void onProxyPortMenuClick() = 0;
};

// The window never runs logic itself; it lays out, forwards events and shows dialogs.
class View : public MessagePump {
 public:
  virtual void setEvents(ViewEvents* events) = 0;

  virtual void setCaption(Control c, const std::string& text) = 0;
  virtual std::string caption(Control c) const = 0;
  virtual void setVisible(Control c, bool visible) = 0;
  virtual bool isVisible(Control c) const = 0;
  virtual void setEnabled(Control c, bool enabled) = 0;
  virtual bool isEnabled(Control c) const = 0;
  // Paints the control now, without waiting for the message loop.
  virtual void repaint(Control c) = 0;

  virtual void setClientSize(int width, int height) = 0;
  virtual void setWindowEnabled(bool enabled) = 0;
  virtual bool isWindowEnabled() const = 0;
  virtual void setCursor(CursorShape shape) = 0;

  virtual int itemCount() const = 0;
  virtual std::string itemText(int index) const = 0;
  virtual bool isChecked(int index) const = 0;
  virtual void setChecked(int index, bool checked) = 0;
  // The current item of the check list, -1 when none.
  virtual int itemIndex() const = 0;

  virtual void setProgress(int position) = 0;
  virtual int progress() const = 0;

  // Modal message box; the answer is the button pressed (Cancel when closed otherwise).
  virtual MessageAnswer messageBox(MessageKind kind, const std::string& title,
                                   const std::string& text, MessageButtons buttons) = 0;
  // Modal input box with "OK" and "キャンセル", pre-filled with value: the typed text after
  // "OK", nullopt after "キャンセル" or when the box is closed otherwise.
  virtual std::optional<std::string> askInput(const std::string& title, const std::string& prompt,
                                              const std::string& value, InputMode mode) = 0;
  // The plain input box of the settings menu: "キャンセル" gives back the pre-filled text.
  std::string inputBox(const std::string& title, const std::string& prompt,
                       const std::string& value) {
    return askInput(title, prompt, value, InputMode::Plain).value_or(value);
  }

  // Shows the window (centred) and activates it.
  virtual void show() = 0;
  // Runs the message loop until the window has closed or terminate() was called.
  virtual int runMessageLoop() = 0;
  // Asks the window to close once the current handler has returned.
  virtual void postClose() = 0;
  // Ends the program without closing the window through its handler.
  virtual void terminate() = 0;
};

}  // namespace platform
