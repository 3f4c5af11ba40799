// A machine folder of its own for one test, removed afterwards; TZ pinned to Asia/Tokyo.
#include "tests/doubles/TempMachine.h"

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace test {
namespace {

// The folder of the running test program: its own libraries are looked for there first.
std::string programFolder() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

std::string makeTemporaryFolder() {
  std::string pattern = "/tmp/brevan-machine-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void writeNative(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace

TempMachine::TempMachine(platform::MessagePump& pump) : m_prefix(makeTemporaryFolder()) {
  ::setenv("TZ", "Asia/Tokyo", 1);
  ::tzset();
  m_machine = std::make_unique<platform::posix::PosixMachine>(m_prefix, programFolder(), pump);
  platform::Services& real = m_machine->services();
  m_services = std::make_unique<platform::Services>(platform::Services{
      real.files, real.registry, real.folders, real.profiles, real.codec, real.versions, clock,
      real.lastError, real.shell, real.processes, real.lz, real.makeHttp});
}

TempMachine::~TempMachine() {
  m_services.reset();
  m_machine.reset();
  // Read-only folders would keep their entries from a user other than root.
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(m_prefix, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(m_prefix, error);
}

std::string TempMachine::native(const std::string& windowsPath) const {
  auto native = m_machine->machine().nativePath(windowsPath);
  if (!native) throw std::runtime_error("not on the machine: " + windowsPath);
  return *native;
}

void TempMachine::put(const std::string& windowsPath, const std::string& bytes) const {
  writeNative(native(windowsPath), bytes);
}

std::string TempMachine::get(const std::string& windowsPath) const {
  std::ifstream in(native(windowsPath), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool TempMachine::has(const std::string& windowsPath) const {
  std::error_code error;
  return fs::exists(native(windowsPath), error);
}

void TempMachine::setReadOnly(const std::string& windowsPath, bool readOnly) const {
  fs::permissions(native(windowsPath), fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

void TempMachine::putRegistry(const std::string& text) const {
  writeNative(m_prefix + "/registry.reg", text);
}

}  // namespace test
