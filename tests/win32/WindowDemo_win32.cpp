// Shows the Win32 update window by itself for a few seconds, for a picture of the screen.
// Prints where the window is (WxH+X+Y, frame included).
// Usage: win32_window_demo [--box] [seconds]
//   --box  shows the overwrite question over the window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/WindowDesign.h"
#include "platform/win32/UpdateWindow_win32.h"
#include "platform/win32/Win32View.h"

namespace {

ULONGLONG s_end;

void CALLBACK closeAtTheEnd(HWND, UINT, UINT_PTR, DWORD) {
  if (::GetTickCount64() < s_end) return;
  if (HWND active = ::GetActiveWindow()) ::PostMessageW(active, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  bool box = false;
  unsigned seconds = 6;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--box") == 0) {
      box = true;
    } else {
      seconds = static_cast<unsigned>(std::atoi(argv[i]));
    }
  }
  platform::win32::Win32View view(app::kMainForm);
  using platform::Control;
  view.setVisible(Control::CancelButton, false);
  view.setCaption(Control::ProgressLabel, "");
  view.setCaption(Control::NowVersionLabel, "NowVersion: v2.4.1.0");
  view.setCaption(Control::UpVersionLabel, "UpVersion: v2.5.3.0");
  view.setCaption(Control::MsgLabel, "[アップデート開始]をクリックして作業を開始してください。");
  for (int i = 0; i < view.itemCount(); ++i) view.setChecked(i, i < 2 || i == 5 || i == 9);
  view.show();
  // Where the window landed, frame included, for cropping the picture of the screen.
  RECT frame{};
  ::GetWindowRect(view.window().handle(), &frame);
  std::printf("%ldx%ld+%ld+%ld\n", frame.right - frame.left, frame.bottom - frame.top, frame.left,
              frame.top);
  std::fflush(stdout);
  s_end = ::GetTickCount64() + seconds * 1000ULL;
  if (box) {
    // The box's own loop runs the messages meanwhile; a timer closes it at the end.
    ::SetTimer(nullptr, 0, 100, &closeAtTheEnd);
    (void)view.messageBox(platform::MessageKind::Confirmation, "確認",
                          "既に同バージョンまたは上位バージョンがインストールされています。"
                          "\r上書き更新を行いますか？",
                          platform::MessageButtons::YesNo);
    return 0;
  }
  while (::GetTickCount64() < s_end) view.waitMessages(100);
  return 0;
}
