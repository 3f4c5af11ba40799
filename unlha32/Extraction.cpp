// The extract command: a checking pass over the whole archive, then the writing pass.
#include "unlha32/Extraction.h"

#include <cstring>
#include <vector>

#include "unlha32/ArchiveReader.h"
#include "unlha32/Destination.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

std::string memberName(const LHAFileHeader& header, const Cp932Decoder& decode) {
  return storedPath(readRawName(header.raw_data, header.raw_data_len, header.header_level), decode);
}

bool isFolder(const LHAFileHeader& header) {
  return std::strcmp(header.compress_method, LHA_COMPRESS_TYPE_DIR) == 0;
}

Outcome nothingDone(int error, const std::string& where) {
  return {error, "Nothing extracted: " + where + errorText(error) + ".\r\n"};
}

// Writes one member; returns 0 or its error, with the reason.
int extractMember(ArchiveReader& reader, Destination& destination, const LHAFileHeader& header,
                  const std::string& name, std::string& reason) {
  const MemberPath path = checkMemberPath(name);
  reason = path.reason;
  if (path.error != 0) return path.error;
  if (header.symlink_target != nullptr) {
    reason = "symbolic link";
    return UNLHA_ERROR_UNSAFE_PATH;
  }
  if (isFolder(header)) return destination.makeFolders(path.parts, reason);
  if (path.parts.empty()) {
    reason = "no file name";
    return UNLHA_ERROR_UNSAFE_PATH;
  }
  return destination.writeFile(
      path.parts, static_cast<std::time_t>(header.timestamp),
      [&](const auto& write) {
        return reader.readData([&](const uint8_t* data, size_t size) { return write(data, size); });
      },
      reason);
}

}  // namespace

const char* errorText(int code) {
  switch (code) {
    case 0:
      return "done";
    case UNLHA_ERROR_READ_ONLY:
      return "read-only file";
    case UNLHA_ERROR_METHOD:
      return "unknown compression method";
    case UNLHA_ERROR_FILE_CRC:
      return "CRC error";
    case UNLHA_ERROR_MAKEDIRECTORY:
      return "cannot create folder";
    case UNLHA_ERROR_CANNOT_WRITE:
      return "cannot write file";
    case UNLHA_ERROR_HEADER_BROKEN:
      return "broken header";
    case UNLHA_ERROR_ARC_FILE_OPEN:
      return "cannot open archive";
    case UNLHA_ERROR_NOT_ARC_FILE:
      return "not an LHA archive";
    case UNLHA_ERROR_CANNOT_READ:
      return "cannot read archive";
    case UNLHA_ERROR_COMMAND_NAME:
      return "bad command line";
    case UNLHA_ERROR_ENOUGH_MEMORY:
      return "out of memory";
    case UNLHA_ERROR_NOT_SUPPORT:
      return "not supported";
    case UNLHA_ERROR_LONG_FILE_NAME:
      return "name too long";
    case UNLHA_ERROR_NOT_FIND_ARC_FILE:
      return "archive not found";
    case UNLHA_ERROR_UNEXPECTED_EOF:
      return "archive ends too early";
    case UNLHA_ERROR_UNSAFE_PATH:
      return "unsafe name";
    default:
      return "error";
  }
}

int checkArchive(const std::string& nativeArchive, bool fullCrc) {
  int error = 0;
  auto reader = ArchiveReader::open(nativeArchive, error);
  if (!reader) return error;
  while (reader->next() != nullptr) {
    if (fullCrc) {
      if (const int dataError = reader->readData(nullptr)) return dataError;
    }
  }
  return reader->endError();
}

Outcome extractArchive(const std::string& nativeArchive, const std::string& nativeDestination,
                       const Cp932Decoder& decode) {
  int error = 0;
  auto reader = ArchiveReader::open(nativeArchive, error);
  if (!reader) return nothingDone(error, "");
  while (const LHAFileHeader* header = reader->next()) {
    if (const int dataError = reader->readData(nullptr)) {
      return nothingDone(dataError, memberName(*header, decode) + ": ");
    }
  }
  if (reader->endError() != 0) return nothingDone(reader->endError(), "");

  auto destination = Destination::open(nativeDestination, error);
  if (!destination) return nothingDone(error, "destination: ");
  reader = ArchiveReader::open(nativeArchive, error);
  if (!reader) return nothingDone(error, "");

  Outcome outcome;
  std::string problems;
  size_t extracted = 0;
  while (const LHAFileHeader* header = reader->next()) {
    const std::string name = memberName(*header, decode);
    std::string reason;
    const int memberError = extractMember(*reader, *destination, *header, name, reason);
    if (memberError == 0) {
      ++extracted;
      continue;
    }
    if (outcome.result == 0) outcome.result = memberError;
    problems +=
        "Skipped " + name + ": " + (reason.empty() ? errorText(memberError) : reason) + ".\r\n";
  }
  // The archive was sound a moment ago; a change since then still counts.
  if (outcome.result == 0) outcome.result = reader->endError();
  const size_t members = reader->memberCount();
  outcome.report = "Extracted " + std::to_string(extracted) + " of " + std::to_string(members) +
                   (members == 1 ? " member" : " members") + ".\r\n" + problems;
  return outcome;
}

}  // namespace unlha
