// The Win32 window as built from its design: frame, every control's place, fonts, list, menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/WindowDesign.h"
#include "platform/win32/CheckList_win32.h"
#include "platform/win32/UpdateWindow_win32.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32View.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

using platform::Control;
using platform::ControlKind;
using platform::win32::narrow;
using platform::win32::windowText;

// Text cells in the fixed-pitch face: half-width forms and ASCII take one, the rest two.
int cells(const std::string& utf8) {
  int n = 0;
  for (wchar_t ch : platform::win32::widen(utf8))
    n += (ch < 0x80 || (ch >= 0xFF61 && ch <= 0xFF9F)) ? 1 : 2;
  return n;
}

class WindowLayoutTest : public testing::Test {
 protected:
  platform::win32::Win32View view{app::kMainForm};
  HWND window = view.window().handle();
};

TEST_F(WindowLayoutTest, FixedFrameWithCaptionMenuAndClientAreaCentred) {
  view.show();
  // Under Wine a window on the display is an X window; without a display it would be nowhere.
  if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
    EXPECT_NE(::GetPropW(window, L"__wine_x11_whole_window"), nullptr)
        << "no X display: run with DISPLAY set before the Wine prefix is started";
  }
  EXPECT_EQ(windowText(window), "【Brevan】アップデートプログラム");
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, 506);
  EXPECT_EQ(client.bottom, 288);
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

  RECT frame{}, work{};
  ::GetWindowRect(window, &frame);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);

  view.setClientSize(300, 200);
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
}

TEST_F(WindowLayoutTest, EveryControlHasItsDesignTextPlaceSizeAndFont) {
  view.show();
  for (const platform::ControlDesign& row : app::kMainForm.controls) {
    SCOPED_TRACE(std::string(row.name));
    HWND control = view.window().control(row.control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(::GetParent(control), window);
    const RECT place = test::placeInParent(control);
    EXPECT_EQ(place.left, row.left);
    EXPECT_EQ(place.top, row.top);
    const bool hasText = row.kind == ControlKind::Label || row.kind == ControlKind::Button;
    EXPECT_EQ(view.caption(row.control), hasText ? std::string(row.text) : "");
    EXPECT_TRUE(view.isVisible(row.control));
    EXPECT_TRUE(view.isEnabled(row.control));
    // Labels without a box fit their text; the face is fixed-pitch, 6 pixels a half-width cell.
    EXPECT_EQ(place.right - place.left, row.width ? row.width : 6 * cells(std::string(row.text)));
    if (row.width != 0) {
      EXPECT_EQ(place.bottom - place.top, row.height);
    } else {
      // One line of the face: its character height plus what its metrics add (IPAGothic: 1).
      EXPECT_GE(place.bottom - place.top, row.font.height);
      EXPECT_LE(place.bottom - place.top, row.font.height + 1);
    }

    LOGFONTW font{};
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)),
                             sizeof font, &font));
    EXPECT_EQ(narrow(font.lfFaceName), "ＭＳ ゴシック");
    EXPECT_EQ(font.lfHeight, -row.font.height) << "a character height, never scaled";
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  }
}

TEST_F(WindowLayoutTest, LabelsRefitKeepingTheirPlaceAndTheProgressLabelItsRightEdge) {
  const std::string ready = "[アップデート開始]をクリックして作業を開始してください。";
  view.setCaption(Control::MsgLabel, ready);
  RECT place = test::placeInParent(view.window().control(Control::MsgLabel));
  EXPECT_EQ(place.left, 8);
  EXPECT_EQ(place.right - place.left, 6 * cells(ready));

  HWND progress = view.window().control(Control::ProgressLabel);
  EXPECT_TRUE(::GetWindowLongW(progress, GWL_STYLE) & SS_RIGHT);
  for (const std::string text : {"512/1332 Bytes Completion", "", "a & b"}) {
    SCOPED_TRACE(text);
    view.setCaption(Control::ProgressLabel, text);
    EXPECT_EQ(view.caption(Control::ProgressLabel), text);
    place = test::placeInParent(progress);
    EXPECT_EQ(place.right, 497);
    EXPECT_EQ(place.right - place.left, 6 * cells(text));
    EXPECT_EQ(place.top, 239);
  }
  // The list and the bar have no caption.
  view.setCaption(Control::CheckListBox1, "x");
  EXPECT_EQ(view.caption(Control::CheckListBox1), "");
}

