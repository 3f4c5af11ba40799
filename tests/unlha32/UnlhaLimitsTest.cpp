// The limits on what an archive may write: sizes out of all proportion to the packed data,
// more than the drive holds, and the staging folders a killed run left behind.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tests/unlha32/LhaBuilder.h"
#include "tests/unlha32/UnlhaFixture.h"
#include "unlha32/unlha32.h"

namespace fs = std::filesystem;

namespace test {
namespace {

class UnlhaLimitsTest : public UnlhaTest {
 protected:
  void SetUp() override {
    UnlhaTest::SetUp();
    fs::create_directories(native("C:\\WORK"));
    fs::create_directories(native("C:\\Brevan\\NEW_BIN"));
    dest = native("C:\\Brevan\\NEW_BIN");
  }
  Result run(const std::vector<LhaMember>& members) {
    writeFile(native("C:\\WORK\\T.lzh"), buildLha(members));
    return extract("C:\\WORK\\T.lzh", "C:\\Brevan\\NEW_BIN");
  }
  std::string dest;
};

LhaMember file(std::string name, std::string data) {
  LhaMember m;
  m.file = std::move(name);
  m.data = std::move(data);
  return m;
}

// A member that decodes to size blanks from the bomb stream.
LhaMember bomb(std::string name, uint32_t size, bool badCrc = false) {
  LhaMember m = file(std::move(name), "");
  std::strcpy(m.method, "-lh5-");
  m.packed = lh5Bomb(size);
  m.announcedSize = size;
  m.announcedCrc = lhaCrcOfRepeated(' ', size);
  m.badCrc = badCrc;
  return m;
}

// Runs an extraction that may not write more than limit bytes into any file.
template <typename Run>
auto withFileSizeLimit(rlim_t limit, Run run) {
  rlimit saved{};
  EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = limit;
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto result = run();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  return result;
}

TEST_F(UnlhaLimitsTest, BombsAreRefusedBeforeAByteIsWritten) {
  constexpr uint32_t kGiB = 1U << 30;
  const std::string one = buildLha({bomb("bomb.bin", kGiB)});
  EXPECT_LT(one.size(), 500u);  // about the 458 bytes the bomb is known by
  const std::vector<std::vector<LhaMember>> archives = {
      {bomb("bomb.bin", kGiB)},
      {bomb("bomb.bin", kGiB, true)},
      {file("a.txt", "a"), bomb("bomb.bin", kGiB), bomb("b2.bin", kGiB), bomb("b3.bin", kGiB)},
  };
  for (const auto& members : archives) {
    SCOPED_TRACE(members.size());
    const auto result = withFileSizeLimit(1 << 20, [&] { return run(members); });
    EXPECT_EQ(result.code, UNLHA_ERROR_HEADER_BROKEN) << result.output;
    EXPECT_EQ(result.output,
              "Nothing extracted: bomb.bin: size out of all proportion to its packed size.\r\n");
    EXPECT_EQ(tree(dest), std::set<std::string>{});
  }
  // The same stream announced at a size an encoder could reach is decoded as far as announced.
  const auto fair = run({bomb("fair.bin", 200 * 1024)});
  EXPECT_EQ(fair.code, 0) << fair.output;
  EXPECT_EQ(readFile(dest + "/fair.bin"), std::string(200 * 1024, ' '));
}

TEST_F(UnlhaLimitsTest, MembersAnnouncingMoreThanTheDriveHoldsAreRefused) {
  struct statvfs fs {};
  ASSERT_EQ(::statvfs(dest.c_str(), &fs), 0);
  const uint64_t free = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
  // Members of 4 GB each, packed at a ratio an encoder reaches, enough to pass the free space.
  std::vector<LhaMember> members = {file("a.txt", "a")};
  for (uint64_t announced = 0; announced <= free; announced += 0xFFFFFFFFu) {
    LhaMember big = file("big" + std::to_string(members.size()) + ".bin", "");
    big.packed = std::string(8000, 'x');
    big.announcedSize = 0xFFFFFFFFu;
    members.push_back(big);
  }
  const auto result = run(members);
  EXPECT_EQ(result.code, UNLHA_ERROR_DISK_SPACE) << result.output;
  EXPECT_EQ(result.output, "Nothing extracted: not enough disk space.\r\n");
  EXPECT_EQ(tree(dest), std::set<std::string>{});
}

TEST_F(UnlhaLimitsTest, StagingFoldersOfAKilledRunAreRemovedAndNothingElse) {
  const std::string outside = root + "/outside";
  fs::create_directories(outside);
  writeFile(outside + "/keep.txt", "outside");
  for (const char* left : {".unlha32-4242-0.part", ".unlha32-1-17.part"}) {
    fs::create_directories(dest + "/" + left);
    writeFile(dest + "/" + left + "/0", "half a member");
  }
  // Near misses, a file and a link of the pattern, and one below the top: not ours.
  const char* kept[] = {".unlha32-4242-0.part.bak", ".unlha32--0.part",  ".unlha32-x-0.part",
                        "unlha32-1-1.part",         ".unlha32-1-1.PART", ".unlha32-+1-1.part"};
  for (const char* name : kept) fs::create_directories(dest + "/" + name);
  writeFile(dest + "/.unlha32-2-2.part", "a file");
  fs::create_directory_symlink(outside, dest + "/.unlha32-3-3.part");
  fs::create_directories(dest + "/corins0.0/.unlha32-5-0.part");
  const auto result = run({file("new.txt", "new")});
  ASSERT_EQ(result.code, 0) << result.output;
  std::set<std::string> expected = {"new.txt", ".unlha32-2-2.part", ".unlha32-3-3.part",
                                    "corins0.0", "corins0.0/.unlha32-5-0.part"};
  for (const char* name : kept) expected.insert(name);
  EXPECT_EQ(tree(dest), expected);
  EXPECT_EQ(readFile(outside + "/keep.txt"), "outside");
}

// A 200 MB file of zero bytes packed by jlha, made once beside the test program (about 5 s):
// as far as an encoder packs anything, and it must still extract.
std::string zeroArchive() {
  const fs::path cache = fs::path(JLHA_CACHE_DIR) / "v1";
  const fs::path made = cache / "zeros200.lzh";
  if (fs::exists(made)) return made.string();
  fs::create_directories(cache);
  std::string scratch = (cache / "zeros-XXXXXX").string();
  if (mkdtemp(scratch.data()) == nullptr) return {};
  {
    const int fd = ::open((scratch + "/zeros.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    const bool sized = fd >= 0 && ::ftruncate(fd, 200'000'000) == 0;
    if (fd >= 0) ::close(fd);
    if (!sized) return {};
  }
  const std::string cmd = "cd '" + scratch + "' && '" JLHA_PROGRAM "' ao5q '" + scratch +
                          "/z.lzh' zeros.bin >/dev/null 2>&1";
  if (std::system(cmd.c_str()) == 0 && fs::exists(scratch + "/z.lzh")) {
    fs::rename(scratch + "/z.lzh", made);
  }
  fs::remove_all(scratch);
  return fs::exists(made) ? made.string() : std::string();
}

TEST_F(UnlhaLimitsTest, TheMostPackedArchiveAnEncoderMakesStillExtracts) {
  ASSERT_STRNE(JLHA_PROGRAM, "") << "jlha (Debian jlha-utils) missing";
  const std::string archive = zeroArchive();
  ASSERT_NE(archive, "");
  EXPECT_LT(fs::file_size(archive), 4000u);  // well over 1 : 50,000
  fs::copy_file(archive, native("C:\\WORK\\Z.lzh"));
  const auto result = extract("C:\\WORK\\Z.lzh", "C:\\Brevan\\NEW_BIN");
  ASSERT_EQ(result.code, 0) << result.output;
  const std::string out = dest + "/zeros.bin";
  ASSERT_EQ(fs::file_size(out), 200'000'000u);
  // Zero bytes all through, read in pieces.
  const int fd = ::open(out.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  std::vector<char> piece(1 << 20);
  bool zero = true;
  for (ssize_t n; (n = ::read(fd, piece.data(), piece.size())) > 0;) {
    zero = zero && std::all_of(piece.begin(), piece.begin() + n, [](char c) { return c == 0; });
  }
  ::close(fd);
  EXPECT_TRUE(zero);
  fs::remove(out);
}

}  // namespace
}  // namespace test
