// Reading of the help merge file: raw CP932 bytes to the blocks that name the help files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace install {

// The marker lines, as CP932 bytes ("■" is 0x81 0xA1).
inline constexpr std::string_view kHelpFileStart = "\x81\xA1#HELP_FILE_START#\x81\xA1";
inline constexpr std::string_view kHelpFileEnd = "\x81\xA1#HELP_FILE_END#\x81\xA1";

// One complete block: its path line, the time stamp in force at its end marker and its
// content lines. Every view points into the bytes given to the parser.
struct HelpBlock {
  std::string_view path;
  uint32_t dosTime = 0;
  std::vector<std::string_view> lines;
};

// A time line that is not a decimal integer; reading stops there.
struct HelpBadTime {
  std::string_view line;
};

using HelpMergeItem = std::variant<HelpBlock, HelpBadTime>;

// Splits the bytes into lines (CR LF, LF or CR end a line) and walks them in order, handing
// out each block when its end marker is reached. A start marker inside an open block discards
// that block (the time stamp already read stays in force); a block without end marker, or
// whose end marker comes before its path line, gives nothing; lines outside blocks are
// ignored. A bad time line is handed out as HelpBadTime when it is met, and ends the reading.
// The bytes must outlive the parser and the items it returns.
class HelpMergeParser {
 public:
  explicit HelpMergeParser(std::string_view bytes) : m_bytes(bytes) {}

  // The next block or the bad time line; nullopt when the bytes are used up.
  std::optional<HelpMergeItem> next();

  // Reads the time line: optional leading blanks, an optional sign and decimal digits, with a
  // value from -2^31 to 2^32-1 (taken modulo 2^32); nullopt for anything else.
  static std::optional<uint32_t> readDosTime(std::string_view line);

 private:
  std::optional<std::string_view> nextLine();

  std::string_view m_bytes;
  size_t m_pos = 0;
  bool m_finished = false;
  // Index of the line being read, and of the open block's start marker.
  size_t m_index = 0;
  std::optional<size_t> m_start;
  std::optional<std::string_view> m_path;
  uint32_t m_dosTime = 0;
  std::vector<std::string_view> m_lines;
};

}  // namespace install
