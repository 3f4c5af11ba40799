// Fuzzing of the help merge: the parser keeps its line and block rules on any bytes, and the
// merge, on a file system that keeps what it is given, never names a file outside the help
// folder nor one the name rule refuses, whatever the path lines say.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/Errors.h"
#include "install/HelpMerge.h"
#include "install/HelpMergeParser.h"
#include "platform/AsciiCase.h"
#include "platform/NameRule.h"

namespace {

constexpr const char* kSource = "C:\\WORK\\MERGEHELP.INI";
constexpr std::string_view kFolder = "C:\\APP\\HELP\\";
// The merge's scratch file, beside the help folder.
constexpr std::string_view kScratch = "C:\\APP\\~MERGE~.TMP";

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

// True when the path stays inside the help folder however a system reads it: it starts with
// the folder, holds no drive or stream (':') and no control character (a NUL would cut it
// short), and no component made of dots and blanks only holds two dots ("..", ". .", "...").
bool insideFolder(const std::string& path) {
  if (path.compare(0, kFolder.size(), kFolder) != 0) return false;
  const std::string rest = path.substr(kFolder.size());
  for (char c : rest) {
    if (c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  size_t begin = 0;
  while (begin <= rest.size()) {
    size_t end = rest.find_first_of("\\/", begin);
    if (end == std::string::npos) end = rest.size();
    const std::string part = rest.substr(begin, end - begin);
    const bool dotsOnly = part.find_first_not_of(". ") == std::string::npos;
    if (dotsOnly && std::count(part.begin(), part.end(), '.') >= 2) return false;
    begin = end + 1;
  }
  return true;
}

// Bytes pass through unchanged, so path bytes reach the merge as they stand.
class IdentityCodec : public platform::TextCodec {
 public:
  std::string toCp932(const std::string& utf8) override { return utf8; }
  std::string fromCp932(const std::string& bytes) override { return bytes; }
};

class NoPump : public platform::MessagePump {
 public:
  void processMessages() override {}
  void waitMessages(unsigned) override {}
};

// A file system that keeps its files and folders in memory, with the Windows rules the merge
// relies on (a file needs its folder, a rename never replaces, names match whatever their
// ASCII case), and checks every path it is asked to touch: only the help folder and the
// scratch file beside it.
class MemoryFiles : public platform::FileSystem {
 public:
  explicit MemoryFiles(std::string source) : m_source(std::move(source)) {
    m_folders.insert(key("C:\\APP"));
  }

  std::optional<uint32_t> attributes(const std::string& path) override {
    guard(path);
    if (m_folders.count(key(path)) != 0) return platform::kAttrDirectory;
    if (m_files.count(key(path)) != 0) return platform::kAttrNormal;
    return std::nullopt;
  }
  platform::Status setAttributes(const std::string& path, uint32_t) override {
    return exists(path) ? platform::Status::success() : platform::Status::failure(2);
  }
  std::vector<platform::FindEntry> find(const std::string&) override { std::abort(); }
  platform::Status copyFile(const std::string&, const std::string&, bool) override { std::abort(); }
  platform::Status deleteFile(const std::string& path) override {
    guard(path);
    return m_files.erase(key(path)) != 0 ? platform::Status::success()
                                         : platform::Status::failure(2);
  }
  platform::Status moveFile(const std::string& from, const std::string& to) override {
    guard(from);
    guard(to);
    const auto it = m_files.find(key(from));
    if (it == m_files.end()) return platform::Status::failure(2);
    if (exists(to)) return platform::Status::failure(183);
    if (m_folders.count(key(parentOf(to))) == 0) return platform::Status::failure(3);
    File moved{to, std::move(it->second.bytes)};
    m_files.erase(it);
    m_files[key(to)] = std::move(moved);
    return platform::Status::success();
  }
  platform::Status createFolder(const std::string&) override { std::abort(); }
  platform::Status createFolders(const std::string& path) override {
    check(path + "\\" == kFolder || insideFolder(path), "folders stay inside the help folder");
    for (std::string p = path; p.size() > 2; p = parentOf(p)) {
      if (m_files.count(key(p)) != 0) return platform::Status::failure(183);
      m_folders.insert(key(p));
    }
    return platform::Status::success();
  }
  platform::Status removeFolder(const std::string&) override { std::abort(); }
  std::optional<std::string> readFile(const std::string& path) override {
    check(path == kSource, "only the merge file is read");
    return m_source;
  }
  platform::Status writeFile(const std::string& path, const std::string& bytes) override {
    guard(path);
    if (m_folders.count(key(path)) != 0 || m_folders.count(key(parentOf(path))) == 0) {
      return platform::Status::failure(3);
    }
    m_files[key(path)] = File{path, bytes};
    return platform::Status::success();
  }
  platform::Status replaceFileAtomically(const std::string&, const std::string&) override {
    std::abort();
  }
  platform::Status setDosTime(const std::string& path, uint32_t) override {
    return fileExists(path) ? platform::Status::success() : platform::Status::failure(2);
  }
  platform::Status probeWritable(const std::string&) override { std::abort(); }
  std::optional<uint64_t> fileSize(const std::string& path) override {
    guard(path);
    const auto it = m_files.find(key(path));
    if (it == m_files.end()) return std::nullopt;
    return it->second.bytes.size();
  }
  std::string fullPath(const std::string& path) override { return path; }

  // After the merge: every file lies in the help folder under names the rule of update data
  // takes, and the scratch file is gone.
  void checkTree() const {
    for (const auto& [folded, file] : m_files) {
      check(file.path.compare(0, kFolder.size(), kFolder) == 0, "no file outside the folder");
      const auto checked = platform::names::checkRelativePath(file.path.substr(kFolder.size()));
      check(checked.problem == platform::names::NameProblem::none && !checked.parts.empty(),
            "every file's name passes the name rule");
    }
  }

 private:
  struct File {
    std::string path;
    std::string bytes;
  };
  static std::string key(const std::string& path) { return platform::ascii::toLower(path); }
  static std::string parentOf(const std::string& path) {
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
  }
  void guard(const std::string& path) const {
    check(path == kScratch || path + "\\" == kFolder || insideFolder(path),
          "files stay inside the help folder");
  }
  std::string m_source;
  std::map<std::string, File> m_files;
  std::set<std::string> m_folders;
};

// Checks the reader's promises on the bytes read whole and in pieces of 3 bytes.
class CheckingSink : public install::HelpMergeSink {
 public:
  std::string record;  // everything handed out, to compare the two readings
  void blockPath(std::string_view path) override {
    check(path.find_first_of("\r\n") == std::string_view::npos, "the path is one line");
    check(path != install::kHelpFileStart && path != install::kHelpFileEnd,
          "a marker is never a path");
    check(!m_open, "a block opens once");
    m_open = true;
    m_content.clear();
    record += "P" + std::string(path) + "\n";
  }
  void blockContent(std::string_view bytes) override {
    check(m_open, "content belongs to an open block");
    m_content += bytes;
  }
  void blockEnd(uint32_t time) override {
    check(m_open, "only an open block ends");
    checkContent();
    record += "E" + std::to_string(time) + ":" + m_content;
    m_open = false;
  }
  void blockDropped() override {
    check(m_open, "only an open block is dropped");
    record += "D";
    m_open = false;
  }
  void badTime(std::string_view line) override {
    check(!install::HelpMergeReader::readDosTime(line), "the bad time line is bad");
    record += "B" + std::string(line);
  }

 private:
  // Content is whole lines, each ended by CR LF, none of them a marker.
  void checkContent() {
    size_t k = 0;
    while (k < m_content.size()) {
      const size_t end = m_content.find_first_of("\r\n", k);
      check(end != std::string::npos && m_content.compare(end, 2, "\r\n") == 0,
            "content lines end in CR LF");
      const std::string_view line(m_content.data() + k, end - k);
      check(line != install::kHelpFileStart && line != install::kHelpFileEnd,
            "a marker is never content");
      k = end + 2;
    }
  }
  bool m_open = false;
  std::string m_content;
};

void checkParser(std::string_view bytes) {
  CheckingSink whole;
  install::HelpMergeReader reader(whole);
  if (reader.feed(bytes)) reader.finish();
  CheckingSink pieces;
  install::HelpMergeReader split(pieces);
  bool reading = true;
  for (size_t k = 0; k < bytes.size() && reading; k += 3) reading = split.feed(bytes.substr(k, 3));
  if (reading) split.finish();
  check(whole.record == pieces.record, "the same blocks whatever the pieces");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  checkParser(bytes);
  MemoryFiles files(bytes);
  IdentityCodec codec;
  NoPump pump;
  try {
    check(install::MergeHelpFile(files, codec, pump, kSource, std::string(kFolder)),
          "the merge returns true");
  } catch (const BrevanError&) {
    // bad time line or bad hexadecimal text: the program's error, as intended
  }
  files.checkTree();
  check(!files.exists(std::string(kScratch)), "the scratch file is removed");
  return 0;
}
