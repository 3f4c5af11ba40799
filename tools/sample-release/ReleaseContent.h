// What the sample release holds: every file of both passes, as bytes before compression.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace sample {

// A file inside an LHA archive, stored under its folder name ("corins0.0/CORINS.DAT").
struct Member {
  std::string path;  // '/'-separated UTF-8; stored as CP932 in the archive
  std::string bytes;
  std::time_t mtime = 0;
};

// One file on the update server.
struct ReleaseFile {
  std::string name;             // the name in the file tables, UTF-8 (CP932 on the wire)
  std::string content;          // SZDD files: the bytes after expansion
  std::vector<Member> members;  // LHA archives: their members
  bool archive = false;
};

// The two passes: 1 updates OLD_BIN, 2 builds NEW_BIN.
inline constexpr int kPasses[] = {1, 2};

// "brevan/v128" or "brevan/20251299": the pass's folder below the mirror's root.
std::string basePath(int pass);
// The version every program of the pass carries: 1.2.9.0 or 2.5.3.0.
struct Version {
  uint16_t a, b, c, d;
  std::string text() const;  // "2.5.3.0"
};
Version passVersion(int pass);

// Every file of a pass, each name once: the common files in table order, then the standard
// files row by row. Throws std::runtime_error for a name of a kind the release cannot make.
std::vector<ReleaseFile> releaseFiles(int pass);

// The template folder ("14年度/KEN") that a template file's extension ("LIST.4K_") stands for;
// empty for any other file.
std::string templateFolder(const std::string& name);

// The name with its extension replaced ("PictDesk.ex_", ".EXE" -> "PictDesk.EXE").
std::string withExtension(const std::string& name, const std::string& extension);
// The extension with its dot, ASCII upper case ("Ex_" -> ".EX_"); empty when there is none.
std::string upperExtension(const std::string& name);

// Seconds since the epoch of a date and time in Japan (UTC+9, no summer time).
std::time_t japanTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace sample
