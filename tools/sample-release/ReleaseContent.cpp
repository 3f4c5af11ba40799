// The bytes of every release file: programs with version resources, CP932 texts, plug-ins,
// archives and the help merge file.
#include "tools/sample-release/ReleaseContent.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "download/FileTables.h"
#include "tools/pe/PeWriter.h"
#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/HelpPages.h"

namespace sample {

namespace {

std::string crlfText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return toCp932(text);
}

std::string program(int pass, const std::string& name, bool library) {
  const Version v = passVersion(pass);
  tools::pe::PeDescription shape;
  shape.dll = library;
  tools::pe::VersionResource version = tools::pe::VersionResource::of(v.a, v.b, v.c, v.d);
  const std::string restored = withExtension(name, library ? ".DLL" : ".EXE");
  const std::string stem = restored.substr(0, restored.rfind('.'));
  version.strings.insert(version.strings.begin(), {{"CompanyName", "Valtern"},
                                                   {"FileDescription", "Brevan " + stem},
                                                   {"InternalName", stem},
                                                   {"OriginalFilename", restored},
                                                   {"ProductName", "Brevan 電子納品"}});
  shape.version = version;
  // "ret", then some text so that every program differs and compresses like a real one.
  shape.code = std::string(1, '\xC3');
  for (int i = 0; i < 24; ++i) shape.code += "Brevan " + restored + " " + v.text() + "\n";
  return tools::pe::buildPe(shape).bytes;
}

std::string settingsFile(int pass) {
  if (pass == 1) {
    return crlfText({"[PictDesk]", "Version=1.2.9", "[MediaLabelPrintSet]", "SettingNameCount=2",
                     "SettingName1=CD-R 標準", "SettingName2=CD-R 工事写真"});
  }
  return crlfText({"[PictDesk]", "Version=2.5.3", "[MediaLabelPrintSet]", "SettingNameCount=3",
                   "SettingName1=CD-R 標準", "SettingName2=CD-R 工事写真",
                   "SettingName3=DVD-R 標準"});
}

std::string templateText(int pass, const std::string& name) {
  const std::string stem = name.substr(0, name.find('.'));
  const std::string folder = templateFolder(name);
  const std::string edition = pass == 1 ? "1.2.9" : "2.5.3";
  if (stem == "LIST") {
    return crlfText({"; 書類一覧 " + folder + " (" + edition + ")",
                     "1,工事管理ファイル,INDEX_C.XML", "2,図面管理ファイル,DRAWING.XML",
                     "3,写真管理ファイル,PHOTO.XML", "4,打合せ簿管理ファイル,MEET.XML"});
  }
  return crlfText({"; 様式 " + folder + " (" + edition + ")", "[様式]",
                   "工事名=", "発注者=", "受注者=", "工期="});
}

std::string pluginFile(int pass, const std::string& name) {
  const bool form = upperExtension(name) == ".XL_";
  std::string bytes = form ? std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) : "BRVSPI\x1A";
  bytes += toCp932(std::string(form ? "様式 " : "基準プラグイン ") + name + " pass " +
                   std::to_string(pass) + "\r\n");
  for (int i = 0; i < 64; ++i) bytes += static_cast<char>((i * 31 + name.size() * 7 + pass) % 256);
  return bytes;
}

std::vector<Member> corinsMembers(int pass, const std::string& folder) {
  const std::time_t stamp =
      pass == 1 ? japanTime(2004, 6, 1, 9, 0, 0) : japanTime(2025, 12, 1, 9, 30, 0);
  const std::string edition = pass == 1 ? "2004" : "2025";
  std::string data = "CORINS " + folder + " " + edition + "\r\n";
  for (int i = 0; i < 200; ++i) data += "REC" + std::to_string(i) + "," + folder + "\r\n";
  std::vector<Member> members = {
      {folder + "/CORINS.DAT", data, stamp},
      // 表 ends in the byte 0x5C: it must stay part of the name, not split it.
      {folder + "/コード表.TXT",
       crlfText(
           {"コード表 " + folder + " " + edition, "01,国土交通省", "02,農林水産省", "03,都道府県"}),
       stamp},
  };
  if (folder == "corins6.0") {
    members.push_back({folder + "/マスタ/ソート順.TXT",
                       crlfText({"ソート順 " + edition, "1,発注機関", "2,工種"}), stamp});
  }
  return members;
}

