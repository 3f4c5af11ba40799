// How a window's design is described to the views that build it: frame, controls, list, menu.
#pragma once

#include <span>
#include <string_view>

#include "platform/View.h"

namespace platform {

enum class ControlKind { Label, CheckList, ProgressBar, Button };
enum class TextAlign { Left, Right };
enum class TextColour { WindowText, Black };

// A face at a character height in pixels, in the Shift-JIS character set. Heights are pixels
// at 96 pixels per inch: the design does not scale with the desktop's font size.
struct FontDesign {
  std::string_view face;
  int height;
  TextColour colour;
};

// One control of the window, at its place in client pixels.
struct ControlDesign {
  Control control;
  // The name the window's designer gave it.
  std::string_view name;
  ControlKind kind;
  int left = 0;
  int top = 0;
  // A label sizes itself to its text; its width and height are its box before it has a text
  // (0 when it shows its initial text from the start). A right-aligned label keeps its right
  // edge (left + width) and grows to the left.
  int width = 0;
  int height = 0;
  std::string_view text = {};
  FontDesign font;
  TextAlign align = TextAlign::Left;
  // Place in the window's tab order; -1 for labels, which have none. A progress bar has a
  // place but never takes the focus.
  int tabOrder = -1;
  bool visible = true;
  bool enabled = true;
};

// The check list: its items top to bottom, then column by column, each row `itemHeight` high.
struct CheckListDesign {
  int columns;
  int itemHeight;
  std::span<const std::string_view> items;
};

struct ProgressBarDesign {
  int minimum;
  int maximum;
  int step;
  // One continuous bar rather than blocks.
  bool smooth;
};

// The menu commands the view reports through ViewEvents.
enum class MenuCommand { ProxyIP, ProxyPort };

struct MenuItemDesign {
  MenuCommand command;
  std::string_view name;
  std::string_view text;
};

// The main menu: one drop-down menu with its items.
struct MenuDesign {
  std::string_view barName;
  std::string_view name;
  std::string_view text;
  std::span<const MenuItemDesign> items;
};

// The buttons of the program's message and input boxes, the same whatever the system's
// language.
struct BoxButtonsDesign {
  std::string_view ok;
  std::string_view yes;
  std::string_view no;
  std::string_view cancel;
};

struct WindowDesign {
  std::string_view name;
  std::string_view caption;
  int clientWidth;
  int clientHeight;
  // The window's font, which every control without a font of its own uses.
  FontDesign font;
  // A single border the user cannot resize; the title bar has the system menu and close box
  // only (no minimise, no maximise).
  bool fixedFrame;
  // One row per Control, in the enum's order.
  std::span<const ControlDesign> controls;
  CheckListDesign checkList;
  ProgressBarDesign progressBar;
  MenuDesign menu;
  BoxButtonsDesign boxButtons;

  constexpr const ControlDesign& control(Control c) const {
    return controls[static_cast<std::size_t>(c)];
  }
};

}  // namespace platform
