// The destination folder: members wait in its staging folder, then are placed beneath it and
// nowhere else.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "unlha32/FolderNames.h"

namespace unlha {

class Destination {
 public:
  // Writes the data of one file through write(data, size), which answers false on failure;
  // returns 0 or the error that stopped it.
  using Producer = std::function<int(const std::function<bool(const void*, size_t)>& write)>;

  // Opens the native folder, creating it and missing parents first (it may be reached through
  // symbolic links: it is the caller's own folder), and removes the staging folders a killed
  // run left in it. nullptr and UNLHA_ERROR_MAKEDIRECTORY when it cannot be made or opened.
  static std::unique_ptr<Destination> open(const std::string& nativeFolder, int& error);
  ~Destination();
  Destination(const Destination&) = delete;
  Destination& operator=(const Destination&) = delete;

  // Makes the folders named by parts, one inside the other. Each name is looked up among the
  // existing entries without regard to ASCII case (the machine's rule); a new folder keeps the
  // case given. Returns 0, UNLHA_ERROR_UNSAFE_PATH when an existing entry on the way is a
  // symbolic link (never followed), or UNLHA_ERROR_MAKEDIRECTORY; reason says why.
  int makeFolders(const std::vector<std::string>& parts, std::string& reason);

  // Writes one member's data into the staging folder, a hidden folder of a unique name inside
  // the destination made on first use, under a new name returned in staged. mtime, when not 0,
  // becomes the file's time stamp. Returns 0, UNLHA_ERROR_CANNOT_WRITE or the producer's error;
  // a failed file is removed at once.
  // name is the member's, for the reason.
  int stage(std::time_t mtime, const Producer& produce, const std::string& name,
            std::string& staged, std::string& reason);

  // Moves a staged file to parts.back() in the folders before it (made as by makeFolders) in one
  // rename, replacing an existing file. An existing read-only file is not replaced
  // (UNLHA_ERROR_READ_ONLY), nor a symbolic link (UNLHA_ERROR_UNSAFE_PATH) or a folder
  // (UNLHA_ERROR_CANNOT_WRITE). Returns 0, one of those or UNLHA_ERROR_CANNOT_WRITE; a file not
  // placed stays staged until finish() or discard().
  int place(const std::string& staged, const std::vector<std::string>& parts, std::string& reason);

  // Removes the staging folder with whatever is left in it.
  void finish();

  // Bytes the destination's drive has free for us; the largest value when the system cannot
  // tell.
  uint64_t freeBytes() const;

  // As finish(), and removes the folders open() created when they are still empty: a refused
  // archive leaves no trace.
  void discard();

 private:
  int openStaging(std::string& reason);
  void removeLeftovers();
#ifdef _WIN32
  // Windows has no folder descriptors: folders are reached by full path, each one checked on
  // the way (Destination_win32.cpp).
  Destination(std::wstring root, std::vector<std::wstring> created);
  int openFolders(const std::vector<std::string>& parts, size_t count, std::wstring& path,
                  std::string& key, std::string& reason);
  FolderNames& folder(const std::string& key, const std::wstring& path);

  std::wstring m_root;
  std::vector<std::wstring> m_created;  // folders open() made, innermost first
  std::wstring m_stagingPath;           // empty until the staging folder is made
#else
  Destination(int fd, std::vector<std::string> created);
  int openFolders(const std::vector<std::string>& parts, size_t count, int& fd, std::string& key,
                  std::string& reason);
  FolderNames& folder(const std::string& key, int fd);

  int m_fd;
  std::vector<std::string> m_created;  // folders open() made, innermost first
  int m_stagingFd = -1;
#endif
  std::unordered_map<std::string, std::unique_ptr<FolderNames>> m_folders;  // by path below us
  std::string m_stagingName;
  std::vector<std::string> m_staged;  // names made in the staging folder and not yet placed
  unsigned m_stagedCounter = 0;
};

}  // namespace unlha
