// The steps of each pass's expansion run and where each finds its files in WorkList; checked
// against the download tables when the program is built.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "download/FileTables.h"
#include "install/RestoreExtension.h"

namespace install {

enum class StepKind {
  // Positions first to last, restored to `extension`, into the target folder (or as `target`).
  Copy,
  // Position first: the product's settings file.
  SettingsFile,
  // Positions first and first + 1, the list and the template, restored to `extension`.
  TemplateFolder,
  // Position first: an LHA archive, or in pass (2) the help merge file, into `folder`.
  ArchiveFolder,
  // Positions from first to the end of WorkList: the ticked standards' plug-ins.
  Plugins,
  // Position 0 again: the main program, replaced last.
  MainProgram,
};

struct ExpansionStep {
  // The progress value shown before the step; -1 shows none.
  int stage;
  StepKind kind;
  int first;
  int last;
  std::string_view extension;
  std::string_view folder;
  std::string_view target;
};

namespace steps {

constexpr ExpansionStep copy(int stage, int first, int last, std::string_view extension,
                             std::string_view target = {}) {
  return {stage, StepKind::Copy, first, last, extension, {}, target};
}
constexpr ExpansionStep settingsFile(int stage, int position) {
  return {stage, StepKind::SettingsFile, position, position, ".INI", {}, {}};
}
constexpr ExpansionStep templateFolder(int stage, std::string_view folder, int position,
                                       std::string_view extension) {
  return {stage, StepKind::TemplateFolder, position, position + 1, extension, folder, {}};
}
constexpr ExpansionStep archiveFolder(int stage, std::string_view folder, int position) {
  return {stage, StepKind::ArchiveFolder, position, position, {}, folder, {}};
}
constexpr ExpansionStep plugins(int stage, int first) {
  return {stage, StepKind::Plugins, first, first, {}, {}, {}};
}
constexpr ExpansionStep mainProgram(int stage) {
  return {stage, StepKind::MainProgram, 0, 0, ".EXE", {}, {}};
}

}  // namespace steps

// Pass (1) shows no progress of its own.
inline constexpr auto kPass1Steps = std::to_array<ExpansionStep>({
    steps::copy(-1, 0, 5, ".EXE"),
    steps::copy(-1, 6, 7, ".DLL"),
    steps::settingsFile(-1, 8),
    steps::templateFolder(-1, "Template\\14年度\\KEN", 9, ".4KE"),
    steps::templateFolder(-1, "Template\\14年度\\NOU", 11, ".4NO"),
    steps::templateFolder(-1, "Template\\16年度\\KEN", 13, ".6KE"),
    steps::templateFolder(-1, "Template\\16年度\\NOU", 15, ".6NO"),
    steps::templateFolder(-1, "Template\\日本道路公団\\KEN", 17, ".JH"),
    steps::archiveFolder(-1, "corins0.0", 19),
    steps::archiveFolder(-1, "corins5.0", 20),
    steps::archiveFolder(-1, "corins6.0", 21),
    steps::archiveFolder(-1, "ヘルプ", 22),
    steps::plugins(-1, 23),
    steps::mainProgram(-1),
});

inline constexpr auto kPass2Steps = std::to_array<ExpansionStep>({
    steps::copy(4, 0, 7, ".EXE"),
    // The launcher goes into the installation folder under the main program's name.
    steps::copy(8, 8, 8, ".EXE", "..\\PICTDESK.EXE"),
    steps::copy(12, 9, 10, ".DLL"),
    steps::settingsFile(16, 11),
    steps::templateFolder(20, "Template\\14年度\\KEN", 12, ".4KE"),
    steps::templateFolder(24, "Template\\14年度\\NOU", 14, ".4NO"),
    steps::templateFolder(28, "Template\\16年度\\KEN", 16, ".6KE"),
    steps::templateFolder(32, "Template\\16年度\\NOU", 18, ".6NO"),
    steps::templateFolder(36, "Template\\日本道路公団\\KEN", 20, ".JH"),
    steps::templateFolder(40, "Template\\日本高速道路\\KEN", 22, ".NK"),
    steps::templateFolder(44, "Template\\建築\\KEN", 24, ".EZ"),
    steps::templateFolder(48, "Template\\20年度\\KEN", 26, ".0KE"),
    steps::templateFolder(52, "Template\\21年度\\NOU", 28, ".1NO"),
    steps::templateFolder(56, "Template\\空港\\KEN", 30, ".KUK"),
    steps::templateFolder(60, "Template\\港湾\\KEN", 32, ".KOU"),
    steps::archiveFolder(64, "corins0.0", 34),
    steps::archiveFolder(68, "corins5.0", 35),
    steps::archiveFolder(72, "corins6.0", 36),
    steps::archiveFolder(76, "ヘルプ", 37),
    steps::copy(80, 38, 39, ".EXE"),
    steps::copy(84, 40, 41, ".DLL"),
    steps::plugins(88, 42),
    steps::mainProgram(92),
});

// True when every step finds at its positions the files it expects in the pass's common files,
// the plug-ins start right after them, and each common file is taken by exactly one step.
constexpr bool stepsMatchTable(std::span<const ExpansionStep> run,
                               std::span<const std::string_view> common) {
  const int count = static_cast<int>(common.size());
  std::array<int, 64> uses{};
  if (common.size() > uses.size()) return false;
  auto name = [&](int p) { return p >= 0 && p < count ? common[static_cast<size_t>(p)] : ""; };
  auto startsWith = [&](int p, std::string_view upper) {
    return name(p).size() >= upper.size() &&
           equalsUpperAscii(name(p).substr(0, upper.size()), upper);
  };
  for (const ExpansionStep& step : run) {
    if (step.kind == StepKind::Plugins) {
      if (step.first != count) return false;
      continue;
    }
    if (step.first < 0 || step.last >= count || step.first > step.last) return false;
    for (int p = step.first; p <= step.last; ++p) {
      switch (step.kind) {
        case StepKind::ArchiveFolder: {
          const std::string_view n = name(p);
          const bool archive = n.size() > 4 && equalsUpperAscii(n.substr(n.size() - 4), ".LZH");
          const bool merge = startsWith(p, "MERGEHELP.") && restoredExtension(n) == ".INI";
          if (!archive && !merge) return false;
          break;
        }
        case StepKind::TemplateFolder:
          if (!startsWith(p, p == step.first ? "LIST." : "TEMPLATE.")) return false;
          [[fallthrough]];
        default:
          if (restoredExtension(name(p)) != step.extension) return false;
      }
      // The main program is taken by the first copy step; its replacement comes back to it.
      if (step.kind != StepKind::MainProgram) ++uses[static_cast<size_t>(p)];
    }
  }
  for (int p = 0; p < count; ++p) {
    if (uses[static_cast<size_t>(p)] != 1) return false;
  }
  return true;
}

static_assert(stepsMatchTable(kPass1Steps, download::CommonFiles1),
              "pass (1) steps and CommonFiles1 disagree");
static_assert(stepsMatchTable(kPass2Steps, download::CommonFiles2),
              "pass (2) steps and CommonFiles2 disagree");

}  // namespace install
