// A member's stored name: raw header fields, CP932 decoding, and the checks before writing.
#include "unlha32/MemberName.h"

#include "platform/NameRule.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

size_t readLittleEndian(const uint8_t* p, size_t width) {
  size_t value = 0;
  for (size_t i = width; i-- > 0;) value = (value << 8) | p[i];
  return value;
}

// Walks the chain of extended headers that starts with its size field at offset.
void readExtendedNames(const uint8_t* raw, size_t size, size_t offset, size_t fieldSize,
                       RawName& name) {
  while (offset + fieldSize <= size) {
    const size_t extSize = readLittleEndian(raw + offset, fieldSize);
    if (extSize == 0 || extSize < fieldSize + 1 || extSize > size - offset - fieldSize) return;
    const uint8_t type = raw[offset + fieldSize];
    const auto* data = reinterpret_cast<const char*>(raw + offset + fieldSize + 1);
    const size_t dataSize = extSize - fieldSize - 1;
    if (dataSize > 0 && type == 0x01) name.extFile.assign(data, dataSize);
    if (dataSize > 0 && type == 0x02) name.extDir.assign(data, dataSize);
    offset += extSize;
  }
}

// Decodes CP932 bytes, turning each 0xFF folder separator into '\'.
std::string decodeJoined(std::string_view bytes, const Cp932Decoder& decode) {
  std::string joined;
  size_t start = 0;
  for (;;) {
    const size_t end = bytes.find('\xFF', start);
    joined += decode(bytes.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return joined;
    joined += '\\';
    start = end + 1;
  }
}

using platform::names::isSeparator;

}  // namespace

RawName readRawName(const uint8_t* raw, size_t size, int level) {
  RawName name;
  if (level == 0 || level == 1) {
    if (size < 22) return name;
    const size_t length = raw[21];
    if (22 + length <= size) name.base.assign(reinterpret_cast<const char*>(raw + 22), length);
    if (level == 1) readExtendedNames(raw, size, raw[0], 2, name);
  } else if (level == 2) {
    readExtendedNames(raw, size, 24, 2, name);
  } else if (level == 3) {
    readExtendedNames(raw, size, 28, 4, name);
  }
  return name;
}

std::string storedPath(const RawName& name, const Cp932Decoder& decode) {
  const std::string base = decodeJoined(name.base, decode);
  size_t cut = base.size();
  while (cut > 0 && !isSeparator(base[cut - 1])) --cut;
  std::string folder = base.substr(0, cut);
  std::string file = base.substr(cut);
  if (!name.extFile.empty()) file = decodeJoined(name.extFile, decode);
  if (!name.extDir.empty()) {
    folder = decodeJoined(name.extDir, decode);
    if (!isSeparator(folder.back())) folder += '\\';
  }
  return folder + file;
}

MemberPath checkMemberPath(std::string_view path) {
  using platform::names::NameProblem;
  platform::names::CheckedPath checked = platform::names::checkRelativePath(path);
  MemberPath result;
  if (checked.problem == NameProblem::none) {
    result.parts = std::move(checked.parts);
    return result;
  }
  const bool tooLong =
      checked.problem == NameProblem::nameTooLong || checked.problem == NameProblem::pathTooLong;
  result.error = tooLong ? UNLHA_ERROR_LONG_FILE_NAME : UNLHA_ERROR_UNSAFE_PATH;
  result.reason = platform::names::describe(checked.problem);
  return result;
}

}  // namespace unlha
