// The comparison benchmark's workloads: archives, merge files and SZDD sets made by the
// independent tools, and the fetch of a first update through the update mirror.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// An -lh5- archive made by jlha of `files` text files of `fileSize` bytes in three folders.
std::filesystem::path makeLhaArchive(const std::filesystem::path& scratch, int files,
                                     size_t fileSize);

// A merge file of about `size` bytes (pictures as long hexadecimal lines, one page in four
// blocks) and a plain file of as much hexadecimal text, one line per picture.
void writeMergeFile(const std::filesystem::path& merge, const std::filesystem::path& plainHex,
                    size_t size);

// `count` program-like files totalling `total` bytes compressed by mscompress as
// <folder>/<name>.EX_; returns the names.
std::vector<std::string> makeSzddSet(const std::filesystem::path& folder, int count, size_t total);

// Child mode: fetches every "url<TAB>Windows path" line of listFile through the proxy
// 127.0.0.1:port into the machine folder prefix; prints "<seconds> <peak KB> <longest gap ms>".
int childFetch(const std::string& port, const std::string& listFile, const std::string& prefix);

// The sample release's first update through the mirror as proxy against one curl process;
// curl against the mirror against curl against a plain static server; the window's longest
// wait during a 100 MB fetch.
void compareFetches(const std::filesystem::path& scratch, int divisor);
// The first update with its signed lists checked and every file hashed as it arrives, beside
// the same fetches unchecked; the child checks with the public key file.
int childSignedFetch(const std::string& port, const std::string& listFile,
                     const std::string& prefix, const std::string& keyFile);
void compareSignedFetches(const std::filesystem::path& scratch);
// The whole first update of the sample machine (restructuring, both passes, expansion,
// installation) without a screen, by the program given the public key beside the same program
// without it, from the mirror on `port` serving the signed release. The child runs one update
// on the machine folder prefix; prints "<processor seconds> <peak KB> <wall seconds>".
int childSignedUpdate(const std::string& prefix, const std::string& keyFile);
void compareSignedUpdates(const std::filesystem::path& scratch, const std::filesystem::path& key,
                          uint16_t port);

}  // namespace bench
