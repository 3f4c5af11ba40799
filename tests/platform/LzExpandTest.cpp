// SZDD expansion on Linux against files made by Debian's mscompress and checked with msexpand.
#include "platform/posix/LzExpand_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/MachineFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::Status;

std::string readNative(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeNative(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string randomBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// Text that compresses well, with matches near and far in the 4 KB window.
std::string repetitiveText(size_t size) {
  std::string s;
  for (unsigned i = 0; s.size() < size; ++i) {
    s += "line " + std::to_string(i % 97) + " of the help page\r\n";
    if (i % 13 == 0) s += std::string(i % 300, ' ');
  }
  s.resize(size);
  return s;
}

// A hand-made SZDD header announcing `length` bytes.
std::string szddHeader(uint32_t length, char method = 'A') {
  std::string h = "SZDD\x88\xF0\x27\x33";
  h += method;
  h += '\0';
  for (int k = 0; k < 4; ++k) h += static_cast<char>((length >> (8 * k)) & 0xFF);
  return h;
}

// Each test has its own machine folder with the work folder C:\Work.
class LzExpand : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brevan-lz-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_prefix = pattern;
    m_work = m_prefix / "drive_c" / "Work";
    fs::create_directories(m_work);
    m_machine = std::make_unique<platform::posix::MachineFolder>(m_prefix.string());
    m_backend = std::make_unique<platform::posix::MspackLzExpand>(*m_machine, m_lastError);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_prefix, ec);
  }

  // Compresses `bytes` with mscompress; the SZDD file's bytes.
  std::string compress(const std::string& bytes) {
    fs::path plain = m_prefix / "plain.bin";
    writeNative(plain, bytes);
    std::string command = "mscompress '" + plain.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "mscompress must be installed";
    std::string packed = readNative(plain.string() + "_");
    fs::remove(plain.string() + "_");
    return packed;
  }
  // What msexpand makes of an SZDD file.
  std::string msexpand(const std::string& packed) {
    fs::path in = m_prefix / "msexpand.in";
    fs::path out = m_prefix / "msexpand.out";
    writeNative(in, packed);
    std::string command = "msexpand < '" + in.string() + "' > '" + out.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return readNative(out);
  }

  Status expand(const std::string& source, const std::string& target) {
    return m_backend->expand("C:\\Work\\" + source, "C:\\Work\\" + target);
  }
  fs::path work(const std::string& name) const { return m_work / name; }
  // The names in the work folder, sorted: no temporary file may be left behind.
  std::vector<std::string> workFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_work)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path m_prefix;
  fs::path m_work;
  platform::LastError m_lastError;
  std::unique_ptr<platform::posix::MachineFolder> m_machine;
  std::unique_ptr<platform::posix::MspackLzExpand> m_backend;
};

