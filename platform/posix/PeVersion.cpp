// The fixed version information of a Windows PE file, read from its bytes.
#include "platform/posix/PeVersion.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {
namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kFixedInfoSize = 52;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";

// Little-endian reads inside [0, size) of a byte range; every read is checked.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : m_data(data) {}
  uint64_t size() const { return m_data.size(); }
  bool has(uint64_t offset, uint64_t length) const {
    return offset <= m_data.size() && length <= m_data.size() - offset;
  }
  std::optional<uint32_t> u16(uint64_t offset) const { return read(offset, 2); }
  std::optional<uint32_t> u32(uint64_t offset) const { return read(offset, 4); }
  // The bytes [offset, offset + length), which must lie inside.
  Bytes slice(uint64_t offset, uint64_t length) const {
    return Bytes(m_data.substr(static_cast<size_t>(offset), static_cast<size_t>(length)));
  }

 private:
  std::optional<uint32_t> read(uint64_t offset, int width) const {
    if (!has(offset, static_cast<uint64_t>(width))) return std::nullopt;
    uint32_t n = 0;
    for (int i = width; i-- > 0;) {
      n = (n << 8) | static_cast<unsigned char>(m_data[static_cast<size_t>(offset) + i]);
    }
    return n;
  }
  std::string_view m_data;
};

struct Section {
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawSize = 0;
  uint32_t rawPointer = 0;
};

class PeFile {
 public:
  explicit PeFile(std::string_view data) : m_file(data) {}

  std::optional<FixedFileVersion> version() {
    auto resourceRva = readHeaders();
    if (!resourceRva) return std::nullopt;
    // The resource tree: its offsets count from the directory's start, inside its section.
    auto resources = fileRange(*resourceRva, 16);
    if (!resources) return std::nullopt;
    const Bytes tree = m_file.slice(resources->first, resources->second);
    // Three levels: type (16, version), then its first name, then that name's first language.
    auto names = versionEntry(tree);
    if (!names) return std::nullopt;
    auto languages = firstEntry(tree, *names, true);
    if (!languages) return std::nullopt;
    auto dataEntry = firstEntry(tree, *languages, false);
    if (!dataEntry) return std::nullopt;
    auto dataRva = tree.u32(*dataEntry);
    auto dataSize = tree.u32(*dataEntry + 4);
    if (!dataRva || !dataSize) return std::nullopt;
    auto block = fileRange(*dataRva, *dataSize);
    if (!block) return std::nullopt;
    return fixedInfo(m_file.slice(block->first, *dataSize));
  }

 private:
  // Checks the headers, keeps the section table and gives the resource directory's RVA.
  std::optional<uint32_t> readHeaders() {
    if (!m_file.has(0, 64) || m_file.u16(0) != 0x5A4Du) return std::nullopt;  // "MZ"
    const uint64_t pe = *m_file.u32(0x3C);
    if (m_file.u32(pe) != 0x00004550u) return std::nullopt;  // "PE\0\0"
    const uint64_t coff = pe + 4;
    auto sectionCount = m_file.u16(coff + 2);
    auto optionalSize = m_file.u16(coff + 16);
    if (!sectionCount || !optionalSize) return std::nullopt;
    const uint64_t optional = coff + 20;
    if (!m_file.has(optional, *optionalSize)) return std::nullopt;
    const Bytes header = m_file.slice(optional, *optionalSize);
    uint64_t countAt = 0;
    if (header.u16(0) == kPe32Magic) {
      countAt = 92;
    } else if (header.u16(0) == kPe32PlusMagic) {
      countAt = 108;
    } else {
      return std::nullopt;
    }
    auto directoryCount = header.u32(countAt);
    if (!directoryCount || *directoryCount <= kResourceDirectoryIndex) return std::nullopt;
    auto resourceRva = header.u32(countAt + 4 + 8 * kResourceDirectoryIndex);
    if (!resourceRva || *resourceRva == 0) return std::nullopt;

    const uint64_t table = optional + *optionalSize;
    if (!m_file.has(table, kSectionHeaderSize * *sectionCount)) return std::nullopt;
    for (uint64_t i = 0; i < *sectionCount; ++i) {
      const uint64_t at = table + kSectionHeaderSize * i;
      m_sections.push_back(Section{*m_file.u32(at + 12), *m_file.u32(at + 8), *m_file.u32(at + 16),
                                   *m_file.u32(at + 20)});
    }
    return resourceRva;
  }

