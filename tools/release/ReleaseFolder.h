// The signed lists of a release's pass folders: made from the files, written, checked.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "download/ReleaseList.h"
#include "platform/ReleaseCrypto.h"
#include "tools/release/ReleaseSigning.h"

namespace release {

// The pass folders of a server's document root.
inline constexpr std::array<const char*, 2> kPassFolders{"brevan/v128", "brevan/20251299"};

// The unsigned list of a pass folder: every file in it but the list itself, its name as CP932
// (throws std::runtime_error for a name CP932 cannot hold).
download::ReleaseList listFolder(const std::filesystem::path& folder, const std::string& version);
// A list signed: its body and signature line.
std::string signedList(const download::ReleaseList& list, Signer& signer);
// Writes the folder's signed list into it.
void signFolder(const std::filesystem::path& folder, Signer& signer, const std::string& version);
// Checks the folder as the program does: its list, then every file in it against the list,
// and every listed file present. One line per problem; none when all is as signed.
std::vector<std::string> verifyFolder(const std::filesystem::path& folder,
                                      platform::ReleaseCrypto& crypto, const std::string& version);

}  // namespace release
