// The program's message and input boxes on Win32: its own captions whatever the system language.
#include "platform/win32/Dialogs_win32.h"

#include <algorithm>
#include <vector>

#include "platform/win32/BoxWindow_win32.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kGapAboveButtons = 16;
constexpr int kIconGap = 12;
constexpr int kMinimumWidth = 180;
constexpr int kInputWidth = 300;
constexpr UINT kTextFormat = DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_EDITCONTROL;

// The pixel size of `text` in `font`, its lines broken at `maxWidth`.
SIZE measure(HFONT font, const std::wstring& text, int maxWidth) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  RECT box{0, 0, maxWidth, 0};
  if (text.empty()) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    box.right = 0;
    box.bottom = metrics.tmHeight;
  } else {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kTextFormat | DT_CALCRECT);
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return SIZE{box.right - box.left, box.bottom - box.top};
}

int screenWidth() {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work.right - work.left;
}

LPCWSTR iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      return IDI_INFORMATION;
    case MessageKind::Confirmation:
      return IDI_QUESTION;
    case MessageKind::Error:
      return IDI_ERROR;
    case MessageKind::Plain:
      break;
  }
  return nullptr;
}

struct Button {
  int id;
  std::wstring text;
};

// The buttons side by side, centred under everything else; the first is the default.
void addButtons(BoxWindow& box, const std::vector<Button>& buttons, int clientWidth, int top) {
  const int count = static_cast<int>(buttons.size());
  const int total = count * kButtonWidth + (count - 1) * kButtonGap;
  int left = (clientWidth - total) / 2;
  for (const Button& b : buttons) {
    const DWORD style = WS_TABSTOP | (&b == &buttons.front() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    box.addControl(L"BUTTON", b.text, style,
                   RECT{left, top, left + kButtonWidth, top + kButtonHeight}, b.id);
    left += kButtonWidth + kButtonGap;
  }
}

int buttonsWidth(size_t count) {
  const int n = static_cast<int>(count);
  return n * kButtonWidth + (n - 1) * kButtonGap + 2 * kMargin;
}

}  // namespace

std::wstring boxText(const std::string& text) {
  const std::wstring wide = widen(text);
  std::wstring result;
  result.reserve(wide.size() + 8);
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\r' || wide[i] == L'\n') {
      if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
      result += L"\r\n";
    } else {
      result += wide[i];
    }
  }
  return result;
}

MessageAnswer showMessageBox(HWND owner, HFONT font, const BoxButtonsDesign& buttons,
                             MessageKind kind, const std::string& title, const std::string& text,
                             MessageButtons which) {
  std::vector<Button> row;
  if (which == MessageButtons::YesNo) {
    row = {{IDYES, widen(buttons.yes)}, {IDNO, widen(buttons.no)}};
  } else {
    row = {{IDOK, widen(buttons.ok)}};
  }
  const LPCWSTR iconName = iconOf(kind);
  const int iconSize = iconName ? ::GetSystemMetrics(SM_CXICON) : 0;
  const int textLeft = kMargin + (iconName ? iconSize + kIconGap : 0);
  const std::wstring shown = boxText(text);
  const SIZE textSize = measure(font, shown, screenWidth() - textLeft - 2 * kMargin - 16);
  const int bodyHeight = std::max<int>(textSize.cy, iconSize);
  const int width = std::max({kMinimumWidth, textLeft + static_cast<int>(textSize.cx) + kMargin,
                              buttonsWidth(row.size())});
  const int buttonsTop = kMargin + bodyHeight + kGapAboveButtons;

  BoxWindow box(owner, font, widen(title), width, buttonsTop + kButtonHeight + kMargin);
  if (iconName) {
    HWND icon = box.addControl(L"STATIC", L"", SS_ICON,
                               RECT{kMargin, kMargin, kMargin + iconSize, kMargin + iconSize}, -1);
    ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, iconName)), 0);
  }
  // A short text sits level with the middle of the icon.
  const int textTop = kMargin + (bodyHeight - textSize.cy) / 2;
  box.addControl(L"STATIC", shown, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                 RECT{textLeft, textTop, textLeft + textSize.cx, textTop + textSize.cy}, -1);
  addButtons(box, row, width, buttonsTop);
  box.setKeys(row.front().id, row.back().id);

  switch (box.run(::GetDlgItem(box.handle(), row.front().id))) {
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    case IDOK:
      return MessageAnswer::Ok;
    default:
      return MessageAnswer::Cancel;
  }
}

std::optional<std::string> showInputBox(HWND owner, HFONT font, const BoxButtonsDesign& buttons,
                                        const std::string& title, const std::string& prompt,
                                        const std::string& value, bool password) {
  constexpr int kEditId = 100;
  const std::wstring promptText = boxText(prompt);
  const SIZE promptSize = measure(font, promptText, screenWidth() - 2 * kMargin - 16);
  const SIZE lineSize = measure(font, L"", 0);
  const int width = std::max(kInputWidth, static_cast<int>(promptSize.cx) + 2 * kMargin);
  const int editTop = kMargin + promptSize.cy + 6;
  const int editHeight = lineSize.cy + 8;
  const int buttonsTop = editTop + editHeight + kGapAboveButtons;

  BoxWindow box(owner, font, widen(title), width, buttonsTop + kButtonHeight + kMargin);
  box.addControl(L"STATIC", promptText, SS_LEFT | SS_NOPREFIX,
                 RECT{kMargin, kMargin, kMargin + promptSize.cx, kMargin + promptSize.cy}, -1);
  const DWORD editStyle = ES_AUTOHSCROLL | WS_TABSTOP | (password ? ES_PASSWORD : 0);
  HWND edit = box.addControl(L"EDIT", widen(value), editStyle,
                             RECT{kMargin, editTop, width - kMargin, editTop + editHeight}, kEditId,
                             WS_EX_CLIENTEDGE);
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  addButtons(box, {{IDOK, widen(buttons.ok)}, {IDCANCEL, widen(buttons.cancel)}}, width,
             buttonsTop);
  box.setKeys(IDOK, IDCANCEL);

  if (box.run(edit) != IDOK) return std::nullopt;
  return windowText(edit);
}

}  // namespace platform::win32
