// Fuzzing of the help merge: the parser keeps its line and block rules on any bytes, and the
// merge never names a file outside the help folder, whatever the path lines say.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/Errors.h"
#include "install/HelpMerge.h"
#include "install/HelpMergeParser.h"

namespace {

constexpr const char* kSource = "C:\\WORK\\MERGEHELP.INI";
constexpr std::string_view kFolder = "C:\\APP\\HELP\\";

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

// A file system that holds only the merge file and checks every path it is asked to touch.
class CheckingFiles : public platform::FileSystem {
 public:
  explicit CheckingFiles(std::string source) : m_source(std::move(source)) {}

  std::optional<uint32_t> attributes(const std::string& path) override {
    (void)guard(path);
    return platform::kAttrNormal;
  }
  platform::Status setAttributes(const std::string& path, uint32_t) override { return guard(path); }
  std::vector<platform::FindEntry> find(const std::string&) override { std::abort(); }
  platform::Status copyFile(const std::string&, const std::string&, bool) override { std::abort(); }
  platform::Status deleteFile(const std::string& path) override { return guard(path); }
  platform::Status moveFile(const std::string& from, const std::string& to) override {
    (void)guard(from);
    return guard(to);
  }
  platform::Status createFolder(const std::string& path) override { return guard(path); }
  platform::Status createFolders(const std::string& path) override {
    check(path + "\\" == kFolder || insideFolder(path), "folders stay inside the help folder");
    return {};
  }
  platform::Status removeFolder(const std::string&) override { std::abort(); }
  std::optional<std::string> readFile(const std::string& path) override {
    check(path == kSource, "only the merge file is read");
    return m_source;
  }
  platform::Status writeFile(const std::string& path, const std::string&) override {
    return guard(path);
  }
  platform::Status replaceFileAtomically(const std::string&, const std::string&) override {
    std::abort();
  }
  platform::Status probeWritable(const std::string&) override { std::abort(); }
  platform::Status setDosTime(const std::string& path, uint32_t) override { return guard(path); }
  std::optional<uint64_t> fileSize(const std::string& path) override {
    (void)guard(path);
    return 0;
  }
  std::string fullPath(const std::string& path) override { return path; }

 private:
  platform::Status guard(const std::string& path) {
    check(insideFolder(path), "files stay inside the help folder");
    return {};
  }
  std::string m_source;
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
  CheckingFiles files(bytes);
  IdentityCodec codec;
  NoPump pump;
  try {
    check(install::MergeHelpFile(files, codec, pump, kSource, std::string(kFolder)),
          "the merge returns true");
  } catch (const BrevanError&) {
    // bad time line or bad hexadecimal text: the program's error, as intended
  }
  return 0;
}
