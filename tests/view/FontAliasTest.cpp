// Finding and installing the font alias file before the toolkit starts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/qt/FontAlias.h"

namespace {

class FontAliasTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* v = std::getenv("FONTCONFIG_FILE")) saved = v;
    ::unsetenv("FONTCONFIG_FILE");
    ASSERT_TRUE(dir.isValid());
    folder = QDir(dir.path()).canonicalPath().toStdString();
  }
  void TearDown() override {
    if (saved) {
      ::setenv("FONTCONFIG_FILE", saved->c_str(), 1);
    } else {
      ::unsetenv("FONTCONFIG_FILE");
    }
  }
  void writeAliasFile() {
    QFile f(QString::fromStdString(folder + "/brevan-fonts.conf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<fontconfig/>\n");
  }
  static std::string env() {
    const char* v = std::getenv("FONTCONFIG_FILE");
    return v ? v : "(unset)";
  }

  std::optional<std::string> saved;
  QTemporaryDir dir;
  std::string folder;
};

TEST_F(FontAliasTest, MissingFileChangesNothing) {
  EXPECT_FALSE(platform::qt::installFontAlias(folder));
  EXPECT_EQ(env(), "(unset)");
}

TEST_F(FontAliasTest, FolderIsNotTakenForTheFile) {
  ASSERT_TRUE(QDir(QString::fromStdString(folder)).mkdir("brevan-fonts.conf"));
  EXPECT_FALSE(platform::qt::installFontAlias(folder));
  EXPECT_EQ(env(), "(unset)");
}

TEST_F(FontAliasTest, FileIsInstalledByItsAbsoluteName) {
  writeAliasFile();
  const std::string expected = folder + "/brevan-fonts.conf";
  const std::string forms[] = {folder, folder + "/", folder + "/./"};
  for (const std::string& form : forms) {
    SCOPED_TRACE(form);
    ::unsetenv("FONTCONFIG_FILE");
    EXPECT_TRUE(platform::qt::installFontAlias(form));
    EXPECT_EQ(env(), expected);
  }
}

TEST_F(FontAliasTest, UsersOwnConfigurationIsLeftInPlace) {
  writeAliasFile();
  ::setenv("FONTCONFIG_FILE", "/etc/fonts/fonts.conf", 1);
  EXPECT_FALSE(platform::qt::installFontAlias(folder));
  EXPECT_EQ(env(), "/etc/fonts/fonts.conf");
  // Already ours (a program started by this one): nothing to do, and the alias is in force.
  ::setenv("FONTCONFIG_FILE", (folder + "/brevan-fonts.conf").c_str(), 1);
  EXPECT_TRUE(platform::qt::installFontAlias(folder));
}

}  // namespace
