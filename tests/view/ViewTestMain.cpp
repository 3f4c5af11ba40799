// Runs the window tests inside one QApplication on the offscreen platform, with the font alias.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/FontAlias.h"

int main(int argc, char** argv) {
  // Test discovery runs the program outside CTest's environment, where there is no display.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Without the alias the labels would be measured in a fallback face.
  if (!platform::qt::installFontAlias(BREVAN_FONT_ALIAS_DIR)) return 3;
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
