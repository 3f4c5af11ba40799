// PE version information: files made here and by binutils' windres, and damaged files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/posix/PeVersion.h"
#include "tools/pe/PeWriter.h"

namespace {

using platform::FixedFileVersion;
using platform::readPeFileVersion;
using tools::pe::buildPe;
using tools::pe::PeDescription;
using tools::pe::PeImage;
using tools::pe::VersionResource;

void set16(std::string& b, size_t at, uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void set32(std::string& b, size_t at, uint32_t v) {
  set16(b, at, v & 0xFFFF);
  set16(b, at + 2, v >> 16);
}

std::string versionText(const std::optional<FixedFileVersion>& v) {
  if (!v) return "none";
  return std::to_string(v->fileVersionMS >> 16) + "." + std::to_string(v->fileVersionMS & 0xFFFF) +
         "." + std::to_string(v->fileVersionLS >> 16) + "." +
         std::to_string(v->fileVersionLS & 0xFFFF);
}

PeImage image(bool pe32Plus, uint16_t a = 2, uint16_t b = 5, uint16_t c = 3, uint16_t d = 0) {
  PeDescription shape;
  shape.pe32Plus = pe32Plus;
  shape.version = VersionResource::of(a, b, c, d);
  shape.version->strings.push_back({"FileDescription", "表示ソフト"});
  return buildPe(shape);
}

TEST(PeVersionTest, ReadsTheFixedFileVersionOfPe32AndPe32Plus) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    EXPECT_EQ(versionText(readPeFileVersion(image(plus).bytes)), "2.5.3.0");
    EXPECT_EQ(versionText(readPeFileVersion(image(plus, 2, 10, 0, 65535).bytes)), "2.10.0.65535");
    // The fixed part counts, not the strings.
    VersionResource v = VersionResource::of(1, 2, 3, 4);
    v.strings = {{"FileVersion", "9.9.9.9"}};
    PeDescription shape;
    shape.pe32Plus = plus;
    shape.version = v;
    EXPECT_EQ(versionText(readPeFileVersion(buildPe(shape).bytes)), "1.2.3.4");
  }
}

TEST(PeVersionTest, FilesWithoutVersionResourceHaveNone) {
  std::string elf;
  {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    elf = bytes.str().substr(0, 1 << 16);
  }
  PeDescription noResources;
  const std::string rows[] = {
      "",
      "MZ",
      std::string(64, '\0'),
      "text file\r\n",
      elf,
      buildPe(noResources).bytes,
      // An old DOS program: MZ without a PE header.
      "MZ" + std::string(0x3A, '\0') + std::string("\x40\0\0\0", 4) + std::string(64, 'x'),
  };
  for (const std::string& bytes : rows) {
    SCOPED_TRACE(bytes.substr(0, 8));
    EXPECT_EQ(readPeFileVersion(bytes), std::nullopt);
  }
}

TEST(PeVersionTest, DamagedHeadersGiveNoVersion) {
  const PeImage good = image(false);
  const auto& at = good.layout;
  struct Row {
    const char* name;
    size_t offset;
    int width;
    uint32_t value;
  };
  const Row rows[] = {
      {"not MZ", 0, 16, 0x5A4E},
      {"e_lfanew past the end", 0x3C, 32, 0x7FFFFFF0},
      {"e_lfanew at the very end", 0x3C, 32, static_cast<uint32_t>(good.bytes.size() - 2)},
      {"e_lfanew wraps around", 0x3C, 32, 0xFFFFFFFF},
      {"no PE signature", at.peSignature, 32, 0x00004551},
      {"no sections", at.peSignature + 6, 16, 0},
      {"65535 sections", at.peSignature + 6, 16, 0xFFFF},
      {"optional header larger than the file", at.peSignature + 20, 16, 0xFFFF},
      {"optional header too small", at.peSignature + 20, 16, 96},
      {"ROM image magic", at.optionalHeader, 16, 0x107},
      {"two data directories", at.dataDirectories - 4, 32, 2},
      {"no resource directory", at.dataDirectories + 16, 32, 0},
      {"resource RVA outside every section", at.dataDirectories + 16, 32, 0x00F00000},
      {"resource RVA beyond the section's size", at.dataDirectories + 16, 32, 0x2FF0},
      {"section data past the end", at.sectionTable + 40 + 20, 32, 0x7FFFFFFF},
      {"section without data in the file", at.sectionTable + 40 + 16, 32, 0},
      {"no version type", at.resourceDirectory + 16, 32, 3},
      {"version type is a leaf", at.resourceDirectory + 20, 32, 0x18},
      {"version type points past the end", at.resourceDirectory + 20, 32, 0xFFFFFFFF},
      {"65535 named entries", at.resourceDirectory + 12, 16, 0xFFFF},
      {"name directory without entries", at.resourceDirectory + 0x18 + 14, 16, 0},
      {"language is a directory", at.resourceDirectory + 0x30 + 20, 32, 0x80000000},
      {"language entry points at itself as a leaf", at.resourceDirectory + 0x30 + 20, 32, 0x30},
      {"data RVA outside", at.resourceDataEntry, 32, 0x90000000},
      {"data size past the section", at.resourceDataEntry + 4, 32, 0x10000},
      {"data size wraps", at.resourceDataEntry + 4, 32, 0xFFFFFFFF},
      {"block too short for its value", at.versionBlock, 16, 60},
      {"block longer than the data", at.versionBlock, 16, 0xFFFF},
      {"value too short", at.versionBlock + 2, 16, 51},
      {"wrong key", at.versionBlock + 6, 16, 'W'},
      {"wrong signature", at.fixedFileInfo, 32, 0xFEEF04BE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string bytes = good.bytes;
    if (row.width == 16) {
      set16(bytes, row.offset, row.value);
    } else {
      set32(bytes, row.offset, row.value);
    }
    EXPECT_EQ(readPeFileVersion(bytes), std::nullopt);
  }
}

TEST(PeVersionTest, CutOffFilesGiveNoVersionOrTheRightOne) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const PeImage good = image(plus);
    const size_t at = good.layout.versionBlock;
    const size_t blockEnd = at + (static_cast<unsigned char>(good.bytes[at]) |
                                  static_cast<unsigned char>(good.bytes[at + 1]) << 8);
    for (size_t size = 0; size <= good.bytes.size(); ++size) {
      const auto v = readPeFileVersion(std::string_view(good.bytes).substr(0, size));
      // Only the padding after the version block may go.
      if (size < blockEnd && v) ADD_FAILURE() << "a version from a cut at " << size;
      if (size >= blockEnd && versionText(v) != "2.5.3.0") ADD_FAILURE() << "cut at " << size;
    }
  }
}

