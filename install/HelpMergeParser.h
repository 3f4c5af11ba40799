// Reading of the help merge file: raw CP932 bytes, in pieces, to the blocks that name the help
// files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace install {

// The marker lines, as CP932 bytes ("■" is 0x81 0xA1).
inline constexpr std::string_view kHelpFileStart = "\x81\xA1#HELP_FILE_START#\x81\xA1";
inline constexpr std::string_view kHelpFileEnd = "\x81\xA1#HELP_FILE_END#\x81\xA1";

// Receives the blocks of the merge file as they are read. Views are valid during the call only.
class HelpMergeSink {
 public:
  virtual ~HelpMergeSink() = default;
  // A block opens with this path line (empty when the line is over kHelpLineLimit bytes).
  virtual void blockPath(std::string_view path) = 0;
  // The next bytes of the open block's content: each content line followed by CR LF, in pieces.
  virtual void blockContent(std::string_view bytes) = 0;
  // The open block is complete, with the time stamp in force at its end marker.
  virtual void blockEnd(uint32_t dosTime) = 0;
  // The open block will never be complete: a start marker or the end of the file came first.
  virtual void blockDropped() = 0;
  // A time line that is not a decimal integer; reading ends here.
  virtual void badTime(std::string_view line) = 0;
};

// Path and time lines are kept up to this many bytes; content lines pass in pieces, any length.
inline constexpr size_t kHelpLineLimit = 64 * 1024;

// Splits the bytes into lines (CR LF, LF or CR end a line) and walks them in order. A block is
// a start marker, its path line, its time line and content lines up to its end marker. A start
// marker inside an open block drops that block (the time stamp already read stays in force); a
// block without end marker is dropped at the end of the file; an end marker before the path
// line closes the block with nothing handed out; lines outside blocks are ignored. Memory does
// not grow with the file or with a content line.
class HelpMergeReader {
 public:
  explicit HelpMergeReader(HelpMergeSink& sink) : m_sink(sink) {}

  // Reads the next bytes of the file. False once a bad time line has been handed out; the
  // rest of the file is then not read. Exceptions of the sink pass through.
  bool feed(std::string_view bytes);

  // The end of the file: a last line without line end is read, an open block dropped.
  void finish();

  // Reads the time line: optional leading blanks, an optional sign and decimal digits, with a
  // value from -2^31 to 2^32-1 (taken modulo 2^32); nullopt for anything else.
  static std::optional<uint32_t> readDosTime(std::string_view line);

 private:
  void take(std::string_view piece);
  void endLine();
  bool inContent() const { return m_start && m_path && m_index > *m_start + 2; }

  HelpMergeSink& m_sink;
  bool m_finished = false;
  bool m_afterCr = false;    // the last piece ended in CR: an LF next belongs to it
  std::string m_line;        // the current line, up to kHelpLineLimit bytes
  std::string m_done;        // the line being handed out
  bool m_overlong = false;   // the current line did not fit
  bool m_streaming = false;  // the current line is content, handed on as it comes
  bool m_lineStarted = false;
  // Index of the line being read, and of the open block's start marker.
  size_t m_index = 0;
  std::optional<size_t> m_start;
  bool m_path = false;
  uint32_t m_dosTime = 0;
};

}  // namespace install
