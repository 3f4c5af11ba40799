// Shows the update window by itself and saves a picture of it, for eyes and for the README.
// Usage: view_demo OUT.png [--design] [--screen] [--box]
//   --design  keep the texts the window is built with (otherwise a ready window is shown)
//   --screen  picture the whole screen as the display server shows it (run under xvfb-run)
//   --box     picture the overwrite question over the window instead of the window
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstring>
#include <string>

#include "app/WindowDesign.h"
#include "platform/qt/FontAlias.h"
#include "platform/qt/QtView.h"
#include "platform/qt/UpdateWindow.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  bool design = false;
  bool screen = false;
  bool box = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--design") == 0) design = true;
    if (std::strcmp(argv[i], "--screen") == 0) screen = true;
    if (std::strcmp(argv[i], "--box") == 0) box = true;
  }
  const std::string self = argv[0];
  const auto slash = self.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : self.substr(0, slash);
  // The alias file sits in the build's top folder, beside the program.
  if (!platform::qt::installFontAlias(folder + "/../..")) {
    (void)platform::qt::installFontAlias(folder);
  }

  QApplication app(argc, argv);
  platform::qt::QtView view{app::kMainForm};
  using platform::Control;
  if (!design) {
    view.setVisible(Control::CancelButton, false);
    view.setCaption(Control::ProgressLabel, "");
    view.setCaption(Control::NowVersionLabel, "NowVersion: v2.4.1.0");
    view.setCaption(Control::UpVersionLabel, "UpVersion: v2.5.3.0");
    view.setCaption(Control::MsgLabel, "[アップデート開始]をクリックして作業を開始してください。");
    for (int i = 0; i < view.itemCount(); ++i) view.setChecked(i, i < 2 || i == 5 || i == 9);
    view.setProgress(0);
  }
  view.show();

  const QString out = QString::fromLocal8Bit(argv[1]);
  int rc = 1;
  auto takePicture = [&](QWidget& target) {
    QPixmap picture = screen ? QGuiApplication::primaryScreen()->grabWindow(0) : target.grab();
    rc = picture.save(out) ? 0 : 1;
  };
  if (box) {
    QTimer::singleShot(500, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        takePicture(*modal);
        modal->close();
      }
    });
    QTimer::singleShot(0, [&] {
      (void)view.messageBox(platform::MessageKind::Confirmation, "確認",
                            "既に同バージョンまたは上位バージョンがインストールされています。"
                            "\r上書き更新を行いますか？",
                            platform::MessageButtons::YesNo);
      view.terminate();
    });
  } else {
    QTimer::singleShot(500, [&] {
      takePicture(view.window());
      view.terminate();
    });
  }
  view.runMessageLoop();
  return rc;
}