TEST(PeVersionTest, EveryChangedByteGivesAnAnswerWithoutFault) {
  // Under the sanitizers this catches any read outside the bytes.
  const PeImage good = image(true);
  const size_t end = good.layout.fixedFileInfo + 52;
  int answered = 0;
  for (size_t i = 0; i < end; ++i) {
    for (int value : {0x00, 0x7F, 0x80, 0xFF}) {
      std::string bytes = good.bytes;
      bytes[i] = static_cast<char>(value);
      if (readPeFileVersion(bytes)) ++answered;
    }
  }
  EXPECT_GT(answered, 0);  // most bytes (padding, strings) do not matter
}

// windres and ld of binutils for Windows: a version resource made by a tool that is not ours.
std::optional<std::string> windresProgram(const std::string& prefix, const std::string& folder) {
  const std::string rc = folder + "/v.rc";
  std::ofstream(rc) << "1 VERSIONINFO\nFILEVERSION 2,10,0,7\nPRODUCTVERSION 2,10,0,7\n"
                       "FILEOS 0x40004\nFILETYPE 1\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n"
                       "  BLOCK \"041104b0\"\n  BEGIN\n   VALUE \"FileVersion\", \"2.10.0.7\"\n"
                       "  END\n END\n BLOCK \"VarFileInfo\"\n BEGIN\n"
                       "  VALUE \"Translation\", 0x411, 1200\n END\nEND\n";
  const std::string command = prefix + "-windres --preprocessor=cpp " + rc + " -O coff -o " +
                              folder + "/v.o && " + prefix + "-ld --subsystem windows -e 0 " +
                              folder + "/v.o -o " + folder + "/v.exe 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::ifstream in(folder + "/v.exe", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/brevan-pe-XXXXXX";
    m_path = ::mkdtemp(pattern) ? pattern : "";
  }
  ~ScratchDir() {
    if (!m_path.empty()) (void)std::system(("rm -rf " + m_path).c_str());
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

TEST(PeVersionTest, ReadsProgramsLinkedByBinutils) {
  for (const char* prefix : {"i686-w64-mingw32", "x86_64-w64-mingw32"}) {
    SCOPED_TRACE(prefix);
    if (std::system((std::string("command -v ") + prefix + "-windres >/dev/null").c_str()) != 0) {
      GTEST_FAIL() << "binutils-mingw-w64 is not installed";
    }
    ScratchDir dir;
    auto bytes = windresProgram(prefix, dir.path());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(versionText(readPeFileVersion(*bytes)), "2.10.0.7");
  }
}

TEST(PeVersionTest, WindresReadsTheVersionResourceWeWrite) {
  if (std::system("command -v x86_64-w64-mingw32-windres >/dev/null") != 0) {
    GTEST_FAIL() << "binutils-mingw-w64 is not installed";
  }
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    ScratchDir dir;
    const std::string exe = dir.path() + "/made.exe";
    std::ofstream(exe, std::ios::binary) << image(plus, 2, 5, 3, 1).bytes;
    const std::string command =
        "x86_64-w64-mingw32-windres -i " + exe + " -O rc -o " + dir.path() + "/made.rc";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir.path() + "/made.rc");
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("FILEVERSION 2, 5, 3, 1"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("VALUE \"FileVersion\", \"2.5.3.1\""), std::string::npos);
    EXPECT_NE(text.str().find("VALUE \"Translation\", 0x411, 1200"), std::string::npos);
  }
}

}  // namespace
