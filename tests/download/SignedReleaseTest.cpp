// A program built with a publisher's key against signed releases on the loopback mirror: every
// way a list or a file can differ from what the key signed, each with its box and nothing
// installed, and the signed release installed.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/Versions.h"
#include "download/ReleaseList.h"
#include "platform/posix/ReleaseCrypto_openssl.h"
#include "tests/download/DownloadFixture.h"
#include "tools/release/ReleaseFolder.h"

namespace fs = std::filesystem;
using platform::Control;

namespace test {
namespace {

constexpr const char* kCompleted = "アップデートが完了しました。終了します。";

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class SignedReleaseTest : public DownloadTest {
 protected:
  SignedReleaseTest()
      : m_keys(fs::temp_directory_path() / ("brevan-keys-" + std::to_string(::getpid()))) {
    fs::create_directories(m_keys);
    release::makeKeyPair((m_keys / "publisher").string());
    release::makeKeyPair((m_keys / "other").string());
    m_publisher = std::make_unique<release::Signer>((m_keys / "publisher.key").string());
    m_other = std::make_unique<release::Signer>((m_keys / "other.key").string());
    m_crypto = std::make_unique<platform::posix::OpenSslReleaseCrypto>(m_publisher->publicKey());
    machine.services().release = m_crypto.get();
    // The files of pass (2), as the shared release serves them, and their valid list.
    m_root = m_release + "-signed-" + std::to_string(::getpid());
    m_signed = release::listFolder(fs::path(m_release) / "brevan" / "v128", app::kUpVersion);
    m_signed.pass = "20251299";
  }
  ~SignedReleaseTest() override {
    std::error_code error;
    fs::remove_all(m_keys, error);
    fs::remove_all(m_root, error);
  }

  // A fresh pass (2) folder of hard links to the shared files, holding `list`, served by a mirror
  // of its own.
  fs::path serve(const std::string& list) {
    std::error_code error;
    fs::remove_all(m_root, error);
    const fs::path pass = fs::path(m_root) / "brevan" / "20251299";
    fs::create_directories(pass);
    for (const auto& entry : fs::directory_iterator(fs::path(m_release) / "brevan" / "v128")) {
      fs::create_hard_link(entry.path(), pass / entry.path().filename());
    }
    if (!list.empty()) writeBytes(pass / download::kReleaseListName, list);
    form.reset();
    m_mirror = std::make_unique<mirror::UpdateMirror>(mirror::UpdateMirror::Options{m_root, 0, ""});
    m_mirror->start();
    return pass;
  }

  fs::path m_keys;
  std::string m_root;
  std::unique_ptr<release::Signer> m_publisher, m_other;
  std::unique_ptr<platform::posix::OpenSslReleaseCrypto> m_crypto;
  download::ReleaseList m_signed;
};

TEST_F(SignedReleaseTest, EveryListOrFileTheKeyDidNotSignStopsThePassWithItsBox) {
  const auto list = expectedList(false, {0});
  ASSERT_EQ(list.size(), 58u);
  const std::string third = list[2];  // "BrvCadX.ex_"
  auto variant = [&](const std::function<void(download::ReleaseList&)>& change) {
    download::ReleaseList changed = m_signed;
    change(changed);
    return changed;
  };
  const std::string valid = release::signedList(m_signed, *m_publisher);
  std::string badSignature = valid;
  badSignature[badSignature.size() - 2] = badSignature[badSignature.size() - 2] == '0' ? '1' : '0';

  struct Row {
    const char* what;
    std::string list;
    std::function<void(const fs::path& pass)> after;  // the server's files after signing
    size_t number;                                    // in the box; 0 is the list
    const char* reason;
    size_t requests;  // the list, then the files up to the refused one
  } rows[] = {
      {"no list", "", {}, 0, "署名付きの一覧を取得できません。\r404: Not Found", 1},
      {"bad signature", badSignature, {}, 0, "一覧の署名が正しくありません。", 1},
      {"signed by another key",
       release::signedList(m_signed, *m_other),
       {},
       0,
       "一覧の署名が正しくありません。",
       1},
      {"list of the other pass",
       release::signedList(variant([](auto& l) { l.pass = "v128"; }), *m_publisher),
       {},
       0,
       "一覧の更新フォルダが違います。",
       1},
      {"list of an older version",
       release::signedList(variant([](auto& l) { l.version = "v2.5.2.0"; }), *m_publisher),
       {},
       0,
       "一覧のバージョンがこのアップデートと違います。",
       1},
      {"file changed after signing, same size", valid,
       [&](const fs::path& pass) {
         std::string bytes = contentOf(third);
         bytes[0] ^= 1;
         fs::remove(pass / third);
         writeBytes(pass / third, bytes);
       },
       3, "ファイルの内容が一覧と違います。", 4},
      {"file of another size", valid,
       [&](const fs::path& pass) {
         fs::remove(pass / third);
         writeBytes(pass / third, contentOf(third) + "x");
       },
       3, "ファイルのサイズが一覧と違います。", 4},
      {"file missing from the list",
       release::signedList(variant([&](auto& l) { l.files.erase(third); }), *m_publisher),
       {},
       3,
       "一覧にないファイルです。",
       4},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const fs::path pass = serve(row.list);
    if (row.after) row.after(pass);
    putTwoFolderInstallation(1, 2, 9, 0);
    openWindow({0});
    press();

    const std::string name = row.number == 0 ? download::kReleaseListName : third;
    EXPECT_EQ(texts(), std::vector<std::string>{"更新ファイルを確認できません[" +
                                                std::to_string(row.number) + "]\r" + name + "\r\r" +
                                                row.reason});
    ASSERT_EQ(requests().size(), row.requests);
    EXPECT_EQ(requests()[0], "20251299/RELEASE.LST");
    EXPECT_FALSE(unpressStarted(2));
    EXPECT_FALSE(form->closed());
    EXPECT_FALSE(machine.has(std::string(kRoot) + "NEW_BIN\\PictDesk.EXE"));
    expectIdle();
  }
}

TEST_F(SignedReleaseTest, SignedReleaseIsInstalled) {
  serve(release::signedList(m_signed, *m_publisher));
  putTwoFolderInstallation(1, 2, 9, 0);
  openWindow({0});
  press();

  EXPECT_EQ(texts(), std::vector<std::string>{kCompleted});
  EXPECT_EQ(requests().size(), 59u);
  EXPECT_EQ(requests()[0], "20251299/RELEASE.LST");
  EXPECT_EQ(machine.get(std::string(kRoot) + "NEW_BIN\\PictDesk.EXE"), contentOf("PictDesk.ex_"));
  // The list is read once and not left behind.
  EXPECT_FALSE(machine.has("C:\\TEMP\\BrvNewUp\\RELEASE.LST"));
}

}  // namespace
}  // namespace test
