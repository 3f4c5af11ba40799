// The window's face "ＭＳ ゴシック" resolves to an installed Japanese font through the program's
// own fontconfig file, so no text of the window or its boxes shows as empty boxes.
#include <gtest/gtest.h>

#include "tests/e2e/ChildProcess.h"

namespace e2e {
namespace {

TEST(FontAlias, WindowFacesResolveToIpaGothicWithTheProgramsFontFile) {
  ASSERT_FALSE(findProgram("fc-match").empty()) << "fc-match (Debian fontconfig) missing";
  const std::map<std::string, std::string> env = {{"FONTCONFIG_FILE", BREVAN_FONT_FILE}};
  for (const char* face : {"ＭＳ ゴシック", "MS Gothic"}) {
    SCOPED_TRACE(face);
    const auto family = commandOutput({"fc-match", "-f", "%{family}", face}, env);
    ASSERT_TRUE(family.has_value());
    EXPECT_NE(family->find("IPAGothic"), std::string::npos) << *family;
    // The face that is found covers the Japanese of the window: kana, kanji, full-width forms.
    const auto coverage = commandOutput({"fc-match", "-f", "%{lang}", face}, env);
    ASSERT_TRUE(coverage.has_value());
    EXPECT_NE(coverage->find("ja"), std::string::npos) << *coverage;
  }
}

}  // namespace
}  // namespace e2e
