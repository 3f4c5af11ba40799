// UNLHA32.DLL as the program loads it, on the jlha-made archives: extraction, CP932 names,
// time stamps, damaged or hostile archives that must leave nothing behind, the limits on what
// an archive may write, and the staging folders a killed run left.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "install/LhaBinding.h"
#include "tests/unlha32/LhaBuilder.h"
#include "unlha32/unlha32.h"

namespace fs = std::filesystem;

namespace {

// The program calls the library with the library's own convention (checked where it matters,
// in the 32-bit build).
using UnlhaFn = decltype(&::Unlha);
using GetVersionFn = decltype(&::UnlhaGetVersion);
using CheckArchiveFn = decltype(&::UnlhaCheckArchive);
static_assert(std::is_same_v<UnlhaFn, LhaBinding::UnlhaProc>);
static_assert(std::is_same_v<GetVersionFn, LhaBinding::UnlhaGetVersionProc>);

std::string cp932(const std::wstring& wide) {
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(932, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(932, 0, wide.data(), size, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file beneath a folder with its contents, by relative path.
std::map<fs::path, std::string> files(const fs::path& folder) {
  std::map<fs::path, std::string> found;
  if (!fs::exists(folder)) return found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) found[fs::relative(entry.path(), folder)] = readAll(entry.path());
  }
  return found;
}

template <class Fn>
Fn entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

fs::path exeFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

class UnlhaDll : public ::testing::Test {
 protected:
  void SetUp() override {
    // Found beside the program, as the program finds it.
    module = ::LoadLibraryW(L"UNLHA32.DLL");
    ASSERT_NE(module, nullptr);
    unlha = entry<UnlhaFn>(module, "Unlha");
    getVersion = entry<GetVersionFn>(module, "UnlhaGetVersion");
    checkArchive = entry<CheckArchiveFn>(module, "UnlhaCheckArchive");
    ASSERT_TRUE(unlha && getVersion && checkArchive);
    fixtures = exeFolder() / L"unlha32-fixtures";
    work = fs::temp_directory_path() /
           (L"unlha-" + std::to_wstring(::GetCurrentProcessId()) + L"-作業");
    fs::remove_all(work);
    fs::create_directories(work);
  }
  void TearDown() override {
    fs::remove_all(work);
    if (module) ::FreeLibrary(module);
  }

  // The program's own command for an archive and a destination (no trailing backslash).
  int extract(const fs::path& archive, const fs::path& destination) {
    const std::string line = "e -jyc -jyo \"" + cp932(archive.wstring()) + "\" -d1 -c1 \"" +
                             cp932(destination.wstring()) + "\\\"";
    char output[255] = {};
    return unlha(nullptr, line.c_str(), output, 254);
  }

  HMODULE module = nullptr;
  UnlhaFn unlha = nullptr;
  GetVersionFn getVersion = nullptr;
  CheckArchiveFn checkArchive = nullptr;
  fs::path fixtures;
  fs::path work;
};

TEST_F(UnlhaDll, ExtractsEveryJlhaArchiveFileForFile) {
  EXPECT_EQ(getVersion(), 100);
  // The help archive under its Japanese name, as the program downloads it.
  const std::pair<const wchar_t*, const wchar_t*> archives[] = {{L"CORINS0", L"CORINS0.lzh"},
                                                                {L"CORINS5", L"CORINS5.lzh"},
                                                                {L"CORINS6", L"CORINS6.lzh"},
                                                                {L"HELP", L"ヘルプ.lzh"}};
  for (const auto& [name, saved] : archives) {
    SCOPED_TRACE(fs::path(name).string());
    const fs::path archive = work / saved;
    fs::copy_file(fixtures / (std::wstring(name) + L".lzh"), archive);
    const fs::path destination = work / L"インストール" / name;
    EXPECT_TRUE(checkArchive(cp932(archive.wstring()).c_str(), 2));
    EXPECT_EQ(extract(archive, destination), 0);
    const auto expected = files(fixtures / L"src" / name);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(files(destination), expected);
  }
  // Level 2 keeps the time in seconds since 1970: 2004-04-01 03:00:00 UTC.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW((work / L"インストール\\CORINS0\\corins0.0\\data.txt").c_str(),
                                     GetFileExInfoStandard, &data));
  const ULONGLONG written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                            data.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(written, (1080788400ULL + 11644473600ULL) * 10000000ULL);
}