std::vector<Member> helpArchiveMembers(int pass) {
  std::vector<Member> members;
  for (const HelpFile& file : helpFiles(pass)) {
    members.push_back({"ヘルプ/" + file.path, file.bytes, file.mtime()});
  }
  return members;
}

ReleaseFile makeFile(int pass, const std::string& name) {
  ReleaseFile file;
  file.name = name;
  const std::string ext = upperExtension(name);
  if (ext == ".LZH") {
    file.archive = true;
    const std::string stem = name.substr(0, name.rfind('.'));
    if (stem == "ヘルプ") {
      file.members = helpArchiveMembers(pass);
    } else if (stem.rfind("CORINS", 0) == 0 && stem.size() == 7) {
      file.members = corinsMembers(pass, "corins" + stem.substr(6) + ".0");
    } else {
      throw std::runtime_error("no content for the archive " + name);
    }
  } else if (ext == ".EX_" || ext == ".DL_") {
    file.content = program(pass, name, ext == ".DL_");
  } else if (name == "PICTDESK.IN_") {
    file.content = settingsFile(pass);
  } else if (name == "MERGEHELP.IN_") {
    file.content = helpMergeText(helpFiles(pass));
  } else if (!templateFolder(name).empty()) {
    file.content = templateText(pass, name);
  } else if (ext == ".SP_" || ext == ".XL_") {
    file.content = pluginFile(pass, name);
  } else {
    throw std::runtime_error("no content for " + name);
  }
  return file;
}

}  // namespace

std::string basePath(int pass) { return pass == 1 ? "brevan/v128" : "brevan/20251299"; }

std::string Version::text() const {
  return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." +
         std::to_string(d);
}

Version passVersion(int pass) { return pass == 1 ? Version{1, 2, 9, 0} : Version{2, 5, 3, 0}; }

std::string upperExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  return ext;
}

std::string withExtension(const std::string& name, const std::string& extension) {
  const size_t dot = name.rfind('.');
  return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

std::string templateFolder(const std::string& name) {
  static const std::map<std::string, std::string> folders = {
      {".4K_", "14年度/KEN"}, {".4N_", "14年度/NOU"},       {".6K_", "16年度/KEN"},
      {".6N_", "16年度/NOU"}, {".JH_", "日本道路公団/KEN"}, {".NK_", "日本高速道路/KEN"},
      {".EZ_", "建築/KEN"},   {".0K_", "20年度/KEN"},       {".1N_", "21年度/NOU"},
      {".KU_", "空港/KEN"},   {".KO_", "港湾/KEN"}};
  const auto it = folders.find(upperExtension(name));
  return it == folders.end() ? std::string() : it->second;
}

std::time_t japanTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return ::timegm(&t) - 9 * 3600;
}

std::vector<ReleaseFile> releaseFiles(int pass) {
  std::vector<std::string> names;
  if (pass == 1) {
    names.assign(std::begin(download::CommonFiles1), std::end(download::CommonFiles1));
    for (const auto& row : download::StandardFiles1) {
      for (std::string_view cell : row) {
        if (!cell.empty()) names.emplace_back(cell);
      }
    }
  } else {
    names.assign(std::begin(download::CommonFiles2), std::end(download::CommonFiles2));
    for (const auto& row : download::StandardFiles2) {
      for (std::string_view cell : row) {
        if (!cell.empty()) names.emplace_back(cell);
      }
    }
  }
  std::vector<ReleaseFile> files;
  std::set<std::string> seen;
  for (const std::string& name : names) {
    if (seen.insert(name).second) files.push_back(makeFile(pass, name));
  }
  return files;
}

}  // namespace sample
