// The help merge: blocks of the merge file written as the files of the help folder.
#include "install/HelpMerge.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "app/Errors.h"
#include "app/TextRules.h"
#include "install/HelpMergeParser.h"

namespace install {

namespace {

// Longest piece of a bad line repeated in an error message.
constexpr size_t kQuotedChars = 40;

// Bytes for an error message: printable ASCII as it stands, anything else as \xNN.
std::string quoteBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t k = 0; k < bytes.size() && k < kQuotedChars; ++k) {
    const auto c = static_cast<unsigned char>(bytes[k]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  if (bytes.size() > kQuotedChars) out += "...";
  return out;
}

// A decoded line for an error message: at most kQuotedChars characters, controls as '?'.
std::string quoteText(platform::TextCodec& codec, std::string_view cp932) {
  const std::string text = codec.fromCp932(std::string(cp932));
  std::string out;
  size_t chars = 0;
  for (size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    if ((c & 0xC0) != 0x80 && chars++ == kQuotedChars) return out + "...";
    out += (c < 0x20 || c == 0x7F) ? '?' : text[k];
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The block's path as a Windows path below the help folder ('/' taken as '\'), or nullopt
// when it would name the folder itself or anything outside it: an absolute path, a drive or
// stream (':'), a component that Windows reads as "." or ".." (dots and blanks only), or a
// control character (which Windows forbids in names, and which would cut a path short here).
std::optional<std::string> pathInsideFolder(std::string path) {
  for (char& c : path) {
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    if (c == '/') c = '\\';
  }
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return std::nullopt;
  if (path.find(':') != std::string::npos) return std::nullopt;
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find('\\', begin);
    if (end == std::string::npos) end = path.size();
    std::string_view part(path.data() + begin, end - begin);
    if (part.find_first_not_of(". ") == std::string_view::npos) return std::nullopt;
    begin = end + 1;
  }
  return path;
}

bool isTextPage(const std::string& fileName) {
  const std::string extension = app::upperAscii(app::extensionOf(app::namePart(fileName)));
  return extension == ".HTM" || extension == ".CSS" || extension == ".JS" || extension == ".HTML";
}

std::string joinLines(const std::vector<std::string_view>& lines) {
  size_t size = 0;
  for (auto line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (auto line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void writeBlock(platform::FileSystem& files, platform::TextCodec& codec, const std::string& folder,
                const HelpBlock& block) {
  auto relative = pathInsideFolder(codec.fromCp932(std::string(block.path)));
  if (!relative) return;  // would land outside the help folder
  const std::string fileName = folder + *relative;
  if (!files.createFolders(app::withoutBackslash(app::folderPart(fileName)))) return;
  if (isTextPage(fileName)) {
    if (!files.writeFile(fileName, joinLines(block.lines))) {
      throw BrevanError("ファイル \"" + fileName + "\" を作成できません。");
    }
  } else {
    HexTextToFile(files, joinLines(block.lines), fileName);
  }
  if (files.fileExists(fileName)) {
    (void)files.setDosTime(fileName, block.dosTime);  // an invalid stamp is ignored
  }
}

}  // namespace

void HexTextToFile(platform::FileSystem& files, const std::string& HexText,
                   const std::string& FileName) {
  std::string_view text(HexText);
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  std::string bytes(text.size() / 2, '\0');
  for (size_t k = 0; k < bytes.size(); ++k) {
    const int high = hexDigit(text[2 * k]);
    const int low = hexDigit(text[2 * k + 1]);
    if (high < 0 || low < 0) {
      throw BrevanError("'" + quoteBytes(text.substr(2 * k, 2)) + "' は有効な16進数ではありません");
    }
    bytes[k] = static_cast<char>(high << 4 | low);
  }
  if (!files.writeFile(FileName, bytes)) {
    throw BrevanError("ファイル \"" + FileName + "\" を作成できません。");
  }
}

bool MergeHelpFile(platform::FileSystem& files, platform::TextCodec& codec,
                   platform::MessagePump& pump, const std::string& SourceFile,
                   const std::string& HelpFolder) {
  const std::string folder = app::withBackslash(HelpFolder);
  const std::optional<std::string> bytes = files.readFile(SourceFile);
  if (!bytes) throw BrevanError("ファイル \"" + SourceFile + "\" を開けません。");
  HelpMergeParser parser(*bytes);
  while (auto item = parser.next()) {
    if (const auto* bad = std::get_if<HelpBadTime>(&*item)) {
      throw BrevanError("'" + quoteText(codec, bad->line) + "' は整数ではありません");
    }
    writeBlock(files, codec, folder, std::get<HelpBlock>(*item));
    pump.processMessages();
  }
  return true;
}

}  // namespace install
