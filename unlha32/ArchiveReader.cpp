// An LHA archive read through lhasa from our own input stream, so that we know where every
// member ends and can tell a clean end from a damaged or truncated archive.
#include "unlha32/ArchiveReader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "unlha32/ArchiveFile.h"
#include "unlha32/Crc16.h"
#include "unlha32/unlha32.h"

namespace unlha {

// The archive file, buffered; pos counts the bytes handed to lhasa or skipped.
struct ArchiveSource {
  std::unique_ptr<ArchiveFile> file;
  uint64_t size = 0;
  uint64_t pos = 0;
  bool ioError = false;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(64 * 1024);
  size_t bufPos = 0;
  size_t bufLen = 0;

  bool refill() {
    const long long n = file->read(buffer.data(), buffer.size());
    if (n < 0) ioError = true;
    if (n <= 0) return false;
    bufPos = 0;
    bufLen = static_cast<size_t>(n);
    return true;
  }

  // lhasa counts a read as failed unless it fills the whole buffer, so fill it up to the end.
  static int read(void* handle, void* buf, size_t len) {
    auto* s = static_cast<ArchiveSource*>(handle);
    len = std::min<size_t>(len, INT_MAX);
    size_t done = 0;
    while (done < len) {
      if (s->bufPos == s->bufLen && !s->refill()) break;
      const size_t n = std::min(len - done, s->bufLen - s->bufPos);
      std::memcpy(static_cast<uint8_t*>(buf) + done, s->buffer.data() + s->bufPos, n);
      s->bufPos += n;
      done += n;
    }
    s->pos += done;
    if (done == 0 && s->ioError) return -1;
    return static_cast<int>(done);
  }

  // Skipping past the end fails: lhasa's own fallback would loop for ever at the end of file.
  static int skip(void* handle, size_t bytes) {
    auto* s = static_cast<ArchiveSource*>(handle);
    const uint64_t left = s->size > s->pos ? s->size - s->pos : 0;
    if (bytes <= s->bufLen - s->bufPos) {
      s->bufPos += bytes;
      s->pos += bytes;
      return 1;
    }
    const bool inside = bytes <= left;
    s->pos += inside ? bytes : left;
    s->bufPos = s->bufLen = 0;
    if (!s->file->seek(s->pos)) {
      s->ioError = true;
      return 0;
    }
    return inside ? 1 : 0;
  }
};

namespace {
const LHAInputStreamType kSourceType = {&ArchiveSource::read, &ArchiveSource::skip, nullptr};
}  // namespace

std::unique_ptr<ArchiveReader> ArchiveReader::open(const std::string& nativePath, int& error) {
  auto source = std::make_unique<ArchiveSource>();
  source->file = ArchiveFile::open(nativePath, error);
  if (!source->file) return nullptr;
  source->size = source->file->size();
  std::unique_ptr<ArchiveReader> reader(new ArchiveReader(std::move(source)));
  if (reader->m_stream == nullptr || reader->m_reader == nullptr) {
    error = UNLHA_ERROR_ENOUGH_MEMORY;
    return nullptr;
  }
  error = 0;
  return reader;
}

ArchiveReader::ArchiveReader(std::unique_ptr<ArchiveSource> source) : m_source(std::move(source)) {
  m_stream = lha_input_stream_new(&kSourceType, m_source.get());
  if (m_stream != nullptr) m_reader = lha_reader_new(m_stream);
  if (m_reader != nullptr) lha_reader_set_dir_policy(m_reader, LHA_READER_DIR_PLAIN);
}

ArchiveReader::~ArchiveReader() {
  if (m_reader != nullptr) lha_reader_free(m_reader);
  if (m_stream != nullptr) lha_input_stream_free(m_stream);
}

LHAFileHeader* ArchiveReader::next() {
  if (m_ended) return nullptr;
  m_current = lha_reader_next_file(m_reader);
  if (m_current == nullptr) {
    m_ended = true;
    m_endError = finish();
    return nullptr;
  }
  const uint64_t dataStart = m_source->pos;
  if (m_members == 0 && dataStart != m_current->raw_data_len) {
    m_current = nullptr;
    m_ended = true;
    m_endError = UNLHA_ERROR_NOT_ARC_FILE;
    return nullptr;
  }
  ++m_members;
  m_dataEnd = dataStart + m_current->compressed_length;
  return m_current;
}

int ArchiveReader::finish() {
  if (m_source->ioError) return UNLHA_ERROR_CANNOT_READ;
  if (m_members == 0) return UNLHA_ERROR_NOT_ARC_FILE;
  if (m_dataEnd > m_source->size) return UNLHA_ERROR_UNEXPECTED_EOF;
  if (m_dataEnd == m_source->size) return 0;
  uint8_t mark = 0;
  if (!m_source->file->seek(m_dataEnd) || m_source->file->read(&mark, 1) != 1) {
    return UNLHA_ERROR_CANNOT_READ;
  }
  return mark == 0 ? 0 : UNLHA_ERROR_HEADER_BROKEN;
}

int ArchiveReader::readData(const Sink& sink) {
  if (m_current == nullptr) return UNLHA_ERROR_CANNOT_READ;
  if (std::strcmp(m_current->compress_method, LHA_COMPRESS_TYPE_DIR) == 0) return 0;
  if (lha_decoder_for_name(m_current->compress_method) == nullptr) return UNLHA_ERROR_METHOD;
  std::vector<uint8_t> buffer(64 * 1024);
  uint16_t crc = 0;
  uint64_t total = 0;
  for (;;) {
    const size_t n = lha_reader_read(m_reader, buffer.data(), buffer.size());
    if (n == 0) break;
    // More than the header announced: damage or a bomb, stopped before it is handed on.
    if (n > m_current->length - total) return UNLHA_ERROR_FILE_CRC;
    crc = crc16(crc, buffer.data(), n);
    total += n;
    if (sink && !sink(buffer.data(), n)) return UNLHA_ERROR_CANNOT_WRITE;
  }
  if (m_source->ioError) return UNLHA_ERROR_CANNOT_READ;
  if (m_dataEnd > m_source->size) return UNLHA_ERROR_UNEXPECTED_EOF;
  if (total != m_current->length || crc != m_current->crc) return UNLHA_ERROR_FILE_CRC;
  return 0;
}

}  // namespace unlha
