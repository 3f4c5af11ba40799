// A machine folder of its own for one platform test.
#include "tests/platform/ScratchMachine.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace test {

ScratchFolder::ScratchFolder() {
  ::setenv("TZ", "Asia/Tokyo", 1);
  ::tzset();
  std::string pattern = "/tmp/brevan-platform-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
  // Read-only folders would keep their entries from a user other than root.
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(m_path, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(m_path, error);
}

ScratchMachine::ScratchMachine() : machine(scratch.path()), files(machine, lastError) {
  mkdirs("drive_c");
}

void ScratchMachine::put(const std::string& relative, const std::string& bytes) const {
  fs::create_directories(fs::path(native(relative)).parent_path());
  std::ofstream out(native(relative), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ScratchMachine::get(const std::string& relative) const {
  std::ifstream in(native(relative), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ScratchMachine::has(const std::string& relative) const {
  struct stat st {};
  return ::lstat(native(relative).c_str(), &st) == 0;
}

void ScratchMachine::mkdirs(const std::string& relative) const {
  fs::create_directories(native(relative));
}

void ScratchMachine::setReadOnly(const std::string& relative, bool readOnly) const {
  fs::permissions(native(relative), fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

bool ScratchMachine::readOnly(const std::string& relative) const {
  struct stat st {};
  return ::stat(native(relative).c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

}  // namespace test
