// The help merge: blocks of the merge file written as the files of the help folder.
#include "install/HelpMerge.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/Errors.h"
#include "app/TextRules.h"
#include "install/HelpMergeParser.h"
#include "install/HexText.h"
#include "platform/AsciiCase.h"
#include "platform/NameRule.h"

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

// The block's path as a Windows path below the help folder, or nullopt when the one name rule
// of update data refuses it (a way out of the folder, a drive, a device name, a forbidden or
// control character, a trailing dot or blank, an over-long name) or when it names a folder.
std::optional<std::string> pathInsideFolder(const std::string& path) {
  if (path.empty() || platform::names::isSeparator(path.back())) return std::nullopt;
  const platform::names::CheckedPath checked = platform::names::checkRelativePath(path);
  if (checked.problem != platform::names::NameProblem::none || checked.parts.empty()) {
    return std::nullopt;
  }
  std::string joined;
  for (const std::string& part : checked.parts) {
    if (!joined.empty()) joined += '\\';
    joined += part;
  }
  return joined;
}

bool isTextPage(const std::string& fileName) {
  const std::string extension = platform::ascii::toUpper(app::extensionOf(app::namePart(fileName)));
  return extension == ".HTM" || extension == ".CSS" || extension == ".JS" || extension == ".HTML";
}

// Longest run of bytes held before it is written, and the pieces the merge file is read in.
constexpr size_t kWriteBuffer = 256 * 1024;
constexpr size_t kReadBuffer = 64 * 1024;

// Writes the blocks as they are read: a block's data goes to a scratch file beside the help
// folder (where no block can name a file), which takes the place of the block's file when its
// end marker is reached, and is removed when the block is dropped.
class BlockWriter final : public HelpMergeSink {
 public:
  BlockWriter(platform::FileSystem& files, platform::TextCodec& codec, platform::MessagePump& pump,
              std::string folder)
      : m_files(files),
        m_codec(codec),
        m_pump(pump),
        m_folder(std::move(folder)),
        m_scratch(app::folderPart(app::withoutBackslash(m_folder)) + "~MERGE~.TMP") {}
  ~BlockWriter() override { dropScratch(); }
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  void blockPath(std::string_view path) override {
    dropScratch();
    m_relative = pathInsideFolder(m_codec.fromCp932(std::string(path)));
    if (!m_relative) return;  // would land outside the help folder
    m_text = isTextPage(*m_relative);
    m_hex = HexDecoder();
    m_failed = false;
    m_buffer.clear();
    if (m_files.createFolders(app::withoutBackslash(m_folder))) {
      m_out = m_files.createForWriting(m_scratch);
    }
    m_scratchMade = m_out != nullptr;
    m_failed = m_out == nullptr;
  }

  void blockContent(std::string_view bytes) override {
    if (!m_out || m_failed) return;
    if (m_text) {
      m_buffer += bytes;
    } else if (!m_hex.failed()) {
      m_hex.feed(bytes, m_buffer);
    }
    if (m_buffer.size() >= kWriteBuffer) flush();
  }

  void blockEnd(uint32_t dosTime) override {
    if (m_relative) place(m_folder + *m_relative, dosTime);
    m_relative.reset();
    m_pump.processMessages();
  }

  void blockDropped() override {
    dropScratch();
    m_relative.reset();
  }

  void badTime(std::string_view line) override {
    dropScratch();
    throw BrevanError("'" + quoteText(m_codec, line) + "' は整数ではありません");
  }

 private:
  void flush() {
    if (!m_buffer.empty() && m_out && !m_failed) {
      m_failed = !m_out->write(m_buffer.data(), m_buffer.size()).ok();
    }
    m_buffer.clear();
  }

  void place(const std::string& fileName, uint32_t dosTime) {
    if (!m_files.createFolders(app::withoutBackslash(app::folderPart(fileName)))) {
      dropScratch();
      return;
    }
    if (!m_text && m_hex.failed()) {
      dropScratch();
      throw BrevanError("'" + quoteBytes(m_hex.badPair()) + "' は有効な16進数ではありません");
    }
    flush();
    if (m_out && !m_failed) m_failed = !m_out->close().ok();
    m_out.reset();
    // An existing file is replaced unless it is read-only.
    if (m_failed || (m_files.fileExists(fileName) && !m_files.deleteFile(fileName)) ||
        !m_files.moveFile(m_scratch, fileName)) {
      dropScratch();
      throw BrevanError(cannotCreateFileText(fileName));
    }
    m_scratchMade = false;
    (void)m_files.setDosTime(fileName, dosTime);  // an invalid stamp is ignored
  }

  void dropScratch() {
    m_out.reset();
    if (!m_scratchMade) return;
    m_scratchMade = false;
    (void)m_files.deleteFile(m_scratch);  // a scratch file left over is harmless
  }

  platform::FileSystem& m_files;
  platform::TextCodec& m_codec;
  platform::MessagePump& m_pump;
  const std::string m_folder;
  const std::string m_scratch;
  std::optional<std::string> m_relative;  // the open block's file below the folder
  std::unique_ptr<platform::FileWriter> m_out;
  bool m_scratchMade = false;
  bool m_text = false;
  bool m_failed = false;
  HexDecoder m_hex;
  std::string m_buffer;
};

}  // namespace

void HexTextToFile(platform::FileSystem& files, const std::string& HexText,
                   const std::string& FileName) {
  HexDecoder decoder;
  std::string bytes;
  if (!decoder.feed(HexText, bytes)) {
    throw BrevanError("'" + quoteBytes(decoder.badPair()) + "' は有効な16進数ではありません");
  }
  if (!files.writeFile(FileName, bytes)) {
    throw BrevanError(cannotCreateFileText(FileName));
  }
}

bool MergeHelpFile(platform::FileSystem& files, platform::TextCodec& codec,
                   platform::MessagePump& pump, const std::string& SourceFile,
                   const std::string& HelpFolder) {
  const auto in = files.openForReading(SourceFile);
  if (!in) throw BrevanError(cannotOpenFileText(SourceFile));
  BlockWriter writer(files, codec, pump, app::withBackslash(HelpFolder));
  HelpMergeReader reader(writer);
  std::vector<char> buffer(kReadBuffer);
  for (;;) {
    const auto got = in->read(buffer.data(), buffer.size());
    if (!got) throw BrevanError(cannotOpenFileText(SourceFile));
    if (*got == 0) break;
    if (!reader.feed(std::string_view(buffer.data(), *got))) return true;
  }
  reader.finish();
  return true;
}

}  // namespace install
