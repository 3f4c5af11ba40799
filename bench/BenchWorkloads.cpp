// The comparison benchmark's workloads made by the independent tools.
#include "bench/BenchWorkloads.h"

#include <cstdlib>
#include <fstream>
#include <random>

#include "bench/BenchProcess.h"

namespace bench {

namespace fs = std::filesystem;

fs::path makeLhaArchive(const fs::path& scratch, int files, size_t fileSize) {
  const fs::path source = scratch / "lha-src";
  std::mt19937 gen(7);
  for (int i = 0; i < files; ++i) {
    const fs::path file =
        source / ("corins" + std::to_string(i % 3) + ".0") / ("DATA" + std::to_string(i) + ".TXT");
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    std::string line;
    for (size_t written = 0; written < fileSize; written += line.size()) {
      line = std::to_string(gen() % 100000) + ",工事番号," + std::to_string(gen() % 50) +
             ",CORINS record " + std::to_string(gen() % 7) + "\r\n";
      if (written + line.size() > fileSize) line.resize(fileSize - written);
      out << line;
    }
  }
  const fs::path archive = scratch / "BENCH.lzh";
  std::string folders;
  for (int i = 0; i < std::min(files, 3); ++i) folders += " corins" + std::to_string(i) + ".0";
  const std::string command = "cd '" + source.string() + "' && LANG=C.UTF-8 jlha a2y '" +
                              archive.string() + "'" + folders + " >/dev/null";
  if (std::system(command.c_str()) != 0) std::exit(1);
  fs::remove_all(source);
  return archive;
}

void writeMergeFile(const fs::path& merge, const fs::path& plainHex, size_t size) {
  const std::string start = "\x81\xA1#HELP_FILE_START#\x81\xA1\r\n";
  const std::string end = "\x81\xA1#HELP_FILE_END#\x81\xA1\r\n";
  std::string hex;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::mt19937 gen(11);
  for (int k = 0; k < (1 << 19); ++k) {
    const unsigned byte = gen() % 7 == 0 ? gen() & 0xFF : 0x4A;
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  std::ofstream out(merge, std::ios::binary);
  std::ofstream plain(plainHex, std::ios::binary);
  size_t written = 0;
  for (int n = 0; written < size; ++n) {
    std::string block = start;
    if (n % 4 == 3) {
      block += "page" + std::to_string(n % 200) + ".htm\r\n1431699456\r\n";
      for (int line = 0; line < 600; ++line) {
        block += "<p>\x83\x77\x83\x8B\x83\x76 page " + std::to_string(n) + " line " +
                 std::to_string(line) + "</p>\r\n";
      }
    } else {
      block += "images\\picture" + std::to_string(n % 50) + ".gif\r\n1431699456\r\n" + hex + "\r\n";
    }
    block += end;
    out << block;
    written += block.size();
  }
  for (size_t plainWritten = 0; plainWritten < written; plainWritten += hex.size() + 1) {
    plain << hex << '\n';
  }
}

std::vector<std::string> makeSzddSet(const fs::path& folder, int count, size_t total) {
  std::vector<std::string> names;
  std::vector<std::string> command = {"mscompress"};
  const size_t size = total / static_cast<size_t>(count);
  for (int i = 0; i < count; ++i) {
    names.push_back("F" + std::to_string(100 + i));
    std::mt19937 gen(static_cast<unsigned>(i + 1));
    std::string data;
    while (data.size() < size) {
      if (gen() % 16 == 0) {
        for (int k = 0; k < 256; ++k) data += static_cast<char>(gen() & 0xFF);
      } else {
        data += "MOV EAX, [EBP+" + std::to_string(gen() % 64) + "]; table entry " +
                std::to_string(gen() % 1000) + "\r\n";
      }
    }
    data.resize(size);
    std::ofstream((folder / (names.back() + ".EXE")).string(), std::ios::binary) << data;
    command.push_back((folder / (names.back() + ".EXE")).string());
  }
  if (spawn(command).status != 0) std::exit(1);
  for (const auto& name : names) {
    fs::rename(folder / (name + ".EXE_"), folder / (name + ".EX_"));
    fs::remove(folder / (name + ".EXE"));
  }
  return names;
}

}  // namespace bench
