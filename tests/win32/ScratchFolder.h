// A folder of its own under the temporary folder for one test, removed with its contents after.
#pragma once

#include <string>

namespace win32test {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's full path in UTF-8, without a trailing separator.
  const std::string& path() const { return m_path; }
  // The path of a name inside the folder.
  std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

 private:
  std::string m_path;
};

// Plain file access beside the backends under test, through the wide-character calls.
void writeFile(const std::string& path, const std::string& bytes);
// The file's bytes; "<missing>" when it cannot be opened.
std::string readFile(const std::string& path);
// GetFileAttributesW, or INVALID_FILE_ATTRIBUTES.
unsigned long attributesOf(const std::string& path);
void makeFolder(const std::string& path);
// The folder the test program sits in, where its fixtures are copied.
std::string programFolder();

}  // namespace win32test
