// Makes the release in a scratch folder beside the target, then moves it into place.
#include "tools/sample-release/ReleaseWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "tools/sample-release/ReleaseContent.h"

namespace sample {

namespace fs = std::filesystem;

namespace {

// Every file of the release carries this time stamp, so two runs give the same folder.
const std::time_t kReleaseTime = japanTime(2025, 12, 29, 0, 0, 0);

void writeFile(const fs::path& path, const std::string& bytes, std::time_t mtime) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
  const timespec times[2] = {{mtime, 0}, {mtime, 0}};
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
    throw std::runtime_error("cannot set the time of " + path.string());
  }
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a tool in `folder` with its output in `log`; throws with the output when it fails.
void run(const std::vector<std::string>& argv, const fs::path& folder, const fs::path& log) {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("cannot start " + argv[0]);
  if (pid == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || ::chdir(folder.c_str()) != 0) ::_exit(126);
    ::dup2(out, 1);
    ::dup2(out, 2);
    // Names on disk are UTF-8; jlha reads them so and stores them as Shift_JIS.
    ::setenv("LANG", "C.UTF-8", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("TZ", "Asia/Tokyo", 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("lost " + argv[0]);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::string message = argv[0] + " failed (exit " + std::to_string(code) + ")";
    if (code == 127) message += ": not found; install it (scripts/deps.sh)";
    throw std::runtime_error(message + "\n" + readFile(log));
  }
}

void makeSzddFiles(const std::vector<ReleaseFile>& files, const fs::path& scratch,
                   const fs::path& target, const ReleaseTools& tools) {
  // mscompress writes NAME_ for NAME: each file goes in under its name without the last '_'.
  const fs::path source = scratch / "szdd";
  std::vector<std::string> argv = {tools.mscompress};
  for (const ReleaseFile& f : files) {
    if (f.archive) continue;
    if (f.name.empty() || f.name.back() != '_')
      throw std::runtime_error("not an SZDD name: " + f.name);
    const std::string plain = f.name.substr(0, f.name.size() - 1);
    writeFile(source / plain, f.content, kReleaseTime);
    argv.push_back(plain);
  }
  std::sort(argv.begin() + 1, argv.end());
  run(argv, source, scratch / "mscompress.log");
  for (const ReleaseFile& f : files) {
    if (f.archive) continue;
    const std::string made = readFile(source / f.name);
    if (made.compare(0, 4, "SZDD") != 0) throw std::runtime_error("mscompress made no " + f.name);
    writeFile(target / f.name, made, kReleaseTime);
  }
}

void makeArchive(const ReleaseFile& f, const fs::path& scratch, const fs::path& target,
                 const ReleaseTools& tools) {
  const fs::path source = scratch / ("lzh-" + f.name);
  std::vector<std::string> members;
  for (const Member& m : f.members) {
    writeFile(source / m.path, m.bytes, m.mtime);
    members.push_back(m.path);
  }
  std::sort(members.begin(), members.end());
  // 'a2' adds with level-2 headers (the time stamp kept in UTC), 'y' stores names as
  // Shift_JIS, 'o5' asks for the lh5 method explicitly.
  const fs::path archive = fs::absolute(scratch / "made.lzh");
  fs::remove(archive);
  std::vector<std::string> argv = {tools.jlha, "a2yo5", archive.string()};
  argv.insert(argv.end(), members.begin(), members.end());
  run(argv, source, scratch / "jlha.log");
  const std::string made = readFile(archive);
  // Members that do not shrink are stored (-lh0-); the others are lh5.
  if (made.size() < 22 || made.compare(2, 3, "-lh") != 0 || made[6] != '-') {
    throw std::runtime_error("jlha made no LHA archive for " + f.name);
  }
  writeFile(target / f.name, made, kReleaseTime);
}

}  // namespace

void writeRelease(const std::string& root, const ReleaseTools& tools) {
  fs::create_directories(root);
  std::string scratchName = (fs::path(root) / ".making-XXXXXX").string();
  if (::mkdtemp(scratchName.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch folder in " + root);
  }
  const fs::path scratch = scratchName;
  try {
    for (const int pass : kPasses) {
      const fs::path passScratch = scratch / ("pass" + std::to_string(pass));
      const fs::path target = scratch / "release" / basePath(pass);
      fs::create_directories(target);
      const std::vector<ReleaseFile> files = releaseFiles(pass);
      makeSzddFiles(files, passScratch, target, tools);
      for (const ReleaseFile& f : files) {
        if (f.archive) makeArchive(f, passScratch, target, tools);
      }
    }
    const fs::path made = scratch / "release" / "brevan";
    const fs::path final = fs::path(root) / "brevan";
    fs::remove_all(final);
    fs::rename(made, final);
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    throw;
  }
  fs::remove_all(scratch);
}

}  // namespace sample
