// Builds stored (-lh0-) LHA archives byte by byte, for the hostile cases no archiver makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test {

struct LhaMember {
  int level = 2;       // header level 0, 1 or 2
  std::string file;    // level 0/1: the name field as stored (may hold '\'); 1/2: header 0x01
  std::string folder;  // level 1/2: extended header 0x02 as stored (0xFF between folders)
  std::string data;
  bool isFolder = false;  // -lhd- member
  bool symlink = false;   // level 2 -lhd- member with Unix mode 0120777; file holds "name|target"
  bool badCrc = false;    // the stored CRC does not match the data
  char method[6] = "-lh0-";
  // When not empty, the packed data stored instead of data, announced with the original size
  // and CRC below (badCrc still spoils the CRC).
  std::string packed;
  uint32_t announcedSize = 0;
  uint16_t announcedCrc = 0;
};

// An -lh5- stream that decodes to length blank bytes (the decoder's history starts as blanks)
// with almost no data: blocks of 65535 commands whose code trees hold a single code each, a
// 256-byte copy of the byte before. No encoder writes this; it is the format's bomb.
std::string lh5Bomb(uint64_t length);

// CRC-16 of LHA over count copies of one byte, without walking them.
uint16_t lhaCrcOfRepeated(uint8_t byte, uint64_t count);

// The archive's bytes: each member's header and data, then the end mark (a zero byte) when
// endMark is set.
std::string buildLha(const std::vector<LhaMember>& members, bool endMark = true);

// CRC-16 of LHA (reflected 0xA001), computed bit by bit.
uint16_t lhaCrc(const std::string& data);

// Writes bytes to a native path.
void writeFile(const std::string& path, const std::string& bytes);
// Reads a native file; empty when missing.
std::string readFile(const std::string& path);

}  // namespace test
