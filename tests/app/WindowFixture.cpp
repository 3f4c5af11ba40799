// A window test's machine and installation helpers.
#include "tests/app/WindowFixture.h"

#include "tools/pe/PeWriter.h"

namespace test {

void WindowTest::putProgram(const std::string& path, uint16_t a, uint16_t b, uint16_t c,
                            uint16_t d) {
  machine.put(path, tools::pe::programWithVersion(a, b, c, d));
}

void WindowTest::putSettings(const std::string& path, const std::string& proxy,
                             const std::string& port) {
  machine.put("C:\\WINDOWS\\DARADURA.INI",
              machine.services().codec.toCp932("PROXYIP=" + proxy + "\r\nPROXYPORT=" + port +
                                               "\r\nPATH=" + path + "\r\nVER=1.0.0\r\n"));
}

void WindowTest::putRegisteredProgram(const std::string& exename) {
  std::string escaped;
  for (char ch : exename) {
    if (ch == '\\' || ch == '"') escaped += '\\';
    escaped += ch;
  }
  machine.putRegistry(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n\"Exename\"=\"" +
      escaped + "\"\r\n");
}

TMainForm& WindowTest::create() {
  form = std::make_unique<TMainForm>(view, machine.services());
  return *form;
}

std::vector<std::string> WindowTest::texts() const {
  std::vector<std::string> out;
  for (const auto& m : view.messages) out.push_back(m.text);
  return out;
}

}  // namespace test
