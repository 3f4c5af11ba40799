// The tree model with the machine's name rules (ASCII case ignored, stored case kept).
#include "tools/sample-release/Tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace sample {

namespace fs = std::filesystem;

namespace {

bool sameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return up(x) == up(y);
  });
}

std::vector<std::string> components(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(path);
  while (std::getline(in, part, '/')) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::string parentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool isBelow(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

}  // namespace

std::optional<std::string> Tree::storedPath(const std::string& path) const {
  std::string resolved;
  for (const std::string& part : components(path)) {
    const std::string prefix = resolved.empty() ? std::string() : resolved + "/";
    std::optional<std::string> found;
    auto look = [&](const std::string& key) {
      if (!found && key.size() > prefix.size() && key.compare(0, prefix.size(), prefix) == 0 &&
          key.find('/', prefix.size()) == std::string::npos &&
          sameName(key.substr(prefix.size()), part)) {
        found = key;
      }
    };
    for (const auto& entry : folders) look(entry.first);
    for (const auto& entry : files) look(entry.first);
    if (!found) return std::nullopt;
    resolved = *found;
  }
  return resolved;
}

// The path with every leading component that exists spelled as stored.
static std::string resolvedPath(const Tree& tree, const std::string& path) {
  const std::vector<std::string> parts = components(path);
  std::string result;
  size_t known = 0;
  for (size_t n = parts.size(); n > 0; --n) {
    std::string head;
    for (size_t i = 0; i < n; ++i) head += (i ? "/" : "") + parts[i];
    if (auto stored = tree.storedPath(head)) {
      result = *stored;
      known = n;
      break;
    }
  }
  for (size_t i = known; i < parts.size(); ++i) result += (result.empty() ? "" : "/") + parts[i];
  return result;
}

void Tree::addFolder(const std::string& path) {
  const std::string resolved = resolvedPath(*this, path);
  for (std::string p = resolved; !p.empty(); p = parentOf(p)) folders.emplace(p, false);
}

void Tree::put(const std::string& path, std::string bytes, std::optional<std::time_t> mtime) {
  const std::string resolved = resolvedPath(*this, path);
  addFolder(parentOf(resolved));
  files[resolved] = TreeFile{std::move(bytes), mtime, false};
}

TreeFile* Tree::findFile(const std::string& path) {
  const auto stored = storedPath(path);
  if (!stored) return nullptr;
  const auto it = files.find(*stored);
  return it == files.end() ? nullptr : &it->second;
}

bool Tree::erase(const std::string& path) {
  const auto stored = storedPath(path);
  return stored && files.erase(*stored) > 0;
}

void Tree::move(const std::string& from, const std::string& to) {
  const auto source = storedPath(from);
  if (!source) return;
  const std::string target = resolvedPath(*this, to);
  auto rekey = [&](auto& map) {
    std::vector<std::pair<std::string, typename std::decay_t<decltype(map)>::mapped_type>> moved;
    for (auto it = map.begin(); it != map.end();) {
      if (it->first == *source || isBelow(it->first, *source)) {
        moved.emplace_back(target + it->first.substr(source->size()), std::move(it->second));
        it = map.erase(it);
      } else {
        ++it;
      }
    }
    for (auto& [key, value] : moved) map[key] = std::move(value);
  };
  rekey(files);
  rekey(folders);
  addFolder(parentOf(target));
}

void Tree::copyContents(const std::string& from, const std::string& to) {
  const auto source = storedPath(from);
  if (!source) return;
  const Tree before = *this;
  for (const auto& [path, ro] : before.folders) {
    if (isBelow(path, *source)) addFolder(to + path.substr(source->size()));
  }
  for (const auto& [path, file] : before.files) {
    if (isBelow(path, *source)) put(to + path.substr(source->size()), file.bytes, file.mtime);
  }
}

Tree scanTree(const std::string& root) {
  Tree tree;
  std::error_code ec;
  fs::recursive_directory_iterator it(root, ec), end;
  if (ec) throw std::runtime_error("cannot read " + root + ": " + ec.message());
  for (; it != end; it.increment(ec)) {
    if (ec) throw std::runtime_error("cannot read below " + root + ": " + ec.message());
    const std::string rel = fs::relative(it->path(), root).generic_string();
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0) throw std::runtime_error("cannot stat " + rel);
    const bool readOnly = (st.st_mode & S_IWUSR) == 0;
    if (S_ISDIR(st.st_mode)) {
      tree.folders[rel] = readOnly;
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      tree.files[rel] = TreeFile{std::move(bytes), st.st_mtime, readOnly};
    }
  }
  return tree;
}

uint64_t fingerprint(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string localTimeText(std::time_t t) {
  std::tm local{};
  ::localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

static std::string fileLine(const std::string& path, const TreeFile& file) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx",
                static_cast<unsigned long long>(fingerprint(file.bytes)));
  return std::string("F ") + (file.readOnly ? "ro " : "rw ") + std::to_string(file.bytes.size()) +
         " " + hash + " " + (file.mtime ? localTimeText(*file.mtime) : "-") + " " + path;
}

std::string manifestText(const Tree& tree) {
  std::map<std::string, std::string> lines;
  for (const auto& [path, ro] : tree.folders)
    lines[path] = "D " + std::string(ro ? "ro " : "rw ") + path;
  for (const auto& [path, file] : tree.files) lines[path] = fileLine(path, file);
  std::string text;
  for (const auto& [path, line] : lines) text += line + "\n";
  return text;
}

std::vector<std::string> compareTrees(const Tree& expected, const Tree& actual) {
  std::vector<std::string> out;
  for (const auto& [path, ro] : expected.folders) {
    const auto it = actual.folders.find(path);
    if (it == actual.folders.end()) {
      out.push_back("missing folder: " + path);
    } else if (it->second != ro) {
      out.push_back("folder read-only attribute differs: " + path);
    }
  }
  for (const auto& [path, ro] : actual.folders) {
    if (!expected.folders.count(path)) out.push_back("unexpected folder: " + path);
  }
  for (const auto& [path, want] : expected.files) {
    const auto it = actual.files.find(path);
    if (it == actual.files.end()) {
      out.push_back("missing file: " + path);
      continue;
    }
    const TreeFile& got = it->second;
    if (got.bytes != want.bytes) {
      out.push_back("content differs: " + path + " (expected " + std::to_string(want.bytes.size()) +
                    " bytes, found " + std::to_string(got.bytes.size()) + ")");
    }
    if (got.readOnly != want.readOnly) out.push_back("read-only attribute differs: " + path);
    if (want.mtime && got.mtime != want.mtime) {
      out.push_back("time stamp differs: " + path + " (expected " + localTimeText(*want.mtime) +
                    ", found " + (got.mtime ? localTimeText(*got.mtime) : "-") + ")");
    }
  }
  for (const auto& [path, file] : actual.files) {
    if (!expected.files.count(path)) out.push_back("unexpected file: " + path);
  }
  return out;
}

}  // namespace sample
