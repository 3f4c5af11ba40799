// The built libunlha32.so loaded as the program loads it, and a machine folder for each test.
#include "tests/unlha32/UnlhaFixture.h"

#include <dlfcn.h>
#include <iconv.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace test {
namespace {

std::string convert(const char* to, const char* from, const std::string& text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string in = text;
  std::string out(in.size() * 4 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size();
  size_t dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) throw std::runtime_error("not convertible: " + text);
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

std::string toCp932(const std::string& utf8) { return convert("CP932", "UTF-8", utf8); }
std::string fromCp932(const std::string& cp932) { return convert("UTF-8", "CP932", cp932); }

const UnlhaLibrary& UnlhaLibrary::get() {
  static const UnlhaLibrary library = [] {
    void* handle = dlopen(UNLHA32_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error(dlerror());
    UnlhaLibrary l;
    l.unlha = reinterpret_cast<decltype(l.unlha)>(dlsym(handle, "Unlha"));
    l.getVersion = reinterpret_cast<decltype(l.getVersion)>(dlsym(handle, "UnlhaGetVersion"));
    l.checkArchive = reinterpret_cast<decltype(l.checkArchive)>(dlsym(handle, "UnlhaCheckArchive"));
    return l;
  }();
  return library;
}

void UnlhaTest::SetUp() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/unlha32-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  root = pattern;
  prefix = root + "/machine";
  fs::create_directories(prefix + "/drive_c");
  setenv("BREVAN_PREFIX", prefix.c_str(), 1);
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
}

void UnlhaTest::TearDown() {
  // Read-only folders made by a test must not stop the clean-up.
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::end(it); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
  }
  fs::remove_all(root, ec);
  unsetenv("BREVAN_PREFIX");
}

std::string UnlhaTest::native(const std::string& windowsPath) const {
  std::string path = prefix + "/drive_c";
  for (char c : windowsPath.substr(2)) path += (c == '\\') ? '/' : c;
  return path;
}

UnlhaTest::Result UnlhaTest::extract(const std::string& archive, const std::string& destination,
                                     unsigned outputSize) {
  return command("e -jyc -jyo \"" + archive + "\" -d1 -c1 \"" + destination + "\\\"", outputSize);
}

UnlhaTest::Result UnlhaTest::command(const std::string& line, unsigned outputSize) {
  std::string buffer(outputSize + 16, '#');
  Result result;
  result.code =
      UnlhaLibrary::get().unlha(nullptr, toCp932(line).c_str(), buffer.data(), outputSize);
  EXPECT_EQ(buffer.substr(outputSize), std::string(16, '#')) << "wrote past the output size";
  if (outputSize > 0) {
    EXPECT_NE(buffer.find('\0'), std::string::npos);
    if (buffer.find('\0') < outputSize) result.output = fromCp932(buffer.c_str());
  } else {
    EXPECT_EQ(buffer, std::string(16, '#')) << "wrote with size 0";
  }
  return result;
}

std::set<std::string> UnlhaTest::tree(const std::string& nativeFolder) {
  std::set<std::string> entries;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(nativeFolder, ec); it != fs::end(it);
       it.increment(ec)) {
    entries.insert(it->path().lexically_relative(nativeFolder).string());
  }
  return entries;
}

}  // namespace test
