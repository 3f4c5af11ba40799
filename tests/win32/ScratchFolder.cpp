// A folder of its own under the temporary folder for one test, removed with its contents after.
#include "tests/win32/ScratchFolder.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/win32/WideText.h"

namespace win32test {
namespace {

using platform::win32::narrow;
using platform::win32::widen;

void removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(child);
      } else {
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static unsigned counter = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring folder = std::wstring(temp) + L"brevan-test-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++);
  if (!::CreateDirectoryW(folder.c_str(), nullptr)) throw std::runtime_error("no scratch folder");
  m_path = narrow(folder);
}

ScratchFolder::~ScratchFolder() { removeTree(widen(m_path)); }

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(widen(path)), std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

unsigned long attributesOf(const std::string& path) {
  return ::GetFileAttributesW(widen(path).c_str());
}

void makeFolder(const std::string& path) { ::CreateDirectoryW(widen(path).c_str(), nullptr); }

std::string programFolder() {
  wchar_t module[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH + 1);
  const std::wstring path(module, length);
  return narrow(path.substr(0, path.find_last_of(L'\\')));
}

}  // namespace win32test
