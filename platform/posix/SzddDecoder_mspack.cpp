// libmspack's SZDD decoder over file descriptors or memory: our own mspack_system, buffered
// output.
#include "platform/posix/SzddDecoder_mspack.h"

#include <mspack.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/FileErrors_posix.h"
#include "platform/posix/NativeFile_posix.h"

namespace platform::posix {

namespace {

// The decoder writes one byte at a time; this many are gathered before each write(2) (or each
// append to the string in memory).
constexpr size_t kOutputBuffer = 256 * 1024;
constexpr size_t kInputBuffer = 64 * 1024;

// What the decoder sees as an open file. The descriptors stay ours: close() only flushes.
struct DescriptorFile {
  int fd = -1;
  bool output = false;
  uint64_t limit = 0;        // output: bytes the header announces
  uint64_t accepted = 0;     // output: bytes kept, at most limit
  std::vector<char> buffer;  // output: room for kOutputBuffer bytes; input: bytes read ahead
  size_t readPos = 0;        // input: the next byte of buffer to hand out
  size_t used = 0;           // output: bytes of buffer not yet written
  // Output to a descriptor: the decoder's bytes go straight to next while next < end (room in
  // the buffer and within limit); settle() then counts them in used and accepted.
  char* next = nullptr;
  char* end = nullptr;
  int error = 0;  // errno of the first failed read or write
  // In memory instead of a descriptor: the input's bytes, or the string the output goes to.
  const std::string_view* memory = nullptr;
  uint64_t memoryPos = 0;
  std::string* sink = nullptr;  // output: the buffer is flushed here instead of to fd
};

// Counts the bytes the quick path put in the buffer, and closes the quick path.
void settle(DescriptorFile& file) {
  if (file.next == nullptr) return;
  const auto n = static_cast<size_t>(file.next - (file.buffer.data() + file.used));
  file.used += n;
  file.accepted += n;
  file.next = file.end = nullptr;
}

// Opens the quick path: room up to the end of the buffer or of the announced length.
void reopen(DescriptorFile& file) {
  if (!file.output) return;
  const uint64_t room = std::min<uint64_t>(kOutputBuffer - file.used, file.limit - file.accepted);
  file.next = file.buffer.data() + file.used;
  file.end = file.next + room;
}

bool flush(DescriptorFile& file) {
  settle(file);
  if (file.sink != nullptr) {
    file.sink->append(file.buffer.data(), file.used);
  } else if (int error = writeAll(file.fd, file.buffer.data(), file.used); error != 0) {
    if (file.error == 0) file.error = error;
    return false;
  }
  file.used = 0;
  return true;
}

// The mspack_system handed to the decoder; `names` are not paths: "input" and "output" pick
// the descriptor, so no file is opened by name inside the library.
struct DescriptorSystem {
  mspack_system sys;
  DescriptorFile* input;
  DescriptorFile* output;
};

mspack_file* openFile(mspack_system* self, const char*, int mode) {
  auto* system = reinterpret_cast<DescriptorSystem*>(self);
  DescriptorFile* file = nullptr;
  if (mode == MSPACK_SYS_OPEN_READ) file = system->input;
  if (mode == MSPACK_SYS_OPEN_WRITE) file = system->output;
  return reinterpret_cast<mspack_file*>(file);
}

void closeFile(mspack_file* handle) {
  auto* file = reinterpret_cast<DescriptorFile*>(handle);
  if (file->output) (void)flush(*file);  // a failure stays in file->error
}

int readFile(mspack_file* handle, void* buffer, int bytes) {
  auto* file = reinterpret_cast<DescriptorFile*>(handle);
  if (bytes < 0) return -1;
  if (file->memory != nullptr) {
    const size_t n = file->memory->copy(static_cast<char*>(buffer), static_cast<size_t>(bytes),
                                        std::min<uint64_t>(file->memoryPos, file->memory->size()));
    file->memoryPos += n;
    return static_cast<int>(n);
  }
  // The decoder asks for a few KB at a time; the disk is read in larger pieces.
  if (file->readPos == file->buffer.size()) {
    file->buffer.resize(kInputBuffer);
    ssize_t n = -1;
    do {
      n = ::read(file->fd, file->buffer.data(), file->buffer.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) file->error = errno;
    file->buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
    file->readPos = 0;
    if (n <= 0) return static_cast<int>(n);
  }
  const size_t n = std::min(static_cast<size_t>(bytes), file->buffer.size() - file->readPos);
  std::memcpy(buffer, file->buffer.data() + file->readPos, n);
  file->readPos += n;
  return static_cast<int>(n);
}

// Everything but the decoder's usual single byte with room in the buffer.
[[gnu::noinline]] int writeMore(DescriptorFile* file, void* buffer, int bytes) {
  settle(*file);
  if (bytes < 0) return -1;
  // Bytes past the announced length are not part of the file: drop them.
  const uint64_t room = file->limit - file->accepted;
  const size_t keep = static_cast<size_t>(std::min<uint64_t>(room, static_cast<uint64_t>(bytes)));
  const char* data = static_cast<const char*>(buffer);
  file->accepted += keep;
  for (size_t done = 0; done < keep;) {
    const size_t n = std::min(keep - done, kOutputBuffer - file->used);
    std::memcpy(file->buffer.data() + file->used, data + done, n);
    file->used += n;
    done += n;
    if (file->used == kOutputBuffer && !flush(*file)) return -1;
  }
  reopen(*file);
  return bytes;
}

// The decoder hands over one byte at a time; the usual case is one store, kept small enough
// that the call costs no more than the decoder's own work for the byte.
int writeFile(mspack_file* handle, void* buffer, int bytes) {
  auto* file = reinterpret_cast<DescriptorFile*>(handle);
  if (bytes == 1 && file->next != file->end) {
    *file->next++ = *static_cast<const char*>(buffer);
    return 1;
  }
  return writeMore(file, buffer, bytes);
}

int seekFile(mspack_file* handle, off_t offset, int mode) {
  auto* file = reinterpret_cast<DescriptorFile*>(handle);
  int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET
               : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR
               : mode == MSPACK_SYS_SEEK_END ? SEEK_END
                                             : -1;
  if (whence < 0) return -1;
  if (file->memory != nullptr) {
    const int64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<int64_t>(file->memoryPos)
                                              : static_cast<int64_t>(file->memory->size());
    if (base + offset < 0) return -1;
    file->memoryPos = static_cast<uint64_t>(base + offset);
    return 0;
  }
  if (!file->output) {
    // The bytes read ahead are dropped; a move from here counts from the decoder's place.
    if (whence == SEEK_CUR) {
      offset -= static_cast<off_t>(file->buffer.size() - file->readPos);
    }
    file->buffer.clear();
    file->readPos = 0;
  }
  return ::lseek(file->fd, offset, whence) < 0 ? -1 : 0;
}

off_t tellFile(mspack_file* handle) {
  auto* file = reinterpret_cast<DescriptorFile*>(handle);
  if (file->memory != nullptr) return static_cast<off_t>(file->memoryPos);
  const off_t at = ::lseek(file->fd, 0, SEEK_CUR);
  if (at < 0 || file->output) return at;
  return at - static_cast<off_t>(file->buffer.size() - file->readPos);
}

void message(mspack_file*, const char*, ...) {}  // the decoder's remarks are not shown

void* allocate(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void release(void* p) { std::free(p); }
void copyBytes(void* from, void* to, size_t bytes) { std::memmove(to, from, bytes); }

}  // namespace

namespace {

Status decode(DescriptorFile& in, DescriptorFile& out) {
  DescriptorSystem system{{openFile, closeFile, readFile, writeFile, seekFile, tellFile, message,
                           allocate, release, copyBytes, nullptr},
                          &in,
                          &out};
  msszdd_decompressor* decoder = mspack_create_szdd_decompressor(&system.sys);
  if (!decoder) return Status::failure(kErrorNotEnoughMemory);
  int result = MSPACK_ERR_OPEN;
  if (msszddd_header* header = decoder->open(decoder, "input")) {
    result = decoder->extract(decoder, header, "output");
    decoder->close(decoder, header);
  } else {
    result = decoder->last_error(decoder);
  }
  mspack_destroy_szdd_decompressor(decoder);
  if (out.used != 0 || out.next != nullptr) (void)flush(out);  // a failure stays in out.error

  // A write error is never ENOENT, so no path is needed to tell 2 from 3.
  if (out.error != 0) return Status::failure(errorFromErrno(out.error, {}, kErrorWriteFault));
  if (in.error != 0 || result == MSPACK_ERR_READ) return Status::failure(kErrorReadFault);
  if (result == MSPACK_ERR_NOMEMORY) return Status::failure(kErrorNotEnoughMemory);
  if (result != MSPACK_ERR_OK) return Status::failure(kErrorInvalidData);
  // The decoder stops quietly where the stream ends; a short stream is a damaged file.
  if (out.accepted < out.limit) return Status::failure(kErrorInvalidData);
  return Status::success();
}

}  // namespace

Status decodeSzdd(int input, int output, uint32_t length) {
  DescriptorFile in{input, false, 0, 0, {}, 0};
  DescriptorFile out{output, true, length, 0, {}, 0};
  out.buffer.resize(kOutputBuffer);
  return decode(in, out);
}

Status decodeSzdd(std::string_view input, std::string& output, uint32_t length) {
  DescriptorFile in;
  in.memory = &input;
  DescriptorFile out;
  out.output = true;
  out.limit = length;
  out.sink = &output;
  out.buffer.resize(kOutputBuffer);
  return decode(in, out);
}

}  // namespace platform::posix
