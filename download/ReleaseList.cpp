// The signed list of a release pass: its format, and the checks the program makes with it.
#include "download/ReleaseList.h"

#include <charconv>

namespace download {

namespace {

constexpr std::string_view kMagicLine = "BREVAN RELEASE LIST 1";
constexpr std::string_view kSignatureKey = "signature ";

// Cuts the next "\n"-ended line off the front; nullopt when no line ending is left.
std::optional<std::string_view> nextLine(std::string_view& rest) {
  const size_t end = rest.find('\n');
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end + 1);
  return line;
}

// "key value" with a value of printable ASCII without blanks.
std::optional<std::string_view> wordAfter(std::string_view line, std::string_view key) {
  if (line.substr(0, key.size()) != key) return std::nullopt;
  std::string_view value = line.substr(key.size());
  if (value.empty() || value.size() > 64) return std::nullopt;
  for (char c : value) {
    if (c <= ' ' || c > '~') return std::nullopt;
  }
  return value;
}

// A decimal size without sign or leading zero, within the bound.
std::optional<uint64_t> sizeText(std::string_view text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > kMaxListedFileSize) {
    return std::nullopt;
  }
  return value;
}

// A name as the server knows it: CP932 bytes without control characters.
bool validName(std::string_view name) {
  if (name.empty() || name.size() > 255) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

// "file <size> <hex> <name>" into the list; false on any deviation.
bool addFileLine(std::string_view line, ReleaseList& list) {
  if (line.substr(0, 5) != "file ") return false;
  line.remove_prefix(5);
  const size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return false;
  auto size = sizeText(line.substr(0, blank));
  line.remove_prefix(blank + 1);
  if (!size || line.size() < 66 || line[64] != ' ') return false;
  auto digest = hexBytes(line.substr(0, 64));
  std::string_view name = line.substr(65);
  // Names in ascending byte order: one list has one form, and no name comes twice.
  if (!digest || !validName(name) || list.files.size() >= kMaxListFiles ||
      (!list.files.empty() && list.files.rbegin()->first >= name)) {
    return false;
  }
  ReleaseFile file{*size, {}};
  std::copy(digest->begin(), digest->end(), file.digest.begin());
  list.files.emplace_hint(list.files.end(), std::string(name), file);
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

const char* releaseFaultText(ReleaseFault fault) {
  switch (fault) {
    case ReleaseFault::kNone:
      return "";
    case ReleaseFault::kListMissing:
      return "署名付きの一覧を取得できません。";
    case ReleaseFault::kListMalformed:
      return "署名付きの一覧の形式が正しくありません。";
    case ReleaseFault::kBadSignature:
      return "一覧の署名が正しくありません。";
    case ReleaseFault::kOtherVersion:
      return "一覧のバージョンがこのアップデートと違います。";
    case ReleaseFault::kOtherPass:
      return "一覧の更新フォルダが違います。";
    case ReleaseFault::kNotListed:
      return "一覧にないファイルです。";
    case ReleaseFault::kOtherSize:
      return "ファイルのサイズが一覧と違います。";
    case ReleaseFault::kOtherContent:
      return "ファイルの内容が一覧と違います。";
    case ReleaseFault::kFileUnreadable:
      return "ファイルを読み込めません。";
  }
  return "";
}

std::string hexText(const uint8_t* bytes, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
  }
  return out;
}

std::optional<std::string> hexBytes(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high << 4 | low);
  }
  return out;
}

std::string releaseListBody(const ReleaseList& list) {
  std::string out =
      std::string(kMagicLine) + "\nversion " + list.version + "\npass " + list.pass + "\n";
  for (const auto& [name, file] : list.files) {
    out += "file " + std::to_string(file.size) + " " +
           hexText(file.digest.data(), file.digest.size()) + " " + name + "\n";
  }
  return out;
}

std::string releaseSignatureLine(const platform::ReleaseSignature& signature) {
  return std::string(kSignatureKey) + hexText(signature.data(), signature.size()) + "\n";
}

ReleaseFault checkReleaseList(std::string_view bytes, platform::ReleaseCrypto& crypto,
                              std::string_view version, std::string_view pass, ReleaseList& out) {
  if (bytes.size() > kMaxListBytes) return ReleaseFault::kListMalformed;
  // The signature line is the last line; everything before it is what was signed.
  const size_t last =
      bytes.size() >= 2 ? bytes.rfind('\n', bytes.size() - 2) : std::string_view::npos;
  if (bytes.empty() || bytes.back() != '\n' || last == std::string_view::npos) {
    return ReleaseFault::kListMalformed;
  }
  const std::string_view body = bytes.substr(0, last + 1);
  std::string_view signatureLine = bytes.substr(last + 1, bytes.size() - last - 2);
  if (signatureLine.substr(0, kSignatureKey.size()) != kSignatureKey) {
    return ReleaseFault::kListMalformed;
  }
  auto signatureBytes = hexBytes(signatureLine.substr(kSignatureKey.size()));
  if (!signatureBytes || signatureBytes->size() != 64) return ReleaseFault::kListMalformed;
  platform::ReleaseSignature signature{};
  std::copy(signatureBytes->begin(), signatureBytes->end(), signature.begin());
  // Nothing of an unsigned body is trusted, not even its form.
  if (!crypto.verify(body, signature)) return ReleaseFault::kBadSignature;

  ReleaseList list;
  std::string_view rest = body;
  auto magic = nextLine(rest);
  auto versionLine = nextLine(rest);
  auto passLine = nextLine(rest);
  if (!magic || *magic != kMagicLine || !versionLine || !passLine) {
    return ReleaseFault::kListMalformed;
  }
  auto listedVersion = wordAfter(*versionLine, "version ");
  auto listedPass = wordAfter(*passLine, "pass ");
  if (!listedVersion || !listedPass) return ReleaseFault::kListMalformed;
  list.version = *listedVersion;
  list.pass = *listedPass;
  while (!rest.empty()) {
    auto line = nextLine(rest);
    if (!line || !addFileLine(*line, list)) return ReleaseFault::kListMalformed;
  }
  if (list.version != version) return ReleaseFault::kOtherVersion;
  if (list.pass != pass) return ReleaseFault::kOtherPass;
  out = std::move(list);
  return ReleaseFault::kNone;
}

}  // namespace download
