// Small but well-formed Windows PE files (PE32 or PE32+) with a version resource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tools::pe {

// The version resource: VS_FIXEDFILEINFO, a StringFileInfo table and VarFileInfo.
struct VersionResource {
  uint32_t fileVersionMS = 0;  // high word: first number, low word: second
  uint32_t fileVersionLS = 0;  // high word: third number, low word: fourth
  uint32_t productVersionMS = 0;
  uint32_t productVersionLS = 0;
  uint16_t language = 0x0411;  // Japanese
  uint16_t codePage = 1200;    // Unicode, as resource compilers write the string table
  // StringFileInfo entries ("FileVersion", "2.5.3.0"), UTF-8; written as UTF-16.
  std::vector<std::pair<std::string, std::string>> strings;

  // The same version in the fixed and the string parts: "a.b.c.d".
  static VersionResource of(uint16_t a, uint16_t b, uint16_t c, uint16_t d);
};

struct PeDescription {
  bool pe32Plus = false;  // x64 image with a PE32+ optional header, else i386 PE32
  bool dll = false;
  std::optional<VersionResource> version;     // none: the file has no resource section
  std::string code = std::string(1, '\xC3');  // the .text section's bytes (entry point: "ret")
};

// File offsets of the parts, for tests that damage one field on purpose.
struct PeLayout {
  size_t peSignature = 0;     // "PE\0\0"; the DOS header's e_lfanew (0x3C) holds it
  size_t optionalHeader = 0;  // magic 0x10B / 0x20B
  size_t dataDirectories = 0;
  size_t sectionTable = 0;
  size_t resourceDirectory = 0;  // 0 without a version resource
  size_t resourceDataEntry = 0;  // IMAGE_RESOURCE_DATA_ENTRY of the version block
  size_t versionBlock = 0;       // VS_VERSIONINFO
  size_t fixedFileInfo = 0;      // VS_FIXEDFILEINFO (signature 0xFEEF04BD)
};

struct PeImage {
  std::string bytes;
  PeLayout layout;
};

PeImage buildPe(const PeDescription& shape);

// A 32-bit program file whose file version is a.b.c.d.
std::string programWithVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

}  // namespace tools::pe
