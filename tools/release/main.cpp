// brevan-release: the publisher signs a release folder for programs built with the public key.
//   brevan-release keygen NAME        writes NAME.key (private, owner only) and NAME.pub
//   brevan-release sign NAME.key ROOT writes RELEASE.LST into each pass folder under ROOT
//   brevan-release verify NAME.pub ROOT  checks them as the program does; non-zero on a fault
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "app/Versions.h"
#include "platform/posix/ReleaseCrypto_openssl.h"
#include "tools/release/ReleaseFolder.h"

namespace fs = std::filesystem;

namespace {

int usage() {
  std::cerr << "usage: brevan-release keygen NAME\n"
               "       brevan-release sign NAME.key ROOT\n"
               "       brevan-release verify NAME.pub ROOT\n"
               "ROOT is the server's document root; it holds brevan/v128/ and brevan/20251299/.\n";
  return 2;
}

std::vector<fs::path> passFolders(const fs::path& root) {
  std::vector<fs::path> out;
  for (const char* pass : release::kPassFolders) {
    if (!fs::is_directory(root / pass))
      throw std::runtime_error("no folder " + (root / pass).string());
    out.push_back(root / pass);
  }
  return out;
}

int verify(const std::string& keyFile, const fs::path& root) {
  std::ifstream in(keyFile, std::ios::binary);
  const std::string key{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (key.size() != platform::kReleaseKeySize)
    throw std::runtime_error(keyFile + " is no public key");
  platform::posix::OpenSslReleaseCrypto crypto(
      {reinterpret_cast<const uint8_t*>(key.data()), key.size()});
  int faults = 0;
  for (const auto& folder : passFolders(root)) {
    for (const auto& problem : release::verifyFolder(folder, crypto, app::kUpVersion)) {
      std::cout << folder.string() << "/" << problem << "\n";
      ++faults;
    }
  }
  if (faults == 0) std::cout << "Both passes are as signed, for " << app::kUpVersion << ".\n";
  return faults == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "keygen" && argc == 3) {
      release::makeKeyPair(argv[2]);
      std::cout << "Wrote " << argv[2] << ".key (keep it secret) and " << argv[2] << ".pub\n";
      return 0;
    }
    if (command == "sign" && argc == 4) {
      release::Signer signer(argv[2]);
      for (const auto& folder : passFolders(argv[3])) {
        release::signFolder(folder, signer, app::kUpVersion);
        std::cout << "Signed " << (folder / "RELEASE.LST").string() << "\n";
      }
      return 0;
    }
    if (command == "verify" && argc == 4) return verify(argv[2], argv[3]);
    return usage();
  } catch (const std::exception& e) {
    std::cerr << "brevan-release: " << e.what() << "\n";
    return 1;
  }
}
