// Reading of the help merge file, line by line, with the block rules of the merge.
#include "install/HelpMergeParser.h"

#include <utility>

namespace install {

std::optional<std::string_view> HelpMergeParser::nextLine() {
  if (m_pos >= m_bytes.size()) return std::nullopt;
  size_t end = m_bytes.find_first_of("\r\n", m_pos);
  if (end == std::string_view::npos) end = m_bytes.size();
  std::string_view line = m_bytes.substr(m_pos, end - m_pos);
  m_pos = end;
  if (m_pos < m_bytes.size()) {
    // CR LF is one line end; a lone CR or LF is one too.
    const bool cr = m_bytes[m_pos] == '\r';
    ++m_pos;
    if (cr && m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') ++m_pos;
  }
  return line;
}

std::optional<HelpMergeItem> HelpMergeParser::next() {
  if (m_finished) return std::nullopt;
  while (auto line = nextLine()) {
    const size_t i = m_index++;
    if (*line == kHelpFileStart) {
      // A new start discards an open block; the time stamp read for it stays in force.
      m_start = i;
      m_path.reset();
      m_lines.clear();
      continue;
    }
    if (*line != kHelpFileEnd) {
      if (m_start && i == *m_start + 1) {
        m_path = *line;
      } else if (m_start && i == *m_start + 2) {
        auto time = readDosTime(*line);
        if (!time) {
          m_finished = true;
          return HelpBadTime{*line};
        }
        m_dosTime = *time;
      } else if (m_start && m_path) {
        m_lines.push_back(*line);
      }
      continue;
    }
    std::optional<HelpMergeItem> block;
    if (m_start && m_path) block = HelpBlock{*m_path, m_dosTime, std::move(m_lines)};
    m_start.reset();
    m_path.reset();
    m_dosTime = 0;
    m_lines = {};
    if (block) return block;
  }
  m_finished = true;
  return std::nullopt;
}

std::optional<uint32_t> HelpMergeParser::readDosTime(std::string_view line) {
  size_t k = 0;
  while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
  bool negative = false;
  if (k < line.size() && (line[k] == '+' || line[k] == '-')) negative = line[k++] == '-';
  if (k == line.size()) return std::nullopt;
  uint64_t value = 0;
  for (; k < line.size(); ++k) {
    const char c = line[k];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (negative) {
    if (value > 0x80000000ull) return std::nullopt;
    return static_cast<uint32_t>((0x100000000ull - value) & 0xFFFFFFFFull);
  }
  return static_cast<uint32_t>(value);
}

}  // namespace install
