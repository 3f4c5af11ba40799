// The update window as designed: caption, client size, controls, places, texts, fonts, items.
#pragma once

#include <array>
#include <string_view>

#include "platform/WindowDesign.h"

namespace app {

// The check list's items; a position is the key by which the download picks a standard's files.
inline constexpr std::array<std::string_view, 15> kStandards = {
    "国土交通省電子納品基準",
    "農林水産省電子納品基準",
    "愛媛県電子納品基準",
    "高知県電子納品基準",
    "香川県電子納品基準",
    "日本道路公団",
    "水資源機構",
    "山口県電子納品基準",
    "営繕工事電子納品基準",
    "国土交通省（機械設備）",
    "国土交通省（電気通信設備）",
    "香川県農政水産部",
    "徳島県電子納品基準",
    "山口県農林水産部",
    "徳島県農林水産部",
};

namespace design {

using platform::Control;
using platform::ControlDesign;
using platform::ControlKind;
using platform::FontDesign;
using platform::TextColour;

inline constexpr FontDesign kFormFont{"ＭＳ ゴシック", 12, TextColour::WindowText};
inline constexpr FontDesign kListFont{kFormFont.face, 13, TextColour::WindowText};
inline constexpr FontDesign kButtonFont{kFormFont.face, 12, TextColour::Black};

inline constexpr std::array<ControlDesign, 10> kControls = {{
    {.control = Control::Label2,
     .name = "Label2",
     .kind = ControlKind::Label,
     .left = 8,
     .top = 8,
     .text = "アップデート基準選択",
     .font = kFormFont},
    {.control = Control::Label3,
     .name = "Label3",
     .kind = ControlKind::Label,
     .left = 8,
     .top = 24,
     .text = "(選択しない基準がインストールされていた場合は削除されます)",
     .font = kFormFont},
    {.control = Control::CheckListBox1,
     .name = "CheckListBox1",
     .kind = ControlKind::CheckList,
     .left = 8,
     .top = 40,
     .width = 489,
     .height = 149,
     .font = kListFont,
     .tabOrder = 2},
    {.control = Control::MsgLabel,
     .name = "MsgLabel",
     .kind = ControlKind::Label,
     .left = 8,
     .top = 203,
     .text = "XXX",
     .font = kFormFont},
    {.control = Control::ProgressBar,
     .name = "ProgressBar",
     .kind = ControlKind::ProgressBar,
     .left = 8,
     .top = 217,
     .width = 489,
     .height = 16,
     .font = kFormFont,
     .tabOrder = 1},
    {.control = Control::ProgressLabel,
     .name = "ProgressLabel",
     .kind = ControlKind::Label,
     .left = 431,
     .top = 239,
     .width = 66,
     .height = 12,
     .text = "XXXXXXXXXXX",
     .font = kFormFont,
     .align = platform::TextAlign::Right},
    {.control = Control::NowVersionLabel,
     .name = "NowVersionLabel",
     .kind = ControlKind::Label,
     .left = 10,
     .top = 246,
     .text = "NowVersion",
     .font = kFormFont},
    {.control = Control::UpVersionLabel,
     .name = "UpVersionLabel",
     .kind = ControlKind::Label,
     .left = 10,
     .top = 262,
     .text = "UpVersion",
     .font = kFormFont},
    // The start and cancel buttons share one place; at most one of them is shown at a time.
    {.control = Control::DownLoadButton,
     .name = "DownLoadButton",
     .kind = ControlKind::Button,
     .left = 386,
     .top = 255,
     .width = 111,
     .height = 25,
     .text = "アップデート開始",
     .font = kButtonFont,
     .tabOrder = 0},
    {.control = Control::CancelButton,
     .name = "CancelButton",
     .kind = ControlKind::Button,
     .left = 386,
     .top = 255,
     .width = 111,
     .height = 25,
     .text = "ｷｬﾝｾﾙ",
     .font = kButtonFont,
     .tabOrder = 3},
}};

inline constexpr std::array<platform::MenuItemDesign, 2> kSettingsMenu = {{
    {platform::MenuCommand::ProxyIP, "ProxyIPMenu", "プロキシIP"},
    {platform::MenuCommand::ProxyPort, "ProxyPortMenu", "プロキシPort"},
}};

constexpr bool rowsFollowTheControls() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (static_cast<std::size_t>(kControls[i].control) != i) return false;
  }
  return kControls.size() == static_cast<std::size_t>(Control::CancelButton) + 1;
}
static_assert(rowsFollowTheControls(), "one row per Control, in the enum's order");

}  // namespace design

// The program's one window. Its caption is also the title of plain notices.
inline constexpr platform::WindowDesign kMainForm{
    .name = "TMainForm",
    .caption = "【Brevan】アップデートプログラム",
    .clientWidth = 506,
    .clientHeight = 288,
    .font = design::kFormFont,
    .fixedFrame = true,
    .controls = design::kControls,
    .checkList = {.columns = 2, .itemHeight = 13, .items = kStandards},
    .progressBar = {.minimum = 0, .maximum = 100, .step = 2, .smooth = true},
    .menu = {.barName = "MainMenu1", .name = "N1", .text = "設定", .items = design::kSettingsMenu},
    .boxButtons = {.ok = "OK", .yes = "はい(&Y)", .no = "いいえ(&N)", .cancel = "キャンセル"},
};

}  // namespace app
