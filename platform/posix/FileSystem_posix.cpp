// Files and folders of the machine folder: attributes, listings, folders, deletion, times.
#include "platform/posix/FileSystem_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/posix/FileErrors_posix.h"
#include "platform/posix/NativeFile_posix.h"
#include "platform/posix/Wildcard.h"
#include "platform/posix/WindowsPath.h"

namespace platform::posix {
namespace {

constexpr uint32_t kDosBits = kAttrHidden | kAttrSystem;

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The local time a DOS date and time stand for; nullopt when they name no real moment.
std::optional<time_t> dosTimeToLocal(uint32_t dosDateTime) {
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = 1980 + static_cast<int>((dosDateTime >> 25) & 0x7F);
  const int month = static_cast<int>((dosDateTime >> 21) & 0x0F);
  const int day = static_cast<int>((dosDateTime >> 16) & 0x1F);
  const int hour = static_cast<int>((dosDateTime >> 11) & 0x1F);
  const int minute = static_cast<int>((dosDateTime >> 5) & 0x3F);
  const int second = static_cast<int>(dosDateTime & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  const int monthDays = kDaysInMonth[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
  if (day > monthDays) return std::nullopt;
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  const time_t t = std::mktime(&local);
  if (t == static_cast<time_t>(-1)) return std::nullopt;
  return t;
}

}  // namespace

PosixFileSystem::PosixFileSystem(const MachineFolder& machine, LastError& lastError)
    : m_machine(machine), m_lastError(lastError) {}

std::optional<std::string> PosixFileSystem::native(const std::string& path) {
  const auto full = resolveFullPath(path);
  if (!full) {
    (void)fail(kErrorInvalidName);
    return std::nullopt;
  }
  auto mapped = m_machine.nativePath(*full);
  if (!mapped) (void)fail(kErrorPathNotFound);
  return mapped;
}

bool PosixFileSystem::statOrRecord(const std::string& nativePath, struct stat& st) {
  if (::stat(nativePath.c_str(), &st) == 0) return true;
  (void)failErrno(errno, nativePath);
  return false;
}

Status PosixFileSystem::failErrno(int error, const std::string& nativePath) {
  return fail(errorFromErrno(error, nativePath));
}

std::optional<uint32_t> PosixFileSystem::attributes(const std::string& path) {
  const auto n = native(path);
  struct stat st {};
  if (!n || !statOrRecord(*n, st)) return std::nullopt;
  return attributesOf(*n, st);
}

Status PosixFileSystem::setAttributes(const std::string& path, uint32_t attributes) {
  const auto n = native(path);
  struct stat st {};
  if (!n || !statOrRecord(*n, st)) return Status::failure(m_lastError.get());
  const uint32_t wantedBits = attributes & kDosBits;
  if (wantedBits != storedDosBits(*n)) {
    if (int error = storeDosBits(*n, wantedBits); error != 0) {
      return fail(error == ENOTSUP ? kErrorInvalidFunction : errorFromErrno(error, *n));
    }
  }
  const mode_t mode = st.st_mode & 07777;
  const mode_t wanted =
      (attributes & kAttrReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  if (wanted != mode && ::chmod(n->c_str(), wanted) != 0) return failErrno(errno, *n);
  return Status::success();
}

std::vector<FindEntry> PosixFileSystem::find(const std::string& mask) {
  std::vector<FindEntry> entries;
  const size_t separator = mask.find_last_of("\\/");
  const std::string folderPath =
      separator == std::string::npos ? "" : mask.substr(0, separator + 1);
  const std::string pattern = mask.substr(separator == std::string::npos ? 0 : separator + 1);
  const auto full = resolveFullPath(folderPath.empty() ? "." : folderPath);
  const auto parsed = full ? parseDrivePath(*full) : std::nullopt;
  const auto folder = parsed ? m_machine.nativePath(*full) : std::nullopt;
  if (!folder) {
    (void)fail(kErrorPathNotFound);
    return entries;
  }
  if (pattern.empty()) {
    (void)fail(kErrorFileNotFound);
    return entries;
  }
  DIR* dir = ::opendir(folder->c_str());
  if (dir == nullptr) {
    (void)failErrno(errno, *folder + "/" + pattern);  // a missing folder gives 3
    return entries;
  }
  auto add = [&](const std::string& name, const std::string& nativePath) {
    struct stat st {};
    if (!wildcardMatch(pattern, name) || ::stat(nativePath.c_str(), &st) != 0) return;
    const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    entries.push_back(FindEntry{name, attributesOf(nativePath, st), size});
  };
  // Windows lists the folder itself and its parent first, except at a drive's root.
  if (!parsed->components.empty()) {
    add(".", *folder);
    add("..", parentOf(*folder));
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    add(name, *folder + "/" + name);
  }
  ::closedir(dir);
  if (entries.empty()) (void)fail(kErrorFileNotFound);
  return entries;
}

Status PosixFileSystem::deleteFile(const std::string& path) {
  const auto n = native(path);
  if (!n) return Status::failure(m_lastError.get());
  struct stat link {};
  if (::lstat(n->c_str(), &link) != 0) return failErrno(errno, *n);
  // A link goes by what it points at, a dangling one is only a name.
  struct stat st = link;
  if (S_ISLNK(link.st_mode) && ::stat(n->c_str(), &st) != 0) st = link;
  if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && isReadOnly(st))) {
    return fail(kErrorAccessDenied);
  }
  int error = withWriteBit(parentOf(*n), [&] { return ::unlink(n->c_str()) == 0 ? 0 : errno; });
  return error == 0 ? Status::success() : failErrno(error, *n);
}

Status PosixFileSystem::createFolder(const std::string& path) {
  const auto n = native(path);
  if (!n) return Status::failure(m_lastError.get());
  int error =
      withWriteBit(parentOf(*n), [&] { return ::mkdir(n->c_str(), 0777) == 0 ? 0 : errno; });
  return error == 0 ? Status::success() : failErrno(error, *n);
}

Status PosixFileSystem::createFolders(const std::string& path) {
  const auto full = resolveFullPath(path);
  auto parsed = full ? parseDrivePath(*full) : std::nullopt;
  if (!parsed) return fail(kErrorInvalidName);
  DrivePath step = *parsed;
  step.components.clear();
  if (!m_machine.nativePath(drivePathText(step))) return fail(kErrorPathNotFound);
  for (size_t i = 0; i < parsed->components.size(); ++i) {
    step.components.push_back(parsed->components[i]);
    const std::string text = drivePathText(step);
    const auto n = m_machine.nativePath(text);
    struct stat st {};
    if (n && ::stat(n->c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) continue;
      return fail(i + 1 == parsed->components.size() ? kErrorAlreadyExists : kErrorPathNotFound);
    }
    if (Status st2 = createFolder(text); !st2) return st2;
  }
  return Status::success();
}

Status PosixFileSystem::removeFolder(const std::string& path) {
  const auto full = resolveFullPath(path);
  const auto parsed = full ? parseDrivePath(*full) : std::nullopt;
  const auto n = native(path);
  struct stat st {};
  if (!n || !statOrRecord(*n, st)) return Status::failure(m_lastError.get());
  if (!S_ISDIR(st.st_mode)) return fail(kErrorDirectory);
  // A drive's root is never removed.
  if (!parsed || parsed->components.empty() || isReadOnly(st)) return fail(kErrorAccessDenied);
  int error = withWriteBit(parentOf(*n), [&] { return ::rmdir(n->c_str()) == 0 ? 0 : errno; });
  if (error == EEXIST) error = ENOTEMPTY;
  return error == 0 ? Status::success() : failErrno(error, *n);
}

Status PosixFileSystem::setDosTime(const std::string& path, uint32_t dosDateTime) {
  const auto n = native(path);
  if (!n) return Status::failure(m_lastError.get());
  const auto when = dosTimeToLocal(dosDateTime);
  if (!when) return fail(kErrorInvalidParameter);
  const timespec times[2] = {{0, UTIME_OMIT}, {*when, 0}};
  if (::utimensat(AT_FDCWD, n->c_str(), times, 0) != 0) return failErrno(errno, *n);
  return Status::success();
}

std::optional<uint64_t> PosixFileSystem::fileSize(const std::string& path) {
  const auto n = native(path);
  struct stat st {};
  if (!n || !statOrRecord(*n, st)) return std::nullopt;
  if (S_ISDIR(st.st_mode)) {
    (void)fail(kErrorAccessDenied);
    return std::nullopt;
  }
  return static_cast<uint64_t>(st.st_size);
}

std::string PosixFileSystem::fullPath(const std::string& path) {
  if (auto full = resolveFullPath(path)) return *full;
  (void)fail(kErrorInvalidName);
  return {};
}

}  // namespace platform::posix
