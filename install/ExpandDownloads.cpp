// ExpandDownloads: every downloaded file expanded into its restored copy, with retries.
#include <vector>

#include "app/MainForm.h"
#include "app/TextRules.h"
#include "app/Waits.h"
#include "install/RestoreExtension.h"

using platform::Control;

namespace {

constexpr int kAttempts = 3;
constexpr uint64_t kWaitMs = 10000;

}  // namespace

namespace install {

// One expansion attempt; the size of the restored copy, 0 when the attempt failed.
uint64_t expandOnce(platform::Services& services, const std::string& source,
                    const std::string& target) {
  try {
    if (!services.lz.expand(source, target)) return 0;
    return services.files.fileSize(target).value_or(0);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace install

void TMainForm::ExpandDownloads() {
  if (!WorkList) return;
  const auto& list = *WorkList;
  const size_t count = list.size();
  std::vector<std::pair<std::string, std::string>> failed;
  for (size_t i = 0; i < count; ++i) {
    try {
      // Whole numbers: a double gives 57 for the 29th of 50 entries.
      m_view.setCaption(Control::ProgressLabel, std::to_string((i + 1) * 100 / count) + " / 100");
      m_view.repaint(Control::ProgressLabel);
      int w = static_cast<int>(100 / (count + 1));
      m_view.setProgress(static_cast<int>(i) * w + 2);
      m_view.setProgress(m_view.progress() - 1);
    } catch (const std::exception&) {
      // progress display only
    }
    std::string source = WorkPath + list[i];
    std::string target = WorkPath + install::RestoreExtension(list[i]);
    uint64_t size = 0;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
      size = install::expandOnce(m_services, source, target);
      if (size != 0) break;
      // A file still being written by another program gets time to settle.
      app::waitWithMessages(m_services.clock, m_view, kWaitMs);
    }
    if (size == 0) failed.emplace_back(source, target);
  }
  // A second chance without waiting, from the last failure to the first.
  for (size_t k = failed.size(); k-- > 0;) {
    if (install::expandOnce(m_services, failed[k].first, failed[k].second) != 0) {
      failed.erase(failed.begin() + static_cast<std::ptrdiff_t>(k));
    }
  }
  for (const auto& [source, target] : failed) {
    (void)m_view.messageBox(
        platform::MessageKind::Information, "情報",
        app::namePart(source) + "\r" + app::namePart(target) + "\r" + "展開に失敗しています。",
        platform::MessageButtons::Ok);
  }
}
