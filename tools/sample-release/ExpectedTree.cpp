// The tree a complete update leaves on the sample machine, worked out step by step as the
// program takes them: read-only cleared, first-run restructuring, pass 1 into OLD_BIN, pass 2
// into NEW_BIN, the plug-in list saved at close.
#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "download/FileTables.h"
#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/HelpPages.h"
#include "tools/sample-release/ReleaseContent.h"
#include "tools/sample-release/SampleMachine.h"

namespace sample {

namespace {

const std::string kRoot = std::string(kInstallFolder) + "/";

std::map<std::string, ReleaseFile> releaseByName(int pass) {
  std::map<std::string, ReleaseFile> files;
  for (ReleaseFile& f : releaseFiles(pass)) files.emplace(f.name, std::move(f));
  return files;
}

// The direct entries of a folder, as stored.
std::vector<std::string> entriesOf(const Tree& t, const std::string& folder) {
  std::set<std::string> names;
  auto take = [&](const std::string& path) {
    if (path.size() > folder.size() + 1 && path.compare(0, folder.size() + 1, folder + "/") == 0) {
      const std::string rest = path.substr(folder.size() + 1);
      names.insert(rest.substr(0, rest.find('/')));
    }
  };
  for (const auto& [path, ro] : t.folders) take(path);
  for (const auto& [path, file] : t.files) take(path);
  return {names.begin(), names.end()};
}

void copyFile(Tree& t, const std::string& from, const std::string& to) {
  if (const TreeFile* f = t.findFile(from)) {
    const TreeFile copy = *f;
    t.put(to, copy.bytes, copy.mtime);
  }
}

void restructure(Tree& t) {
  for (auto& [path, file] : t.files) {
    if (path.rfind(kRoot, 0) == 0) file.readOnly = false;
  }
  const std::string root = kRoot.substr(0, kRoot.size() - 1);
  for (const std::string& name : entriesOf(t, root))
    t.move(kRoot + name, kRoot + "OLD_BIN/" + name);
  t.addFolder(kRoot + "NEW_BIN/FASTGLASS");
  const std::string oldViewer = *t.storedPath(kRoot + "OLD_BIN/FASTGLASS");
  for (const std::string& name : entriesOf(t, oldViewer)) {
    t.move(oldViewer + "/" + name, kRoot + "NEW_BIN/FASTGLASS/" + name);
  }
  t.addFolder(kRoot + "NEW_BIN/Plugin");
  t.addFolder(kRoot + "NEW_BIN/template");
  t.addFolder(kRoot + "NEW_BIN/Layout");
  t.copyContents(kRoot + "OLD_BIN/Template", kRoot + "NEW_BIN/template");
  t.copyContents(kRoot + "OLD_BIN/Layout", kRoot + "NEW_BIN/Layout");
  for (const char* name : {"BVUNINST.EXE", "KQVIEWER.INI", "PICTDESK.INI"}) {
    copyFile(t, kRoot + "OLD_BIN/" + name, kRoot + "New_BIN/" + name);
  }
}

// The old plug-ins set aside: old backups deleted, plug-ins and forms renamed to ".BAK".
void setPluginsAside(Tree& t, const std::string& folder) {
  const auto stored = t.storedPath(folder);
  if (!stored) return;
  std::vector<std::string> files;
  for (const auto& [path, file] : t.files) {
    if (path.rfind(*stored + "/", 0) == 0 &&
        path.find('/', stored->size() + 1) == std::string::npos) {
      files.push_back(path);
    }
  }
  for (const std::string& path : files) {
    if (upperExtension(path) == ".BAK") t.erase(path);
  }
  for (const std::string& path : files) {
    const std::string ext = upperExtension(path);
    if (ext == ".SPI" || ext == ".DOC" || ext == ".XLS") t.move(path, withExtension(path, ".BAK"));
  }
}

bool hasCurrentSettingsFormat(const std::string& bytes) {
  // The sample's own settings files either carry the key in that section or lack the section.
  return bytes.find("[MediaLabelPrintSet]") != std::string::npos &&
         bytes.find("SettingNameCount=") != std::string::npos;
}

void installPass(Tree& t, int pass, const Ticks& ticks) {
  const std::string target = pass == 1 ? kRoot + "OLD_BIN/" : kRoot + "New_BIN/";
  const std::string work = pass == 1 ? "TEMP/BrvOldUp/" : "TEMP/BrvNewUp/";
  const std::vector<std::string> list = workList(pass, ticks);
  const auto release = releaseByName(pass);
  const size_t common = pass == 1 ? 23 : 42;
  auto content = [&](size_t p) -> const std::string& { return release.at(list[p]).content; };
  for (size_t p = 0; p < common; ++p) {
    const std::string& name = list[p];
    const std::string ext = upperExtension(name);
    if (ext == ".EX_" || ext == ".DL_") {
      const std::string restored = withExtension(name, ext == ".EX_" ? ".EXE" : ".DLL");
      if (name == "DeskRun.Ex_") {
        t.put(kRoot + "PICTDESK.EXE", content(p));
      } else {
        t.put(target + restored, content(p));
      }
    } else if (name == "PICTDESK.IN_") {
      const TreeFile* installed = t.findFile(target + "PICTDESK.INI");
      if (!installed || !hasCurrentSettingsFormat(installed->bytes)) {
        t.put(target + "PICTDESK.INI", content(p));
      }
    } else if (!templateFolder(name).empty()) {
      t.put(target + "Template/" + templateFolder(name) + "/" + withExtension(name, ".TXT"),
            content(p));
    } else if (release.at(name).archive) {
      for (const Member& m : release.at(name).members) t.put(target + m.path, m.bytes, m.mtime);
    } else if (name == "MERGEHELP.IN_") {
      for (const HelpFile& f : helpFiles(pass)) {
        t.put(target + "ヘルプ/" + f.path, f.bytes, f.mtime());
      }
    }
  }
  // Folders the steps create even when they end up empty.
  t.addFolder(target + "plugin");
  setPluginsAside(t, target + "plugin");
  for (size_t p = common; p < list.size(); ++p) {
    const std::string ext = upperExtension(list[p]);
    const std::string restored = withExtension(list[p], ext == ".XL_"   ? ".XLS"
                                                        : ext == ".DO_" ? ".DOC"
                                                                        : ".SPI");
    t.put(target + "plugin/" + restored, content(p));
  }
  // The main program is backed up into the work folder, deleted and copied in once more.
  const std::string mainProgram = withExtension(list[0], ".EXE");
  const TreeFile installed = *t.findFile(target + mainProgram);
  t.put(work + withExtension(list[0], ".OLD"), installed.bytes);
  t.erase(target + mainProgram);
  t.put(target + mainProgram, content(0));
}

}  // namespace

std::vector<std::string> workList(int pass, const Ticks& ticks) {
  std::vector<std::string> names;
  auto addRow = [&](std::span<const std::string_view> row) {
    for (std::string_view name : row) {
      if (!name.empty()) names.emplace_back(name);
    }
  };
  if (pass == 1) {
    names.assign(std::begin(download::CommonFiles1), std::end(download::CommonFiles1));
    for (size_t i = 0; i < ticks.size(); ++i) {
      if (ticks[i]) addRow(download::StandardFiles1[i]);
    }
  } else {
    names.assign(std::begin(download::CommonFiles2), std::end(download::CommonFiles2));
    for (size_t i = 0; i < ticks.size(); ++i) {
      if (ticks[i]) addRow(download::StandardFiles2[i]);
    }
  }
  return names;
}

std::string pluginListText(const Ticks& ticks) {
  std::vector<std::string> lines = {"[PULUGINLIST]"};
  for (size_t i = 0; i < ticks.size(); ++i) {
    lines.push_back(std::string(kStandardNames[i]) + "=" + (ticks[i] ? "1" : "0"));
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return toCp932(text);
}

Tree expectedDriveC(const Ticks& ticks, const std::string& proxyHost, uint16_t proxyPort) {
  Tree t = sampleDriveC(proxyHost, proxyPort);
  t.addFolder("TEMP/BrvOldUp");
  t.addFolder("TEMP/BrvNewUp");
  restructure(t);
  installPass(t, 1, ticks);
  installPass(t, 2, ticks);
  // Closing saves the ticks beside the last pass's target and copies them to the installation.
  t.put(kRoot + "New_BIN/Install.ini", pluginListText(ticks));
  t.put(kRoot + "Install.ini", pluginListText(ticks));
  return t;
}

Tree expectedDriveCAfterPass2Failure(const Ticks& ticks, const std::string& proxyHost,
                                     uint16_t proxyPort) {
  Tree t = sampleDriveC(proxyHost, proxyPort);
  t.addFolder("TEMP/BrvOldUp");
  t.addFolder("TEMP/BrvNewUp");
  restructure(t);
  installPass(t, 1, ticks);
  t.put(kRoot + "New_BIN/Install.ini", pluginListText(ticks));
  t.put(kRoot + "Install.ini", pluginListText(ticks));
  return t;
}

}  // namespace sample
