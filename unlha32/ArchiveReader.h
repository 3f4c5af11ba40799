// An LHA archive read member by member through lhasa, with the checks lhasa leaves to us.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <lhasa.h>

namespace unlha {

struct ArchiveSource;  // the archive file as lhasa's input stream

class ArchiveReader {
 public:
  // Receives decoded data; returning false stops the member with UNLHA_ERROR_CANNOT_WRITE.
  using Sink = std::function<bool(const uint8_t* data, size_t size)>;

  // Opens a native path. On failure returns nullptr and sets error to
  // UNLHA_ERROR_NOT_FIND_ARC_FILE (no such file, or a folder) or UNLHA_ERROR_ARC_FILE_OPEN.
  static std::unique_ptr<ArchiveReader> open(const std::string& nativePath, int& error);
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // The next member's header (valid until the next call), or nullptr when no more member can
  // be read; endError() then tells whether the archive ended cleanly. The first header must
  // stand at the start of the file (no self-extractor or other bytes before it).
  LHAFileHeader* next();

  // After next() returned nullptr: 0 when the archive ended cleanly (at the end of the file or
  // at a zero byte after the last member); UNLHA_ERROR_NOT_ARC_FILE when no member header
  // stands at the start, UNLHA_ERROR_UNEXPECTED_EOF when the file ends inside a member,
  // UNLHA_ERROR_HEADER_BROKEN when bytes after a member are no readable header,
  // UNLHA_ERROR_CANNOT_READ on a read failure.
  int endError() const { return m_endError; }

  // Decodes the current member's data into sink (nothing for a folder member); the sink never
  // gets more bytes than the header announces. Returns 0, or UNLHA_ERROR_METHOD (unknown
  // method), UNLHA_ERROR_FILE_CRC (length or CRC differ from the header, found as soon as the
  // data runs past the length), UNLHA_ERROR_UNEXPECTED_EOF, UNLHA_ERROR_CANNOT_READ or
  // UNLHA_ERROR_CANNOT_WRITE.
  int readData(const Sink& sink);

  // Members returned by next() so far.
  size_t memberCount() const { return m_members; }

 private:
  explicit ArchiveReader(std::unique_ptr<ArchiveSource> source);
  int finish();

  std::unique_ptr<ArchiveSource> m_source;
  LHAInputStream* m_stream = nullptr;
  LHAReader* m_reader = nullptr;
  LHAFileHeader* m_current = nullptr;
  uint64_t m_dataEnd = 0;  // where the current member's data ends in the file
  size_t m_members = 0;
  bool m_ended = false;
  int m_endError = 0;
};

}  // namespace unlha
