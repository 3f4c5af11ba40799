// A folder tree as data: the expected installation, a scan of a real one, and their differences.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sample {

struct TreeFile {
  std::string bytes;
  std::optional<std::time_t> mtime;  // nullopt: any time stamp is right
  bool readOnly = false;
};

// Paths are relative, '/'-separated UTF-8 ("Program Files/Valtern/Brevan/OLD_BIN/PictDesk.EXE").
struct Tree {
  std::map<std::string, TreeFile> files;
  std::map<std::string, bool> folders;  // path -> read-only

  // Adds (or replaces) a file and every folder above it.
  void put(const std::string& path, std::string bytes, std::optional<std::time_t> mtime = {});
  void addFolder(const std::string& path);
  // Removes a file; false when there was none.
  bool erase(const std::string& path);
  // The file at a path whose components match without regard to ASCII case, as the machine
  // model looks names up; nullptr when there is none.
  TreeFile* findFile(const std::string& path);
  // The path as stored, for a path that matches an entry without regard to ASCII case.
  std::optional<std::string> storedPath(const std::string& path) const;
  // Moves a file or a whole folder (with its contents) to a new path.
  void move(const std::string& from, const std::string& to);
  // Copies the files and folders below `from` (not `from` itself) into `to`.
  void copyContents(const std::string& from, const std::string& to);
};

// Reads a real folder. Throws std::runtime_error when it cannot be read.
Tree scanTree(const std::string& root);

// One line per entry, sorted by path:
//   D <ro|rw> <path>
//   F <ro|rw> <size> <fnv1a-64 hex> <local time "YYYY-MM-DD hh:mm:ss" or "-"> <path>
std::string manifestText(const Tree& tree);

// What differs between the expected and the actual tree, one line each; empty when the actual
// tree is what was expected. Paths compare exactly (letter case included); an expected file
// without a time stamp accepts any time stamp.
std::vector<std::string> compareTrees(const Tree& expected, const Tree& actual);

// FNV-1a, 64 bits: a short fingerprint of a file's bytes for the manifest.
uint64_t fingerprint(const std::string& bytes);

// "YYYY-MM-DD hh:mm:ss" in the local time zone.
std::string localTimeText(std::time_t t);

}  // namespace sample
