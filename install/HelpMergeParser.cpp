// Reading of the help merge file, line by line, with the block rules of the merge.
#include "install/HelpMergeParser.h"

#include <algorithm>

namespace install {
namespace {

// A line longer than this is no marker.
constexpr size_t kMarkerLength = std::max(kHelpFileStart.size(), kHelpFileEnd.size());

}  // namespace

bool HelpMergeReader::feed(std::string_view bytes) {
  if (m_finished) return false;
  size_t pos = 0;
  if (m_afterCr) {
    m_afterCr = false;
    if (!bytes.empty() && bytes[0] == '\n') pos = 1;
  }
  while (pos < bytes.size() && !m_finished) {
    const size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      take(bytes.substr(pos));
      break;
    }
    take(bytes.substr(pos, end - pos));
    endLine();
    pos = end + 1;
    // CR LF is one line end; a lone CR or LF is one too.
    if (bytes[end] == '\r') {
      if (pos == bytes.size()) {
        m_afterCr = true;
      } else if (bytes[pos] == '\n') {
        ++pos;
      }
    }
  }
  return !m_finished;
}

void HelpMergeReader::finish() {
  if (m_finished) return;
  if (m_lineStarted) endLine();
  if (m_finished) return;
  m_finished = true;
  if (m_start && m_path) m_sink.blockDropped();
}

void HelpMergeReader::take(std::string_view piece) {
  if (piece.empty()) return;
  m_lineStarted = true;
  if (m_streaming) {
    m_sink.blockContent(piece);
    return;
  }
  const size_t room = kHelpLineLimit - m_line.size();
  if (piece.size() > room) m_overlong = true;
  m_line.append(piece.substr(0, std::min(room, piece.size())));
  if (m_line.size() > kMarkerLength && inContent()) {
    // Too long for a marker: content, handed on now rather than held.
    m_sink.blockContent(m_line);
    if (m_overlong) m_sink.blockContent(piece.substr(room));
    m_line.clear();
    m_overlong = false;
    m_streaming = true;
  }
}

void HelpMergeReader::endLine() {
  const size_t i = m_index++;
  const bool streamed = m_streaming;
  const bool overlong = m_overlong;
  m_streaming = m_overlong = m_lineStarted = false;
  // The finished line moves aside, so both buffers keep their room.
  m_done.swap(m_line);
  m_line.clear();
  const std::string& line = m_done;
  if (streamed) {
    m_sink.blockContent("\r\n");
    return;
  }
  if (line == kHelpFileStart) {
    // A new start drops an open block; the time stamp read for it stays in force.
    if (m_start && m_path) m_sink.blockDropped();
    m_start = i;
    m_path = false;
    return;
  }
  if (line != kHelpFileEnd) {
    if (m_start && i == *m_start + 1) {
      m_path = true;
      m_sink.blockPath(overlong ? std::string_view() : std::string_view(line));
    } else if (m_start && i == *m_start + 2) {
      const auto time = overlong ? std::nullopt : readDosTime(line);
      if (!time) {
        m_finished = true;
        m_sink.badTime(line);
        return;
      }
      m_dosTime = *time;
    } else if (m_start && m_path) {
      m_sink.blockContent(line);
      m_sink.blockContent("\r\n");
    }
    return;
  }
  if (m_start && m_path) m_sink.blockEnd(m_dosTime);
  m_start.reset();
  m_path = false;
  m_dosTime = 0;
}

std::optional<uint32_t> HelpMergeReader::readDosTime(std::string_view line) {
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