TEST_F(UnlhaDll, DamagedAndHostileArchivesLeaveNothingBehind) {
  // CORINS5.lzh (two members) with a byte of its last member's data changed, then cut inside
  // that data: the first member is sound but must not be written either. Then TRAVERSAL.lzh,
  // whose one member is named "..\..\..\..\ev6.txt".
  const std::string intact = readAll(fixtures / L"CORINS5.lzh");
  std::string damaged = intact;
  damaged[damaged.size() - 3] = static_cast<char>(damaged[damaged.size() - 3] ^ 0x55);
  const struct {
    const char* name;
    std::string bytes;
    int result;
    bool sound;  // as an archive: every header and CRC right
  } cases[] = {
      {"crc", damaged, 0x800C, false},
      {"truncated", intact.substr(0, intact.size() - 8), 0x8042, false},
      {"traversal", readAll(fixtures / L"TRAVERSAL.lzh"), 0x8081, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path archive = work / L"in" / L"CORINS.lzh";
    fs::create_directories(archive.parent_path());
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << c.bytes;
    const fs::path destination = work / L"a" / L"b" / L"c" / L"d" / L"dest";
    EXPECT_EQ(checkArchive(cp932(archive.wstring()).c_str(), 2) != 0, c.sound);
    EXPECT_EQ(extract(archive, destination), c.result);
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
      left.push_back(fs::relative(entry.path(), work).string());
    }
    // A damaged archive takes back the folders it made; a sound one keeps its empty destination.
    std::vector<std::string> expected = {"in", "in\\CORINS.lzh"};
    if (c.sound) {
      expected.insert(expected.begin(), {"a", "a\\b", "a\\b\\c", "a\\b\\c\\d", "a\\b\\c\\d\\dest"});
    }
    EXPECT_EQ(left, expected);
    fs::remove_all(work / L"a");
  }
}

// Before a byte is written: more than the drive holds (the destination is opened, and the
// staging folder a killed run left there goes), then a bomb's sizes out of all proportion
// (refused before the destination is even opened).
TEST_F(UnlhaDll, LimitsAndLeftovers) {
  const fs::path destination = work / L"dest";
  fs::create_directories(destination / L".unlha32-4242-0.part");
  std::ofstream(destination / L".unlha32-4242-0.part" / L"0") << "half a member";
  fs::create_directories(destination / L".unlha32-4242-0.part.bak");
  std::ofstream(destination / L".unlha32-7-7.part") << "a file of the user's";

  test::LhaMember bomb;
  bomb.file = "bomb.bin";
  std::strcpy(bomb.method, "-lh5-");
  bomb.announcedSize = 1U << 30;
  bomb.packed = test::lh5Bomb(bomb.announcedSize);
  bomb.announcedCrc = test::lhaCrcOfRepeated(' ', bomb.announcedSize);
  ULARGE_INTEGER free{};
  ASSERT_TRUE(::GetDiskFreeSpaceExW(work.c_str(), &free, nullptr, nullptr));
  std::vector<test::LhaMember> big;
  for (uint64_t announced = 0; announced <= free.QuadPart; announced += 0xFFFFFFFFu) {
    test::LhaMember m;
    m.file = "big" + std::to_string(big.size()) + ".bin";
    m.packed = std::string(8000, 'x');
    m.announcedSize = 0xFFFFFFFFu;
    big.push_back(m);
  }
  const struct {
    const char* name;
    std::vector<test::LhaMember> members;
    int result;
  } cases[] = {{"beyond the drive", big, 0x8005}, {"bomb", {bomb}, 0x8017}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path archive = work / L"in.lzh";
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << test::buildLha(c.members);
    EXPECT_EQ(extract(archive, destination), c.result);
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(destination)) {
      left.insert(fs::relative(entry.path(), destination).string());
    }
    EXPECT_EQ(left, (std::set<std::string>{".unlha32-4242-0.part.bak", ".unlha32-7-7.part"}));
  }
}

}  // namespace
