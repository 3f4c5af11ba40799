// The real registry, in the 32-bit view where the 32-bit product keeps its key.
#include "platform/win32/Registry_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

constexpr REGSAM kView = KEY_WOW64_32KEY;

HKEY rootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool validName(const std::string& name) { return name.find('\0') == std::string::npos; }

// An open key closed when it goes out of scope.
class Key {
 public:
  ~Key() {
    if (m_key != nullptr) ::RegCloseKey(m_key);
  }
  HKEY* out() { return &m_key; }
  HKEY get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace

Win32Registry::Win32Registry(LastError& lastError) : m_lastError(lastError) {}

bool Win32Registry::keyExists(RegistryRoot root, const std::string& key) {
  if (key.empty() || !validName(key)) {
    (void)fail(ERROR_INVALID_PARAMETER);
    return false;
  }
  Key opened;
  const LSTATUS result =
      ::RegOpenKeyExW(rootKey(root), widen(key).c_str(), 0, KEY_READ | kView, opened.out());
  if (result != ERROR_SUCCESS) (void)fail(result);
  return result == ERROR_SUCCESS;
}

std::optional<std::string> Win32Registry::readString(RegistryRoot root, const std::string& key,
                                                     const std::string& name) {
  if (key.empty() || !validName(key) || !validName(name)) {
    (void)fail(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  Key opened;
  LSTATUS result =
      ::RegOpenKeyExW(rootKey(root), widen(key).c_str(), 0, KEY_QUERY_VALUE | kView, opened.out());
  const std::wstring valueName = widen(name);
  DWORD type = 0;
  DWORD size = 0;
  if (result == ERROR_SUCCESS) {
    result = ::RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
  }
  std::vector<wchar_t> data;
  // The value may grow between the two calls; ask again until it fits.
  while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      (void)fail(ERROR_INVALID_DATA);
      return std::nullopt;
    }
    data.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    result = ::RegQueryValueExW(opened.get(), valueName.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &size);
    if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      std::wstring_view text(data.data(), size / sizeof(wchar_t));
      // The stored text ends at its first NUL, as the system's string reads have it.
      const size_t end = text.find(L'\0');
      return narrow(text.substr(0, end));
    }
  }
  (void)fail(result);
  return std::nullopt;
}

Status Win32Registry::writeValue(RegistryRoot root, const std::string& key, const std::string& name,
                                 unsigned long type, const void* data, size_t size) {
  if (key.empty() || !validName(key) || !validName(name)) return fail(ERROR_INVALID_PARAMETER);
  Key opened;
  LSTATUS result =
      ::RegOpenKeyExW(rootKey(root), widen(key).c_str(), 0, KEY_SET_VALUE | kView, opened.out());
  if (result == ERROR_SUCCESS) {
    result = ::RegSetValueExW(opened.get(), widen(name).c_str(), 0, type,
                              static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  }
  return result == ERROR_SUCCESS ? Status::success() : fail(result);
}

Status Win32Registry::writeString(RegistryRoot root, const std::string& key,
                                  const std::string& name, const std::string& value) {
  const std::wstring text = widen(value);
  return writeValue(root, key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

Status Win32Registry::writeBinary(RegistryRoot root, const std::string& key,
                                  const std::string& name, const std::string& bytes) {
  return writeValue(root, key, name, REG_BINARY, bytes.data(), bytes.size());
}

Status Win32Registry::createKey(RegistryRoot root, const std::string& key) {
  if (key.empty() || !validName(key)) return fail(ERROR_INVALID_PARAMETER);
  Key created;
  const LSTATUS result =
      ::RegCreateKeyExW(rootKey(root), widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_CREATE_SUB_KEY | kView, nullptr, created.out(), nullptr);
  return result == ERROR_SUCCESS ? Status::success() : fail(result);
}

}  // namespace platform::win32
