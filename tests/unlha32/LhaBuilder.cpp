// Builds stored (-lh0-) LHA archives byte by byte.
#include "tests/unlha32/LhaBuilder.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace test {
namespace {

constexpr uint32_t kDosTime = 0x5A6B7C8Du;   // some date in 2025, local time
constexpr uint32_t kUnixTime = 1700000000u;  // 2023-11-14

void put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// One extended header without its leading size field: type, data, size of the next.
std::string extended(uint8_t type, const std::string& data) {
  std::string ext(1, static_cast<char>(type));
  ext += data;
  return ext;
}

// Chains extended headers: each is followed by the size of the next one (0 ends).
std::string chain(const std::vector<std::string>& exts) {
  std::string out;
  for (size_t i = 0; i < exts.size(); ++i) {
    out += exts[i];
    put16(out, i + 1 < exts.size() ? static_cast<uint32_t>(exts[i + 1].size() + 2) : 0);
  }
  return out;
}

uint32_t firstSize(const std::vector<std::string>& exts) {
  return exts.empty() ? 0 : static_cast<uint32_t>(exts[0].size() + 2);
}

std::string member(const LhaMember& m) {
  const bool packed = !m.packed.empty();
  const std::string data = m.isFolder ? "" : packed ? m.packed : m.data;
  const uint32_t original = packed ? m.announcedSize : static_cast<uint32_t>(data.size());
  const uint16_t crc =
      static_cast<uint16_t>((packed ? m.announcedCrc : lhaCrc(data)) ^ (m.badCrc ? 0x1234 : 0));
  const std::string method = m.isFolder ? "-lhd-" : m.method;
  std::vector<std::string> exts;
  if (m.level >= 1 && !m.folder.empty()) exts.push_back(extended(0x02, m.folder));
  if (m.level == 2 && !m.file.empty()) exts.push_back(extended(0x01, m.file));
  if (m.symlink) {
    std::string mode;
    put16(mode, 0120777);
    exts.push_back(extended(0x50, mode));
  }
  const std::string extBytes = chain(exts);

  std::string out;
  if (m.level == 0 || m.level == 1) {
    if (m.file.size() > 255) throw std::invalid_argument("name too long for level 0/1");
    std::string body = method;
    put32(body, static_cast<uint32_t>(data.size() + (m.level == 1 ? extBytes.size() : 0)));
    put32(body, original);
    put32(body, kDosTime);
    body += static_cast<char>(m.level == 1 ? 0x20 : 0x00);  // attribute
    body += static_cast<char>(m.level);
    body += static_cast<char>(m.file.size());
    body += m.file;
    put16(body, crc);
    if (m.level == 1) {
      body += 'M';
      put16(body, firstSize(exts));
    }
    unsigned sum = 0;
    for (unsigned char c : body) sum += c;
    out += static_cast<char>(body.size());
    out += static_cast<char>(sum & 0xFF);
    out += body;
    if (m.level == 1) out += extBytes;
  } else {
    std::string body = method;
    put32(body, static_cast<uint32_t>(data.size()));
    put32(body, original);
    put32(body, kUnixTime);
    body += static_cast<char>(0x20);
    body += static_cast<char>(2);
    put16(body, crc);
    body += m.symlink ? 'U' : 'M';
    put16(body, firstSize(exts));
    body += extBytes;
    size_t total = body.size() + 2;
    // A size whose low byte is 0 would read as the end mark; real archivers pad such headers.
    if ((total & 0xFF) == 0) {
      body += '\0';
      ++total;
    }
    put16(out, static_cast<uint32_t>(total));
    out += body;
  }
  return out + data;
}

// Bits written first into the high end of each byte, as the -lh5- decoder reads them.
class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (m_used == 0) m_bytes += '\0';
      if ((value >> i) & 1) m_bytes.back() = static_cast<char>(m_bytes.back() | (0x80 >> m_used));
      m_used = (m_used + 1) % 8;
    }
  }
  const std::string& bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
  int m_used = 0;
};

uint16_t crcStep(uint16_t crc, uint8_t byte) {
  crc ^= byte;
  for (int bit = 0; bit < 8; ++bit) {
    crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
  }
  return crc;
}

}  // namespace

std::string lh5Bomb(uint64_t length) {
  constexpr uint64_t kCopy = 256;
  BitWriter out;
  uint64_t commands = (length + kCopy - 1) / kCopy;
  while (commands > 0) {
    const uint32_t block = commands > 65535 ? 65535 : static_cast<uint32_t>(commands);
    commands -= block;
    out.put(block, 16);
    out.put(0, 5);  // the temporary tree: a single code...
    out.put(0, 5);
    out.put(0, 9);                // the code tree: a single code...
    out.put(256 + kCopy - 3, 9);  // ...a copy of 256 bytes
    out.put(0, 4);                // the offset tree: a single code...
    out.put(0, 4);                // ...the byte just before
  }
  return out.bytes();
}

uint16_t lhaCrcOfRepeated(uint8_t byte, uint64_t count) {
  // The CRC after one byte is a map of the 65536 states onto themselves; the map for count
  // bytes is composed from its powers of two.
  std::vector<uint16_t> step(65536);
  std::vector<uint16_t> result(65536);
  for (uint32_t s = 0; s < 65536; ++s) {
    step[s] = crcStep(static_cast<uint16_t>(s), byte);
    result[s] = static_cast<uint16_t>(s);
  }
  std::vector<uint16_t> next(65536);
  for (; count > 0; count >>= 1) {
    if (count & 1) {
      for (uint32_t s = 0; s < 65536; ++s) next[s] = step[result[s]];
      result.swap(next);
    }
    for (uint32_t s = 0; s < 65536; ++s) next[s] = step[step[s]];
    step.swap(next);
  }
  return result[0];
}

uint16_t lhaCrc(const std::string& data) {
  uint16_t crc = 0;
  for (unsigned char c : data) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
  }
  return crc;
}

std::string buildLha(const std::vector<LhaMember>& members, bool endMark) {
  std::string out;
  for (const LhaMember& m : members) out += member(m);
  if (endMark) out += '\0';
  return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace test