  // The file bytes holding [rva, rva + length): start and the length available from there to
  // the end of the section's data in the file (at least `length`).
  std::optional<std::pair<uint64_t, uint64_t>> fileRange(uint64_t rva, uint64_t length) const {
    for (const Section& s : m_sections) {
      const uint64_t span = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
      if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
      const uint64_t into = rva - s.virtualAddress;
      const uint64_t rawEnd =
          std::min<uint64_t>(static_cast<uint64_t>(s.rawPointer) + s.rawSize, m_file.size());
      const uint64_t start = static_cast<uint64_t>(s.rawPointer) + into;
      if (into >= s.rawSize || start >= rawEnd || rawEnd - start < length) return std::nullopt;
      return std::make_pair(start, rawEnd - start);
    }
    return std::nullopt;
  }

  // The directory of version resources: the target of the root's entry with ID 16.
  static std::optional<uint64_t> versionEntry(const Bytes& tree) {
    auto named = tree.u16(12);
    auto ids = tree.u16(14);
    if (!named || !ids) return std::nullopt;
    const uint64_t entries = 16;
    if (!tree.has(entries, 8ull * (*named + *ids))) return std::nullopt;
    // Named entries come first; IDs follow them.
    for (uint64_t i = *named; i < static_cast<uint64_t>(*named) + *ids; ++i) {
      if (tree.u32(entries + 8 * i) == kRtVersion) {
        return target(tree, *tree.u32(entries + 8 * i + 4), true);
      }
    }
    return std::nullopt;
  }

  // The target of a directory's first entry: a directory when `directoryWanted`, else a data
  // entry; its offset inside the tree.
  static std::optional<uint64_t> firstEntry(const Bytes& tree, uint64_t directory,
                                            bool directoryWanted) {
    auto named = tree.u16(directory + 12);
    auto ids = tree.u16(directory + 14);
    if (!named || !ids || *named + *ids == 0) return std::nullopt;
    auto offset = tree.u32(directory + 16 + 4);
    if (!offset) return std::nullopt;
    return target(tree, *offset, directoryWanted);
  }

  static std::optional<uint64_t> target(const Bytes& tree, uint32_t offset, bool directoryWanted) {
    if (((offset & kSubdirectoryFlag) != 0) != directoryWanted) return std::nullopt;
    const uint64_t at = offset & ~kSubdirectoryFlag;
    if (!tree.has(at, 16)) return std::nullopt;  // a directory header or a data entry
    return at;
  }

  // VS_VERSIONINFO: length, value length, type, key "VS_VERSION_INFO", padding to a 32-bit
  // boundary, then VS_FIXEDFILEINFO.
  static std::optional<FixedFileVersion> fixedInfo(const Bytes& block) {
    auto length = block.u16(0);
    auto valueLength = block.u16(2);
    if (!length || !valueLength || *length > block.size()) return std::nullopt;
    const Bytes info = block.slice(0, *length);
    uint64_t at = 6;
    for (char16_t c : kVersionKey) {  // with the terminating NUL
      if (info.u16(at) != static_cast<uint32_t>(c)) return std::nullopt;
      at += 2;
    }
    at = (at + 3) & ~uint64_t{3};
    if (*valueLength < kFixedInfoSize || !info.has(at, kFixedInfoSize)) return std::nullopt;
    if (info.u32(at) != kFixedInfoSignature) return std::nullopt;
    return FixedFileVersion{*info.u32(at + 8), *info.u32(at + 12)};
  }

  Bytes m_file;
  std::vector<Section> m_sections;
};

}  // namespace

std::optional<FixedFileVersion> readPeFileVersion(std::string_view file) {
  return PeFile(file).version();
}

}  // namespace platform
