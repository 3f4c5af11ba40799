// The sample machine before the update: an old installation with templates, layouts, the
// image viewer, plug-ins (one of them an old backup) and a read-only template.
#include "tools/sample-release/SampleMachine.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tools/pe/PeWriter.h"
#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/ReleaseContent.h"

namespace sample {

namespace fs = std::filesystem;

Ticks allTicked() {
  Ticks ticks;
  ticks.fill(true);
  return ticks;
}

namespace {

std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return toCp932(text);
}

std::string oldProgram(const std::string& name, bool library) {
  tools::pe::PeDescription shape;
  shape.dll = library;
  shape.version = tools::pe::VersionResource::of(1, 0, 0, 0);
  shape.version->strings.push_back({"OriginalFilename", name});
  shape.code = std::string(1, '\xC3') + "Brevan " + name + " 1.0.0.0";
  return tools::pe::buildPe(shape).bytes;
}

std::string windowsPath(const std::string& folder) {
  std::string path = "C:\\" + folder + "\\";
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

}  // namespace

Tree sampleDriveC(const std::string& proxyHost, uint16_t proxyPort) {
  // Every file of the old installation carries the same time stamp; moves and copies keep it.
  const std::time_t stamp = japanTime(2004, 4, 1, 9, 0, 0);
  const std::string i = std::string(kInstallFolder) + "/";
  Tree t;
  t.put(kSettingsFile,
        crlf({"PROXYIP=" + proxyHost, "PROXYPORT=" + std::to_string(proxyPort),
              "PATH=" + windowsPath(kInstallFolder), "VER=1.0.0"}),
        stamp);
  t.addFolder("TEMP");
  t.put(i + "pictdesk.exe", oldProgram("pictdesk.exe", false), stamp);
  t.put(i + "StepDlg.exe", oldProgram("StepDlg.exe", false), stamp);
  t.put(i + "BrvCadX.exe", oldProgram("BrvCadX.exe", false), stamp);
  t.put(i + "CoreApi.dll", oldProgram("CoreApi.dll", true), stamp);
  t.put(i + "BVUNINST.EXE", oldProgram("BVUNINST.EXE", false), stamp);
  t.put(i + "KQVIEWER.INI", crlf({"[Viewer]", "Zoom=100", "Fit=1"}), stamp);
  // The settings file of a format before 1.2.9: no MediaLabelPrintSet, so both passes replace it.
  t.put(i + "PICTDESK.INI", crlf({"[PictDesk]", "Version=1.0.0", "[Window]", "Left=100"}), stamp);
  t.put(i + "Install.ini",
        crlf({"[PULUGINLIST]", std::string(kStandardNames[0]) + "=1",
              std::string(kStandardNames[1]) + "=1", std::string(kStandardNames[2]) + "=1"}),
        stamp);
  t.put(i + "Template/14年度/KEN/LIST.TXT", crlf({"; 書類一覧 14年度/KEN (1.0.0)"}), stamp);
  t.findFile(i + "Template/14年度/KEN/LIST.TXT")->readOnly = true;
  t.put(i + "Template/14年度/KEN/TEMPLATE.TXT", crlf({"; 様式 14年度/KEN (1.0.0)"}), stamp);
  t.put(i + "Template/自社様式/LIST.TXT", crlf({"; 書類一覧 自社様式", "1,社内検査記録,CHECK.XML"}),
        stamp);
  t.put(i + "Layout/A4縦.LAY", crlf({"[Layout]", "Paper=A4", "Orientation=Portrait"}), stamp);
  t.put(i + "Layout/A3横.LAY", crlf({"[Layout]", "Paper=A3", "Orientation=Landscape"}), stamp);
  t.put(i + "FASTGLASS/FASTGLASSI.OCX", oldProgram("FASTGLASSI.OCX", true), stamp);
  t.put(i + "FASTGLASS/FGVIEW.DLL", oldProgram("FGVIEW.DLL", true), stamp);
  t.put(i + "Plugin/MLIT200104.SPI", "BRVSPI\x1aMLIT200104 1.0.0", stamp);
  t.put(i + "Plugin/KANTO199904.SPI", "BRVSPI\x1aKANTO199904 1.0.0", stamp);
  t.put(i + "Plugin/FORMKANTO199904.DOC", "DOC KANTO199904 1.0.0", stamp);
  t.put(i + "Plugin/MLIT199904.BAK", "BRVSPI\x1aMLIT199904 0.9.0", stamp);
  t.put(i + "corins0.0/CORINS.DAT", "CORINS corins0.0 2002\r\n", stamp);
  t.put(i + "corins0.0/LOCAL.DAT", "CORINS local records\r\n", stamp);
  t.put(i + "ヘルプ/index.htm", crlf({"<html><body>Brevan 1.0.0</body></html>"}), stamp);
  return t;
}

void writeSampleMachine(const std::string& prefix, const std::string& proxyHost,
                        uint16_t proxyPort) {
  const fs::path driveC = fs::path(prefix) / "drive_c";
  if (fs::exists(driveC)) throw std::runtime_error(driveC.string() + " already exists");
  const Tree tree = sampleDriveC(proxyHost, proxyPort);
  for (const auto& [path, readOnly] : tree.folders) fs::create_directories(driveC / path);
  for (const auto& [path, file] : tree.files) {
    const fs::path native = driveC / path;
    std::ofstream out(native, std::ios::binary);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + native.string());
    if (file.mtime) {
      const timespec times[2] = {{*file.mtime, 0}, {*file.mtime, 0}};
      if (::utimensat(AT_FDCWD, native.c_str(), times, 0) != 0) {
        throw std::runtime_error("cannot set the time of " + native.string());
      }
    }
    if (file.readOnly) fs::permissions(native, fs::perms::owner_write, fs::perm_options::remove);
  }
  // The registry names the installed program, as the product's installer leaves it.
  std::string exename = windowsPath(kInstallFolder) + "pictdesk.exe";
  std::string escaped;
  for (const char c : exename) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  std::ofstream registry(fs::path(prefix) / "registry.reg", std::ios::binary);
  registry << "Windows Registry Editor Version 5.00\r\n\r\n"
           << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n"
           << "\"Exename\"=\"" << escaped << "\"\r\n";
  registry.close();
  if (!registry) throw std::runtime_error("cannot write the registry of " + prefix);
}

}  // namespace sample
