// The destination folder: members' folders and files are made beneath it and nowhere else.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace unlha {

class Destination {
 public:
  // Writes the data of one file through write(data, size), which answers false on failure;
  // returns 0 or the error that stopped it.
  using Producer = std::function<int(const std::function<bool(const void*, size_t)>& write)>;

  // Opens the native folder, creating it and missing parents first (it may be reached through
  // symbolic links: it is the caller's own folder). nullptr and UNLHA_ERROR_MAKEDIRECTORY
  // when it cannot be made or opened.
  static std::unique_ptr<Destination> open(const std::string& nativeFolder, int& error);
  ~Destination();
  Destination(const Destination&) = delete;
  Destination& operator=(const Destination&) = delete;

  // Makes the folders named by parts, one inside the other. Each name is looked up among the
  // existing entries without regard to ASCII case (the machine's rule); a new folder keeps the
  // case given. Returns 0, UNLHA_ERROR_UNSAFE_PATH when an existing entry on the way is a
  // symbolic link (never followed), or UNLHA_ERROR_MAKEDIRECTORY; reason says why.
  int makeFolders(const std::vector<std::string>& parts, std::string& reason);

  // Writes the file parts.back() in the folders before it (made as by makeFolders): the data
  // goes to a new file beside the target, which then replaces the target in one rename, so a
  // failed member leaves an existing file as it was. An existing read-only file is not
  // replaced (UNLHA_ERROR_READ_ONLY), nor a symbolic link (UNLHA_ERROR_UNSAFE_PATH) or a
  // folder (UNLHA_ERROR_CANNOT_WRITE). mtime, when not 0, becomes the file's time stamp.
  // Returns 0, one of those, UNLHA_ERROR_CANNOT_WRITE, or the producer's error.
  int writeFile(const std::vector<std::string>& parts, std::time_t mtime, const Producer& produce,
                std::string& reason);

 private:
  struct Folder;
#ifdef _WIN32
  // Windows has no folder descriptors: folders are reached by full path, each one checked on
  // the way (Destination_win32.cpp).
  explicit Destination(std::wstring root);
  int openFolders(const std::vector<std::string>& parts, size_t count, std::wstring& path,
                  std::string& key, std::string& reason);
  Folder& folder(const std::string& key, const std::wstring& path);

  std::wstring m_root;
#else
  explicit Destination(int fd);
  int openFolders(const std::vector<std::string>& parts, size_t count, int& fd, std::string& key,
                  std::string& reason);
  Folder& folder(const std::string& key, int fd);

  int m_fd;
#endif
  std::unordered_map<std::string, std::unique_ptr<Folder>> m_folders;  // by path below us
  unsigned m_tempCounter = 0;
};

}  // namespace unlha