TEST_F(LzExpand, FilesMadeByMscompressExpandAsMsexpandDoes) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  // Debian's mscompress mangles inputs shorter than 16 bytes; hand-made streams cover those.
  const Case cases[] = {
      {"sixteen bytes", "hello hello hell"},
      {"short text", "hello hello hello world\r\n"},
      {"just past the window", repetitiveText(4097)},
      {"repetitive text", repetitiveText(300 * 1024)},
      {"random bytes", randomBytes(70 * 1024, 7)},
      {"spaces only", std::string(10000, ' ')},
      {"zeros", std::string(5000, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string packed = compress(c.bytes);
    ASSERT_EQ(packed.compare(0, 4, "SZDD"), 0);
    writeNative(work("PICTDESK.EX_"), packed);
    ASSERT_TRUE(expand("PICTDESK.EX_", "PICTDESK.EXE").ok());
    std::string expanded = readNative(work("PICTDESK.EXE"));
    EXPECT_TRUE(expanded == c.bytes) << "sizes " << expanded.size() << " / " << c.bytes.size();
    EXPECT_TRUE(expanded == msexpand(packed));
  }
  EXPECT_EQ(workFiles(), (std::vector<std::string>{"PICTDESK.EXE", "PICTDESK.EX_"}));
}

TEST_F(LzExpand, EmptyFileFromMscompressStaysEmpty) {
  // mscompress writes a stray literal after an empty input; the header's length of 0 cuts it
  // off (msexpand, which ignores the length, gives one zero byte).
  std::string packed = compress("");
  writeNative(work("E.TX_"), packed);
  ASSERT_TRUE(expand("E.TX_", "E.TXT").ok());
  EXPECT_EQ(fs::file_size(work("E.TXT")), 0u);
}

TEST_F(LzExpand, WindowStartsFilledWithSpaces) {
  // One flag byte of matches: a 5-byte match at window position 0 gives five spaces, and a
  // match at 4096-16 (where writing starts) repeats the first literal.
  std::string packed = szddHeader(8);
  packed += '\x02';                      // flags: match, literal, match
  packed += std::string("\x00\x02", 2);  // offset 0, length 5
  packed += 'Q';                         // literal at 4080+5
  packed += std::string("\xF5\xF0", 2);  // offset 0xFF5 (=4085), length 3
  writeNative(work("A.TX_"), packed);
  ASSERT_TRUE(expand("A.TX_", "A.TXT").ok());
  EXPECT_EQ(readNative(work("A.TXT")), "     QQQ");
  // msexpand decodes the unused flag bits too; its first bytes agree.
  EXPECT_EQ(msexpand(packed).substr(0, 8), "     QQQ");
}

TEST_F(LzExpand, FilesNotInTheFormatAreCopiedUnchanged) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string qbasic = "SZ \x88\xF0\x27\x33\xD1";
  qbasic += std::string("\x05\x00\x00\x00\xFFhello", 9);
  const Case cases[] = {
      {"LHA archive", std::string("\x20\x3B-lh5-", 7) + randomBytes(3000, 3)},
      {"empty", ""},
      {"a prefix of the signature", "SZD"},
      {"signature with one byte wrong", "SZDD\x88\xF0\x27\x34" + std::string(20, 'a')},
      {"QBasic variant, which the LZ functions do not read", qbasic},
      {"large", randomBytes(600 * 1024, 11)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeNative(work("CORINS0.lzh"), c.bytes);
    ASSERT_TRUE(expand("CORINS0.lzh", "CORINS0.KOU").ok());
    EXPECT_TRUE(readNative(work("CORINS0.KOU")) == c.bytes);
  }
}

TEST_F(LzExpand, DamagedFilesFailAndLeaveNoTarget) {
  const std::string original = repetitiveText(50 * 1024);
  const std::string packed = compress(original);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"stream cut in half", packed.substr(0, packed.size() / 2)},
      {"stream cut one byte short", packed.substr(0, packed.size() - 1)},
      {"header only", packed.substr(0, 14)},
      {"header cut short", packed.substr(0, 10)},
      {"signature only", packed.substr(0, 8)},
      {"unknown method", szddHeader(5, 'B') + "\xFFhello"},
      {"length announced longer than the stream", szddHeader(6) + "\xFFhello"},
      {"length at its 32-bit maximum", szddHeader(0xFFFFFFFFu) + "\xFFhello"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeNative(work("A.DL_"), c.bytes);
    // A target left from an earlier run must not survive as a good-looking copy.
    writeNative(work("A.DLL"), "stale");
    m_lastError.set(0);
    Status st = expand("A.DL_", "A.DLL");
    EXPECT_EQ(st.error, platform::kErrorInvalidData);
    EXPECT_EQ(m_lastError.get(), platform::kErrorInvalidData);
    EXPECT_FALSE(fs::exists(work("A.DLL")));
    EXPECT_EQ(workFiles(), std::vector<std::string>{"A.DL_"});
  }
}

TEST_F(LzExpand, OutputPastTheAnnouncedLengthIsCutOff) {
  std::string packed = compress("0123456789abcdefghij");
  packed[10] = 4;  // announce 4 of the 20 bytes
  writeNative(work("A.IN_"), packed);
  ASSERT_TRUE(expand("A.IN_", "A.INI").ok());
  EXPECT_EQ(readNative(work("A.INI")), "0123");
  // A zero length gives an empty file: the caller's size test then calls it failed.
  packed[10] = 0;
  writeNative(work("A.IN_"), packed);
  ASSERT_TRUE(expand("A.IN_", "A.INI").ok());
  EXPECT_EQ(fs::file_size(work("A.INI")), 0u);
}

