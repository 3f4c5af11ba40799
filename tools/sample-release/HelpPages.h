// The help folder of each pass, and the help merge file that carries it in pass 2.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace sample {

struct HelpFile {
  std::string path;                            // relative to the help folder, '/'-separated UTF-8
  std::string bytes;                           // CP932 text with CR LF line ends, or binary
  int year, month, day, hour, minute, second;  // time stamp, local time in Japan
  std::time_t mtime() const;
};

// Pass 1 ships these in "ヘルプ.lzh", pass 2 in "MERGEHELP.IN_".
std::vector<HelpFile> helpFiles(int pass);

// The help merge file that carries the files: CP932, CR LF, one marked block per file (text
// pages as lines, everything else as one line of hexadecimal digits).
std::string helpMergeText(const std::vector<HelpFile>& files);

}  // namespace sample
