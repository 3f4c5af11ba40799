// The program's message boxes.
#include "app/Dialogs.h"

#include "app/WindowDesign.h"

namespace app {

using platform::MessageButtons;
using platform::MessageKind;

void showNotice(platform::View& view, const std::string& text) {
  (void)view.messageBox(MessageKind::Plain, std::string(kMainForm.caption), text,
                        MessageButtons::Ok);
}

void showInformation(platform::View& view, const std::string& text) {
  (void)view.messageBox(MessageKind::Information, "情報", text, MessageButtons::Ok);
}

void showError(platform::View& view, const std::string& text) {
  (void)view.messageBox(MessageKind::Error, "エラー", text, MessageButtons::Ok);
}

bool confirm(platform::View& view, const std::string& text) {
  return view.messageBox(MessageKind::Confirmation, "確認", text, MessageButtons::YesNo) !=
         platform::MessageAnswer::No;
}

std::string systemErrorText(int code) {
  switch (code) {
    case 2:
      return "指定されたファイルが見つかりません。";
    case 3:
      return "指定されたパスが見つかりません。";
    case 5:
      return "アクセスが拒否されました。";
    case 32:
      return "プロセスはファイルにアクセスできません。別のプロセスが使用中です。";
    case 39:
    case 112:
      return "ディスクに十分な空き領域がありません。";
    case 123:
      return "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。";
    default:
      return "エラー " + std::to_string(code);
  }
}

}  // namespace app
