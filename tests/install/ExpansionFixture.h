// An expansion run's test bench: a machine folder with an installation at C:\B\, the view
// double, the real LHA library binding and the update window, plus the downloads of a pass
// made by Debian's mscompress and the jlha-made archives of the fixtures folder.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "install/LhaBinding.h"
#include "platform/posix/Libraries_posix.h"
#include "tests/doubles/FakeView.h"
#include "tests/doubles/TempMachine.h"

namespace test {

// The installation folder and the pass folders the download sequence would have prepared.
inline constexpr const char* kRoot = "C:\\B\\";
inline constexpr const char* kNewBin = "C:\\B\\NEW_BIN\\";
inline constexpr const char* kOldBin = "C:\\B\\OLD_BIN\\";
inline constexpr const char* kWork2 = "C:\\TEMP\\BrvNewUp\\";
inline constexpr const char* kWork1 = "C:\\TEMP\\BrvOldUp\\";

class ExpansionTest : public ::testing::Test {
 public:
  ExpansionTest() : machine(view) {}

  // The settings file naming C:\B\, the pass folders with their "Plugin" folders, the window
  // created over a binding of the library built beside the tests; the start-up's notice box
  // and display are forgotten.
  void SetUp() override;
  // Makes the window again over a binding that loads from libraryFolder.
  void createForm(const std::string& libraryFolder);

  // Sets the run's fields for pass (2) (NEW_BIN) or pass (1) (OLD_BIN): the common table
  // followed by the rows of the standard table given.
  void preparePassTwo(const std::vector<int>& rows = {0});
  void preparePassOne(const std::vector<int>& rows = {0});
  // Puts every work-list entry into the work folder as the server would have delivered it:
  // ".lzh" entries are the fixtures' archives, MERGEHELP.IN_ the fixture merge file, every
  // other entry contentOf(entry); all but the archives compressed by mscompress. An entry
  // named in `raw` is written with those bytes as they stand, or left out when nullopt.
  void stageDownloads();
  std::map<std::string, std::optional<std::string>> raw;
  // Runs the expansion run as the download sequence does.
  void runUnpress() { form->Unpress(); }

  // The expanded bytes of an entry: text and a little binary, unique to the entry.
  static std::string contentOf(const std::string& entry);
  // An SZDD file made by mscompress from the bytes.
  std::string compress(const std::string& bytes);
  // A file of the fixtures folder, as bytes.
  static std::string fixture(const std::string& relativePath);

  // Names in a machine folder as they are on disk (UTF-8), sorted; folders end in '/'.
  std::vector<std::string> listing(const std::string& windowsFolder) const;
  // Every file beneath a machine folder, as relative paths with '/', sorted.
  std::vector<std::string> tree(const std::string& windowsFolder) const;
  std::time_t mtimeOf(const std::string& windowsPath) const;
  bool isReadOnly(const std::string& windowsPath) const;
  // Texts of the boxes shown since SetUp.
  std::vector<std::string> texts() const;
  std::string cp932(const std::string& utf8) { return machine.services().codec.toCp932(utf8); }

  FakeView view;
  TempMachine machine;
  std::unique_ptr<platform::posix::DlLibraries> libraries;
  std::unique_ptr<LhaBinding> lha;
  std::unique_ptr<TMainForm> form;
  std::string workPath;
};

}  // namespace test