TEST_F(WindowLayoutTest, ShorterProgressTextLeavesNoPixelsOfTheLongerOneBehind) {
  view.show();
  HWND progress = view.window().control(Control::ProgressLabel);
  // The label's place on the screen as it shows after `earlier`, then "Completed".
  auto shown = [&](const std::string& earlier) {
    view.setCaption(Control::ProgressLabel, earlier);
    ::UpdateWindow(window);
    view.processMessages();
    view.setCaption(Control::ProgressLabel, "Completed");
    ::UpdateWindow(window);
    view.processMessages();
    const RECT place = test::placeInParent(progress);
    std::vector<COLORREF> pixels;
    HDC dc = ::GetDC(window);
    for (int y = place.top; y < place.bottom; ++y) {
      for (int x = 380; x < place.right; ++x) pixels.push_back(::GetPixel(dc, x, y));
    }
    ::ReleaseDC(window, dc);
    return pixels;
  };
  const auto fresh = shown("");
  EXPECT_EQ(shown("1,234,567 Bytes Completed"), fresh);
}

TEST_F(WindowLayoutTest, CheckListIsAnOwnerDrawnTwoColumnListOfTheFifteenStandards) {
  HWND list = view.window().control(Control::CheckListBox1);
  const LONG style = ::GetWindowLongW(list, GWL_STYLE);
  EXPECT_TRUE(style & LBS_OWNERDRAWFIXED);
  EXPECT_TRUE(style & LBS_MULTICOLUMN);
  EXPECT_EQ(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 13);
  ASSERT_EQ(view.itemCount(), 15);
  // 149 pixels less the two-pixel sunken border leave 145 by 485: eleven rows a column.
  RECT inner{};
  ::GetClientRect(list, &inner);
  EXPECT_EQ(inner.right, 485);
  EXPECT_EQ(inner.bottom, 145);
  for (int i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(view.itemText(i), app::kStandards[static_cast<size_t>(i)]);
    EXPECT_FALSE(view.isChecked(i));
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.left, (i / 11) * 242);
    EXPECT_EQ(item.top, (i % 11) * 13);
    EXPECT_EQ(item.right - item.left, 242);
  }
  EXPECT_EQ(view.itemIndex(), -1);
  EXPECT_EQ(view.itemText(15), "");
  EXPECT_FALSE(view.isChecked(-1));
  view.setChecked(15, true);  // ignored
}

TEST_F(WindowLayoutTest, ProgressBarIsSmoothFromZeroToHundredAndClamps) {
  HWND bar = view.window().control(Control::ProgressBar);
  EXPECT_TRUE(::GetWindowLongW(bar, GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
  const std::pair<int, int> cases[] = {{57, 57}, {250, 100}, {-5, 0}};
  for (auto [set, shown] : cases) {
    view.setProgress(set);
    EXPECT_EQ(view.progress(), shown);
  }
}

TEST_F(WindowLayoutTest, MenuBarHasTheSettingsMenuWithBothProxyItems) {
  HMENU bar = ::GetMenu(window);
  ASSERT_EQ(::GetMenuItemCount(bar), 1);
  wchar_t text[64] = {};
  ::GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(narrow(text), "設定");
  HMENU settings = ::GetSubMenu(bar, 0);
  ASSERT_EQ(::GetMenuItemCount(settings), 2);
  const char* const items[] = {"プロキシIP", "プロキシPort"};
  for (int i = 0; i < 2; ++i) {
    ::GetMenuStringW(settings, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(narrow(text), items[i]);
  }
}

TEST_F(WindowLayoutTest, TabOrderIsStartButtonListThenCancelButton) {
  // The bar comes between the button and the list in the designed order but takes no focus.
  auto nameOf = [&](HWND c) {
    for (const platform::ControlDesign& row : app::kMainForm.controls) {
      if (view.window().control(row.control) == c) return std::string(row.name);
    }
    return std::string("?");
  };
  std::vector<std::string> order;
  HWND c = ::GetNextDlgTabItem(window, nullptr, FALSE);
  for (int i = 0; i < 3 && c != nullptr; ++i, c = ::GetNextDlgTabItem(window, c, FALSE)) {
    order.push_back(nameOf(c));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"DownLoadButton", "CheckListBox1", "CancelButton"}));
}

}  // namespace
