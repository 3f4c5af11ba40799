// The extract command: one decoding pass into a staging folder, then every member moved into place.
#include "unlha32/Extraction.h"

#include <cstdint>
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

Outcome nothingDone(int error, const std::string& where, const char* why = nullptr) {
  return {error,
          "Nothing extracted: " + where + (why != nullptr ? why : errorText(error)) + ".\r\n"};
}

// No real encoder comes near this ratio of a member's size to its packed size: jlha packs 200 MB
// of zero bytes into 1.7 KB (1 : 120,000), and LHa's 16-KB code buffer holds a block to about
// 1.3 MB in 7 bytes (1 : 200,000). Only hand-made blocks of 65535 codes, each a 256-byte match
// from code trees of a single code, reach the format's 1 : 2,400,000. Small members may pack
// worse than any ratio (headers of their own), hence the allowance.
constexpr uint64_t kMaxRatio = 1'000'000;
constexpr uint64_t kRatioAllowance = 64 * 1024;
// Left free on the destination's drive: the rest of the update and the system need room too.
constexpr uint64_t kFreeSpaceReserve = 64ULL << 20;
// Up to this much the archive is placed whole or not at all; beyond it each member is placed
// as soon as it checks out, so that staging never holds a whole large archive.
constexpr uint64_t kStagedAtOnce = 256ULL << 20;

// What the headers announce, read before anything is written: the total size of the files,
// or the damage found.
struct Survey {
  int error = 0;
  std::string where;
  const char* why = nullptr;
  uint64_t announced = 0;
};

Survey surveyArchive(const std::string& nativeArchive, const Cp932Decoder& decode) {
  Survey survey;
  auto reader = ArchiveReader::open(nativeArchive, survey.error);
  if (!reader) return survey;
  while (const LHAFileHeader* header = reader->next()) {
    if (isFolder(*header)) continue;
    const uint64_t length = header->length;
    if (length > kRatioAllowance &&
        (length - kRatioAllowance) / kMaxRatio >= header->compressed_length) {
      survey.error = UNLHA_ERROR_HEADER_BROKEN;
      survey.where = memberName(*header, decode) + ": ";
      survey.why = "size out of all proportion to its packed size";
      return survey;
    }
    survey.announced =
        length > UINT64_MAX - survey.announced ? UINT64_MAX : survey.announced + length;
  }
  survey.error = reader->endError();
  return survey;
}

// A member read and checked, waiting for the whole archive to check out.
struct Pending {
  std::string name;  // as stored, for the report
  MemberPath path;
  bool folder = false;
  std::string staged;  // its data in the staging folder, when it is a file to write
  int error = 0;       // why it is left out, found while reading
  std::string reason;
};

// Reads the current member's data once: into the staging folder when it is a file to write,
// else only checked. Returns the archive's error (damage), 0 otherwise; a member that cannot
// be staged gets its own error in pending.
int readMember(ArchiveReader& reader, Destination& destination, const LHAFileHeader& header,
               Pending& pending) {
  pending.path = checkMemberPath(pending.name);
  pending.error = pending.path.error;
  pending.reason = pending.path.reason;
  pending.folder = isFolder(header);
  if (pending.error == 0 && header.symlink_target != nullptr) {
    pending.error = UNLHA_ERROR_UNSAFE_PATH;
    pending.reason = "symbolic link";
  }
  if (pending.error == 0 && !pending.folder && pending.path.parts.empty()) {
    pending.error = UNLHA_ERROR_UNSAFE_PATH;
    pending.reason = "no file name";
  }
  if (pending.error != 0 || pending.folder) return reader.readData(nullptr);

  int dataError = 0;
  bool decoded = false;
  bool writeFailed = false;
  const int stageError = destination.stage(
      static_cast<std::time_t>(header.timestamp),
      [&](const auto& write) {
        decoded = true;
        // A failed write leaves this member out, but its data is still checked to the end.
        dataError = reader.readData([&](const uint8_t* data, size_t size) {
          writeFailed = writeFailed || !write(data, size);
          return true;
        });
        return dataError != 0 ? dataError : writeFailed ? UNLHA_ERROR_CANNOT_WRITE : 0;
      },
      pending.name, pending.staged, pending.reason);
  if (!decoded) dataError = reader.readData(nullptr);
  if (dataError == 0) pending.error = stageError;
  return dataError;
}

}  // namespace

const char* errorText(int code) {
  switch (code) {
    case 0:
      return "done";
    case UNLHA_ERROR_DISK_SPACE:
      return "not enough disk space";
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
  const Survey survey = surveyArchive(nativeArchive, decode);
  if (survey.error != 0) return nothingDone(survey.error, survey.where, survey.why);
  int error = 0;
  auto reader = ArchiveReader::open(nativeArchive, error);
  if (!reader) return nothingDone(error, "");
  auto destination = Destination::open(nativeDestination, error);
  if (!destination) return nothingDone(error, "destination: ");
  const uint64_t free = destination->freeBytes();
  if (survey.announced > 0 &&
      (free < kFreeSpaceReserve || survey.announced > free - kFreeSpaceReserve)) {
    destination->discard();
    return nothingDone(UNLHA_ERROR_DISK_SPACE, "");
  }

  std::vector<Pending> members;
  size_t placed = 0;        // members before this one have been moved into place
  uint64_t stagedSize = 0;  // bytes waiting in the staging folder
  const auto placeWaiting = [&] {
    for (; placed < members.size(); ++placed) {
      Pending& pending = members[placed];
      if (pending.error != 0) continue;
      pending.error = pending.folder
                          ? destination->makeFolders(pending.path.parts, pending.reason)
                          : destination->place(pending.staged, pending.path.parts, pending.reason);
    }
    stagedSize = 0;
  };
  while (const LHAFileHeader* header = reader->next()) {
    Pending& pending = members.emplace_back();
    pending.name = memberName(*header, decode);
    const int dataError = readMember(*reader, *destination, *header, pending);
    if (dataError != 0) {
      if (placed == 0) {
        destination->discard();
        return nothingDone(dataError, pending.name + ": ");
      }
      destination->finish();
      return {dataError, "Stopped at " + pending.name + ": " + errorText(dataError) +
                             "; members before it were extracted.\r\n"};
    }
    if (!pending.staged.empty()) stagedSize += header->length;
    if (stagedSize > kStagedAtOnce) placeWaiting();
  }
  if (reader->endError() != 0) {
    if (placed == 0) {
      destination->discard();
      return nothingDone(reader->endError(), "");
    }
    destination->finish();
    return {reader->endError(), std::string("Stopped: ") + errorText(reader->endError()) +
                                    "; members before it were extracted.\r\n"};
  }
  placeWaiting();
  destination->finish();

  Outcome outcome;
  std::string problems;
  size_t extracted = 0;
  for (const Pending& pending : members) {
    if (pending.error == 0) {
      ++extracted;
      continue;
    }
    if (outcome.result == 0) outcome.result = pending.error;
    problems += "Skipped " + pending.name + ": " +
                (pending.reason.empty() ? errorText(pending.error) : pending.reason) + ".\r\n";
  }
  const size_t count = members.size();
  outcome.report = "Extracted " + std::to_string(extracted) + " of " + std::to_string(count) +
                   (count == 1 ? " member" : " members") + ".\r\n" + problems;
  return outcome;
}

}  // namespace unlha
