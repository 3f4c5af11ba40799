// Help pages, a style sheet, a script and two small pictures, and their help merge file.
#include "tools/sample-release/HelpPages.h"

#include <cstdint>

#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/ReleaseContent.h"

namespace sample {

namespace {

// The smallest GIF there is: one transparent pixel.
std::string pixelGif() {
  static const unsigned char gif[] = {
      0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF,
      0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
      0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
  return std::string(reinterpret_cast<const char*>(gif), sizeof gif);
}

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An 8 x 8 24-bit bitmap with a pattern that depends on `seed`; its bytes include 0x0D, 0x0A
// and 0x00, which the hexadecimal form must carry unharmed.
std::string patternBitmap(int seed) {
  const uint32_t width = 8, height = 8, rowBytes = width * 3, pixels = rowBytes * height;
  std::string bmp = "BM";
  putLittleEndian(bmp, 54 + pixels, 4);
  putLittleEndian(bmp, 0, 4);
  putLittleEndian(bmp, 54, 4);
  putLittleEndian(bmp, 40, 4);
  putLittleEndian(bmp, width, 4);
  putLittleEndian(bmp, height, 4);
  putLittleEndian(bmp, 1, 2);
  putLittleEndian(bmp, 24, 2);
  putLittleEndian(bmp, 0, 4);
  putLittleEndian(bmp, pixels, 4);
  for (int i = 0; i < 4; ++i) putLittleEndian(bmp, i < 2 ? 2835 : 0, 4);
  for (uint32_t i = 0; i < pixels; ++i) bmp += static_cast<char>((i * 13 + seed * 7) % 256);
  return bmp;
}

// CP932 text from UTF-8 lines, each ended by CR LF, as the merge writes text files back.
std::string textFile(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return toCp932(text);
}

std::string page(const std::string& title, const std::string& body, const std::string& style) {
  return textFile({"<html>", "<head>",
                   "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
                   "<title>" + title + "</title>",
                   "<link rel=\"stylesheet\" href=\"" + style + "\" type=\"text/css\">", "</head>",
                   "<body>", "<h1>" + title + "</h1>", "<p>" + body + "</p>", "</body>",
                   "</html>"});
}

}  // namespace

std::time_t HelpFile::mtime() const { return japanTime(year, month, day, hour, minute, second); }

std::vector<HelpFile> helpFiles(int pass) {
  if (pass == 1) {
    return {
        {"index.htm", page("Brevan ヘルプ (1.2.9)", "電子納品の手順を説明します。", "brevan.css"),
         2004, 6, 1, 9, 0, 0},
        {"操作説明.htm", page("操作説明", "写真の取り込みと台帳の作成。", "brevan.css"), 2004, 6, 1,
         9, 0, 2},
        {"brevan.css", textFile({"body { font-family: \"ＭＳ ゴシック\"; }"}), 2004, 6, 1, 9, 0, 4},
        {"images/logo.gif", pixelGif(), 2004, 6, 1, 9, 0, 6},
    };
  }
  return {
      {"index.htm", page("Brevan ヘルプ (2.5.3)", "電子納品の手順を説明します。", "brevan.css"),
       2025, 12, 1, 10, 0, 0},
      {"操作説明.htm",
       page("操作説明", "写真の取り込み、台帳の作成と電子媒体への書き込み。", "brevan.css"), 2025,
       12, 1, 10, 0, 2},
      // A sub-folder whose name has a CP932 trail byte 0x5C (ソ), as the path line carries it.
      {"ソフト概要/表示と操作.HTM", page("表示と操作", "画面の各部の名前。", "../brevan.css"), 2025,
       12, 1, 10, 15, 30},
      {"brevan.css",
       textFile(
           {"body { font-family: \"ＭＳ ゴシック\"; font-size: 12px; }", "h1 { color: #003366; }"}),
       2025, 12, 1, 10, 0, 4},
      {"brevan.js",
       textFile({"// 目次の開閉", "function toggle(id) {", "  var e = document.getElementById(id);",
                 "  e.style.display = e.style.display == 'none' ? '' : 'none';", "}"}),
       2025, 12, 1, 10, 0, 6},
      {"images/logo.gif", pixelGif(), 2025, 12, 1, 10, 0, 8},
      {"images/画面.bmp", patternBitmap(2), 2025, 11, 30, 23, 59, 58},
  };
}

std::string helpMergeText(const std::vector<HelpFile>& files) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string start = toCp932("■#HELP_FILE_START#■");
  const std::string end = toCp932("■#HELP_FILE_END#■");
  // Lines outside the blocks are not read; a heading says what the file is.
  std::string text = toCp932("; Brevan ヘルプ統合ファイル 2.5.3") + "\r\n";
  for (const HelpFile& file : files) {
    std::string path = file.path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    const uint32_t dosDate =
        static_cast<uint32_t>(((file.year - 1980) << 9) | (file.month << 5) | file.day);
    const uint32_t dosTime =
        static_cast<uint32_t>((file.hour << 11) | (file.minute << 5) | (file.second / 2));
    text +=
        start + "\r\n" + toCp932(path) + "\r\n" + std::to_string(dosDate << 16 | dosTime) + "\r\n";
    const std::string ext = upperExtension(file.path);
    if (ext == ".HTM" || ext == ".HTML" || ext == ".CSS" || ext == ".JS") {
      text += file.bytes;  // already CP932 lines ending in CR LF
    } else {
      for (const char c : file.bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
      }
      text += "\r\n";
    }
    text += end + "\r\n";
  }
  return text;
}

}  // namespace sample
