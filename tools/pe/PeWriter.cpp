// Small but well-formed Windows PE files (PE32 or PE32+) with a version resource.
#include "tools/pe/PeWriter.h"

#include <string_view>

namespace tools::pe {
namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPeOffset = 0x80;
constexpr uint32_t kTextRva = 0x1000;

uint32_t alignUp(uint32_t n, uint32_t to) { return (n + to - 1) / to * to; }
uint32_t alignUp(size_t n, uint32_t to) { return alignUp(static_cast<uint32_t>(n), to); }

void put16(std::string& out, uint32_t n) {
  out += static_cast<char>(n & 0xFF);
  out += static_cast<char>((n >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t n) {
  put16(out, n & 0xFFFF);
  put16(out, n >> 16);
}
void put64(std::string& out, uint64_t n) {
  put32(out, static_cast<uint32_t>(n));
  put32(out, static_cast<uint32_t>(n >> 32));
}
void padTo(std::string& out, size_t size) {
  if (out.size() < size) out.append(size - out.size(), '\0');
}
void align4(std::string& out) { padTo(out, (out.size() + 3) & ~size_t{3}); }

// UTF-8 to UTF-16LE, with its terminating NUL.
std::string utf16z(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = b;
    size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (b >= 0x80) cp = b & (0x3F >> extra);
    ++i;
    for (; extra > 0 && i < utf8.size(); --extra, ++i) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    if (cp >= 0x10000) {
      put16(out, 0xD800 | ((cp - 0x10000) >> 10));
      put16(out, 0xDC00 | ((cp - 0x10000) & 0x3FF));
    } else {
      put16(out, cp);
    }
  }
  put16(out, 0);
  return out;
}

// One node of a version resource: length, value length, type, key, value, children, each part
// starting on a 32-bit boundary.
std::string versionNode(std::string_view key, const std::string& value, uint32_t valueLength,
                        uint32_t type, const std::vector<std::string>& children) {
  std::string node(6, '\0');
  node += utf16z(key);
  align4(node);
  node += value;
  for (const std::string& child : children) {
    align4(node);
    node += child;
  }
  node[0] = static_cast<char>(node.size() & 0xFF);
  node[1] = static_cast<char>((node.size() >> 8) & 0xFF);
  node[2] = static_cast<char>(valueLength & 0xFF);
  node[3] = static_cast<char>((valueLength >> 8) & 0xFF);
  node[4] = static_cast<char>(type);
  return node;
}

std::string hex4(uint32_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(n >> shift) & 0xF];
  return out;
}

// VS_VERSIONINFO; the offset of VS_FIXEDFILEINFO inside it is 40.
std::string versionInfo(const VersionResource& v, bool dll) {
  std::string fixed;
  for (uint32_t n : {0xFEEF04BDu, 0x00010000u, v.fileVersionMS, v.fileVersionLS, v.productVersionMS,
                     v.productVersionLS, 0x3Fu, 0u, 0x00040004u, dll ? 2u : 1u, 0u, 0u, 0u}) {
    put32(fixed, n);
  }
  std::vector<std::string> strings;
  for (const auto& [name, text] : v.strings) {
    const std::string value = utf16z(text);
    strings.push_back(versionNode(name, value, static_cast<uint32_t>(value.size() / 2), 1, {}));
  }
  const std::string table = versionNode(hex4(v.language) + hex4(v.codePage), {}, 0, 1, strings);
  std::string translation;
  put16(translation, v.language);
  put16(translation, v.codePage);
  const std::string var = versionNode("Translation", translation, 4, 0, {});
  return versionNode("VS_VERSION_INFO", fixed, 52, 0,
                     {versionNode("StringFileInfo", {}, 0, 1, {table}),
                      versionNode("VarFileInfo", {}, 0, 1, {var})});
}

// A resource directory with one entry (ID `id`) pointing at `target` inside the tree.
void resourceDirectory(std::string& out, uint32_t id, uint32_t target) {
  put32(out, 0);  // characteristics
  put32(out, 0);  // time stamp
  put32(out, 0);  // major and minor version
  put16(out, 0);  // named entries
  put16(out, 1);  // ID entries
  put32(out, id);
  put32(out, target);
}

}  // namespace

VersionResource VersionResource::of(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  VersionResource v;
  v.fileVersionMS = v.productVersionMS = static_cast<uint32_t>(a) << 16 | b;
  v.fileVersionLS = v.productVersionLS = static_cast<uint32_t>(c) << 16 | d;
  const std::string text = std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) +
                           "." + std::to_string(d);
  v.strings = {{"FileVersion", text}, {"ProductVersion", text}};
  return v;
}