TEST_F(LzExpand, MissingOrUnusablePaths) {
  writeNative(work("A.EX_"), compress("program"));
  struct Case {
    const char* name;
    std::string source;
    std::string target;
    int error;
  };
  const Case cases[] = {
      {"missing source", "C:\\Work\\NONE.EX_", "C:\\Work\\NONE.EXE", platform::kErrorFileNotFound},
      {"missing source folder", "C:\\Nowhere\\A.EX_", "C:\\Work\\A.EXE",
       platform::kErrorPathNotFound},
      {"source on a drive that does not exist", "Q:\\A.EX_", "C:\\Work\\A.EXE",
       platform::kErrorPathNotFound},
      {"source is a folder", "C:\\Work", "C:\\Work\\A.EXE", platform::kErrorAccessDenied},
      {"missing target folder", "C:\\Work\\A.EX_", "C:\\Work\\Sub\\A.EXE",
       platform::kErrorPathNotFound},
      {"target is a folder", "C:\\Work\\A.EX_", "C:\\Work", platform::kErrorAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_lastError.set(0);
    EXPECT_EQ(m_backend->expand(c.source, c.target).error, c.error);
    EXPECT_EQ(m_lastError.get(), c.error);
    EXPECT_EQ(workFiles(), std::vector<std::string>{"A.EX_"});
  }
}

TEST_F(LzExpand, MissingSourceRemovesAnOldTarget) {
  writeNative(work("A.EXE"), "old copy");
  EXPECT_EQ(expand("A.EX_", "A.EXE").error, platform::kErrorFileNotFound);
  EXPECT_FALSE(fs::exists(work("A.EXE")));
}

TEST_F(LzExpand, ReadOnlyTargetIsRefusedEvenForRoot) {
  writeNative(work("A.EX_"), compress("new program"));
  writeNative(work("A.EXE"), "installed");
  fs::permissions(work("A.EXE"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(expand("A.EX_", "A.EXE").error, platform::kErrorAccessDenied);
  EXPECT_EQ(m_lastError.get(), platform::kErrorAccessDenied);
  EXPECT_EQ(readNative(work("A.EXE")), "installed");
}

TEST_F(LzExpand, ReplacesTheTargetKeepingItsNameAndPermissions) {
  writeNative(work("A.EX_"), compress("new program text"));
  writeNative(work("a.exe"), "old program, longer than the new one");
  fs::permissions(work("a.exe"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
  ASSERT_TRUE(expand("A.EX_", "A.EXE").ok());
  EXPECT_EQ(readNative(work("a.exe")), "new program text");
  EXPECT_EQ(fs::status(work("a.exe")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
  EXPECT_EQ(workFiles(), (std::vector<std::string>{"A.EX_", "a.exe"}));
}

TEST_F(LzExpand, SourceAndTargetMayBeOneFile) {
  // "X.KOU" restores to itself: a plain file stays as it is, a compressed one is expanded.
  writeNative(work("X.KOU"), "plain bytes");
  ASSERT_TRUE(expand("X.KOU", "X.KOU").ok());
  EXPECT_EQ(readNative(work("X.KOU")), "plain bytes");
  writeNative(work("X.KOU"), compress("expanded in place"));
  ASSERT_TRUE(expand("X.KOU", "x.kou").ok());
  EXPECT_EQ(readNative(work("X.KOU")), "expanded in place");
  // Damaged in place: the source is kept, not removed as a failed target would be.
  writeNative(work("X.KOU"), szddHeader(100) + "\xFFhello");
  EXPECT_EQ(expand("X.KOU", "X.KOU").error, platform::kErrorInvalidData);
  EXPECT_TRUE(fs::exists(work("X.KOU")));
  EXPECT_EQ(workFiles(), std::vector<std::string>{"X.KOU"});
}

}  // namespace
