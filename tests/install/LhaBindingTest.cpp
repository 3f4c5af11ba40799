// The archive library's binding through a recording library: the entry points looked up in their
// fixed order, a missing one left to its stub, and the exact bytes of the expansion command.
#include <cstdio>
#include <vector>

#include "install/LhaBinding.h"
#include "tests/app/WindowFixture.h"

namespace test {
namespace {

// What the recording library's Unlha was handed.
struct UnlhaCall {
  void* owner = reinterpret_cast<void*>(1);
  std::string command;
  unsigned size = 0;
};
UnlhaCall lastCall;

int recordingUnlha(void* owner, const char* command, char* output, unsigned size) {
  lastCall = {owner, command, size};
  std::snprintf(output, size, "%s", "report");
  return 7;
}

// Answers every name but one with an address, and notes the names asked for.
class RecordingLibraries : public platform::Libraries {
 public:
  explicit RecordingLibraries(std::string missing) : m_missing(std::move(missing)) {}
  std::vector<std::string> asked;

  std::unique_ptr<platform::Library> load(const std::string& name) override {
    EXPECT_EQ(name, "UNLHA32.DLL");
    struct Recording : platform::Library {
      RecordingLibraries& owner;
      explicit Recording(RecordingLibraries& o) : owner(o) {}
      void* symbol(const std::string& symbolName) override {
        owner.asked.push_back(symbolName);
        if (symbolName == owner.m_missing) return nullptr;
        return reinterpret_cast<void*>(&recordingUnlha);
      }
    };
    return std::make_unique<Recording>(*this);
  }

 private:
  std::string m_missing;
};

TEST_F(WindowTest, EntryPointsAreBoundInTheirOrderAndAMissingOneKeepsItsStub) {
  const std::vector<std::string> order = {"UnlhaGetVersion",
                                          "UnlhaGetSubVersion",
                                          "UnlhaGetRunning",
                                          "UnlhaGetBackGroundMode",
                                          "UnlhaSetBackGroundMode",
                                          "UnlhaGetCursorMode",
                                          "UnlhaSetCursorMode",
                                          "UnlhaGetCursorInterval",
                                          "UnlhaSetCursorInterval",
                                          "Unlha",
                                          "UnlhaCheckArchive",
                                          "UnlhaConfigDialog",
                                          "UnlhaGetFileCount",
                                          "UnlhaOpenArchive",
                                          "UnlhaCloseArchive",
                                          "UnlhaFindFirst",
                                          "UnlhaFindNext",
                                          "UnlhaGetArcFileName",
                                          "UnlhaGetArcFileSize",
                                          "UnlhaGetArcOriginalSize",
                                          "UnlhaGetArcCompressedSize",
                                          "UnlhaGetArcRatio",
                                          "UnlhaGetArcDate",
                                          "UnlhaGetArcTime",
                                          "UnlhaGetArcOSType",
                                          "UnlhaGetFileName",
                                          "UnlhaGetMethod",
                                          "UnlhaGetOriginalSize",
                                          "UnlhaGetCompressedSize",
                                          "UnlhaGetRatio",
                                          "UnlhaGetDate",
                                          "UnlhaGetTime",
                                          "UnlhaGetWriteTime",
                                          "UnlhaGetAccessTime",
                                          "UnlhaGetCreateTime",
                                          "UnlhaGetCRC",
                                          "UnlhaGetAttribute",
                                          "UnlhaGetOSType",
                                          "UnlhaQueryFunctionList",
                                          "UnlhaSetOwnerWindow",
                                          "UnlhaClearOwnerWindow"};
  RecordingLibraries libraries("UnlhaGetVersion");
  std::vector<std::string> panics;
  LhaBinding lha(libraries, [&](const std::string& caption, const std::string& text) {
    panics.push_back(caption + "|" + text);
  });
  EXPECT_EQ(libraries.asked, order);
  EXPECT_EQ(lha.UnlhaGetVersion(), 0);
  EXPECT_EQ(panics, std::vector<std::string>{"PANIC!!|UnlhaGetVersion: LHA.DLL not loaded."});

  // The command: archive and destination quoted, the destination ending in one backslash, the
  // Japanese name in CP932, the buffer announced one character short.
  putSettings("C:\\B\\");
  form = std::make_unique<TMainForm>(view, machine.services(), &lha);
  EXPECT_EQ(form->ExpandArchive("C:\\TEMP\\BrvOldUp\\ヘルプ.lzh", "C:\\B\\OLD_BIN"), 7);
  EXPECT_EQ(lastCall.owner, nullptr);
  EXPECT_EQ(lastCall.size, 254u);
  EXPECT_EQ(lastCall.command,
            "e -jyc -jyo \"C:\\TEMP\\BrvOldUp\\\x83\x77\x83\x8B\x83\x76.lzh\" -d1 -c1 "
            "\"C:\\B\\OLD_BIN\\\"");
  EXPECT_EQ(panics.size(), 1u);
  form.reset();  // before the binding it uses
}

}  // namespace
}  // namespace test