PeImage buildPe(const PeDescription& shape) {
  PeImage image;
  PeLayout& at = image.layout;
  std::string& out = image.bytes;

  // The resource section: type 16 -> name 1 -> language -> data entry -> VS_VERSIONINFO.
  const uint32_t rsrcRva =
      kTextRva + alignUp(shape.code.size() == 0 ? 1 : shape.code.size(), kSectionAlignment);
  std::string rsrc;
  size_t dataEntryInRsrc = 0;
  if (shape.version) {
    resourceDirectory(rsrc, 16, 0x80000000u | 0x18);
    resourceDirectory(rsrc, 1, 0x80000000u | 0x30);
    resourceDirectory(rsrc, shape.version->language, 0x48);
    dataEntryInRsrc = rsrc.size();
    const std::string block = versionInfo(*shape.version, shape.dll);
    put32(rsrc, rsrcRva + 0x58);
    put32(rsrc, static_cast<uint32_t>(block.size()));
    put32(rsrc, 0);  // code page
    put32(rsrc, 0);  // reserved
    rsrc += block;
  }
  const bool hasRsrc = !rsrc.empty();
  const uint16_t sectionCount = hasRsrc ? 2 : 1;
  const uint32_t textRaw = alignUp(shape.code.size(), kFileAlignment);
  const uint32_t rsrcRaw = alignUp(rsrc.size(), kFileAlignment);
  const uint32_t imageSize = hasRsrc ? rsrcRva + alignUp(rsrc.size(), kSectionAlignment) : rsrcRva;

  // DOS header and stub.
  out = "MZ";
  padTo(out, 0x3C);
  put32(out, kPeOffset);
  out += std::string("\x0E\x1F\xBA\x0E\x00\xB4\x09\xCD\x21\xB8\x01\x4C\xCD\x21", 14);
  out += "This program cannot be run in DOS mode.\r\r\n$";
  padTo(out, kPeOffset);

  // COFF header.
  at.peSignature = out.size();
  out += std::string("PE\0\0", 4);
  put16(out, shape.pe32Plus ? 0x8664 : 0x014C);
  put16(out, sectionCount);
  put32(out, 0);  // time stamp
  put32(out, 0);  // symbol table
  put32(out, 0);  // symbols
  put16(out, shape.pe32Plus ? 240 : 224);
  uint32_t characteristics = shape.pe32Plus ? 0x0022 : 0x0102;
  if (shape.dll) characteristics |= 0x2000;
  put16(out, characteristics);

  // Optional header.
  at.optionalHeader = out.size();
  put16(out, shape.pe32Plus ? 0x20B : 0x10B);
  put16(out, 14);  // linker version
  put32(out, textRaw);
  put32(out, rsrcRaw);
  put32(out, 0);
  put32(out, kTextRva);  // entry point
  put32(out, kTextRva);  // base of code
  if (shape.pe32Plus) {
    put64(out, 0x140000000ull);
  } else {
    put32(out, rsrcRva);  // base of data
    put32(out, 0x400000);
  }
  put32(out, kSectionAlignment);
  put32(out, kFileAlignment);
  for (uint32_t v : {6u, 0u, 0u, 0u}) put16(out, v);  // OS 6.0, image 0.0
  put16(out, 6);                                      // subsystem version 6.0
  put16(out, 0);
  put32(out, 0);  // Win32 version value
  put32(out, imageSize);
  put32(out, kFileAlignment);  // size of headers
  put32(out, 0);               // checksum
  put16(out, 2);               // Windows GUI
  put16(out, 0x8100);          // NX compatible, terminal-server aware
  for (uint64_t v : {0x100000ull, 0x1000ull, 0x100000ull, 0x1000ull}) {
    shape.pe32Plus ? put64(out, v) : put32(out, static_cast<uint32_t>(v));
  }
  put32(out, 0);   // loader flags
  put32(out, 16);  // data directories
  at.dataDirectories = out.size();
  for (uint32_t i = 0; i < 16; ++i) {
    put32(out, i == 2 && hasRsrc ? rsrcRva : 0);
    put32(out, i == 2 && hasRsrc ? static_cast<uint32_t>(rsrc.size()) : 0);
  }

  // Section table.
  at.sectionTable = out.size();
  auto section = [&](std::string_view name, uint32_t virtualSize, uint32_t rva, uint32_t raw,
                     uint32_t rawPointer, uint32_t flags) {
    std::string padded(name);
    padded.resize(8, '\0');
    out += padded;
    for (uint32_t v : {virtualSize, rva, raw, rawPointer, 0u, 0u}) put32(out, v);
    put32(out, 0);  // relocation and line-number counts
    put32(out, flags);
  };
  section(".text", static_cast<uint32_t>(shape.code.size()), kTextRva, textRaw, kFileAlignment,
          0x60000020);
  if (hasRsrc) {
    section(".rsrc", static_cast<uint32_t>(rsrc.size()), rsrcRva, rsrcRaw, kFileAlignment + textRaw,
            0x40000040);
  }
  padTo(out, kFileAlignment);

  out += shape.code;
  padTo(out, kFileAlignment + textRaw);
  if (hasRsrc) {
    at.resourceDirectory = out.size();
    at.resourceDataEntry = at.resourceDirectory + dataEntryInRsrc;
    at.versionBlock = at.resourceDirectory + 0x58;
    at.fixedFileInfo = at.versionBlock + 40;
    out += rsrc;
    padTo(out, kFileAlignment + textRaw + rsrcRaw);
  }
  return image;
}

std::string programWithVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  PeDescription shape;
  shape.version = VersionResource::of(a, b, c, d);
  return buildPe(shape).bytes;
}

}  // namespace tools::pe
