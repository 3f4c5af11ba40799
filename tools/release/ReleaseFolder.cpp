// The signed lists of a release's pass folders: made from the files, written, checked.
#include "tools/release/ReleaseFolder.h"

#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <vector>

#include "download/ReleaseFileJudge.h"
#include "platform/posix/ReleaseCrypto_openssl.h"
#include "tools/sample-release/Cp932.h"

namespace fs = std::filesystem;

namespace release {

namespace {

class StreamReader final : public platform::FileReader {
 public:
  explicit StreamReader(const fs::path& path) : m_in(path, std::ios::binary) {}
  bool isOpen() const { return m_in.is_open(); }
  std::optional<size_t> read(char* buffer, size_t size) override {
    m_in.read(buffer, static_cast<std::streamsize>(size));
    if (m_in.bad()) return std::nullopt;
    return static_cast<size_t>(m_in.gcount());
  }

 private:
  std::ifstream m_in;
};

std::unique_ptr<platform::FileReader> openFile(const fs::path& path) {
  auto reader = std::make_unique<StreamReader>(path);
  if (!reader->isOpen()) return nullptr;
  return reader;
}

// The files of a pass folder by their UTF-8 names on disk.
std::vector<fs::path> folderFiles(const fs::path& folder) {
  std::vector<fs::path> out;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename() != download::kReleaseListName) {
      out.push_back(entry.path());
    }
  }
  return out;
}

}  // namespace

download::ReleaseList listFolder(const fs::path& folder, const std::string& version) {
  download::ReleaseList list;
  list.version = version;
  list.pass = folder.filename().string();
  // No key is needed for the digests.
  platform::posix::OpenSslReleaseCrypto hashing({});
  for (const auto& path : folderFiles(folder)) {
    StreamReader reader(path);
    auto digest = reader.isOpen() ? hashing.digest(reader) : std::nullopt;
    if (!digest) throw std::runtime_error("cannot read " + path.string());
    list.files[sample::toCp932(path.filename().string())] = {fs::file_size(path), *digest};
  }
  return list;
}

std::string signedList(const download::ReleaseList& list, Signer& signer) {
  const std::string body = download::releaseListBody(list);
  return body + download::releaseSignatureLine(signer.sign(body));
}

void signFolder(const fs::path& folder, Signer& signer, const std::string& version) {
  const std::string text = signedList(listFolder(folder, version), signer);
  std::ofstream out(folder / download::kReleaseListName, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write the list in " + folder.string());
}

namespace {

// The program's own check of an arrived file, fed from the folder instead of the network.
download::ReleaseFault checkFile(const download::ReleaseList& list, const std::string& name,
                                 const fs::path& path, platform::ReleaseCrypto& crypto) {
  download::ReleaseFileJudge judge(list, crypto);
  judge.expect(name);
  auto reader = openFile(path);
  if (!reader) return download::ReleaseFault::kFileUnreadable;
  judge.beginBody(path.string());
  std::vector<char> buffer(1 << 16);
  int64_t size = 0;
  for (;;) {
    auto n = reader->read(buffer.data(), buffer.size());
    if (!n) return download::ReleaseFault::kFileUnreadable;
    if (*n == 0) break;
    judge.bodyPiece(std::string_view(buffer.data(), *n));
    size += static_cast<int64_t>(*n);
  }
  try {
    judge.judgeBody(size);
  } catch (const platform::EipwHTTP&) {
    // its reason is the judge's verdict
  }
  return judge.refused();
}

}  // namespace

std::vector<std::string> verifyFolder(const fs::path& folder, platform::ReleaseCrypto& crypto,
                                      const std::string& version) {
  std::ifstream in(folder / download::kReleaseListName, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  download::ReleaseList list;
  const auto listFault = in.is_open() ? download::checkReleaseList(bytes, crypto, version,
                                                                   folder.filename().string(), list)
                                      : download::ReleaseFault::kListMissing;
  if (listFault != download::ReleaseFault::kNone) {
    return {std::string(download::kReleaseListName) + ": " + download::releaseFaultText(listFault)};
  }
  std::vector<std::string> problems;
  std::set<std::string> seen;
  for (const auto& path : folderFiles(folder)) {
    const std::string name = sample::toCp932(path.filename().string());
    seen.insert(name);
    const auto fault = checkFile(list, name, path, crypto);
    if (fault != download::ReleaseFault::kNone) {
      problems.push_back(path.filename().string() + ": " + download::releaseFaultText(fault));
    }
  }
  for (const auto& [name, file] : list.files) {
    if (!seen.count(name)) problems.push_back(name + ": 一覧にあるファイルがありません。");
  }
  return problems;
}

}  // namespace release
