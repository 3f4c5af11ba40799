// One update without a screen: the core on the real machine, the view and clock doubled.
#include "tests/headless/HeadlessUpdate.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>

#include "app/MainForm.h"
#include "install/LhaBinding.h"
#include "platform/posix/PosixMachine.h"
#include "platform/posix/ReleaseCrypto_openssl.h"
#include "tests/doubles/FakeClock.h"
#include "tests/doubles/FakeView.h"

namespace headless {

namespace {

std::string readKey(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the public key " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

bool runUpdate(const std::string& prefix, const std::string& programFolder,
               const std::string& ticks, const std::string& publicKeyFile, std::ostream& boxes) {
  test::FakeView view;
  platform::posix::PosixMachine machine(prefix, programFolder, view);
  // The waits between expansion attempts end at once.
  test::FakeClock clock;
  platform::Services& real = machine.services();
  platform::Services services{real.files, real.registry,  real.folders, real.profiles,
                              real.codec, real.versions,  clock,        real.lastError,
                              real.shell, real.processes, real.lz,      real.makeHttp};
  const std::string key = publicKeyFile.empty() ? std::string() : readKey(publicKeyFile);
  std::optional<platform::posix::OpenSslReleaseCrypto> release;
  if (!publicKeyFile.empty()) {
    release.emplace(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(key.data()), key.size()));
    services.release = &*release;
  }
  LhaBinding lha(machine.libraries(), [&view](const std::string& caption, const std::string& text) {
    (void)view.messageBox(platform::MessageKind::Error, caption, text,
                          platform::MessageButtons::Ok);
  });
  TMainForm form(view, services, &lha);
  if (form.terminated()) return false;
  view.events->onActivate();
  for (int i = 0; i < view.itemCount(); ++i) {
    if (view.isChecked(i) != (ticks[static_cast<size_t>(i)] == '1')) view.clickItem(i);
  }
  view.events->onDownLoadClick();
  bool completed = false;
  bool failed = false;
  for (const auto& message : view.messages) {
    boxes << message.title << ": " << message.text << "\n";
    completed = message.text == "アップデートが完了しました。終了します。";
    failed = failed || message.kind == platform::MessageKind::Error;
  }
  return completed && !failed && form.closed();
}

}  // namespace headless
