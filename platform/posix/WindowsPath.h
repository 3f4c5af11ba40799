// Text rules of Windows paths: drive paths, separators, "." and ".." (no disk access).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// An absolute drive path taken apart: "C:\A\..\b\" gives drive 'C', components {"b"}.
struct DrivePath {
  char drive = 'C';                     // upper-case letter
  std::vector<std::string> components;  // never "", "." or ".."
  bool trailingSeparator = false;
};

// Parses "X:\a\b" ('/' also separates). "." components are dropped and ".." removes the one
// before it, stopping at the drive root, so the result never leaves its drive. nullopt for a
// path that is not an absolute drive path ("a\b", "C:a", "\a", "\\server\share") or holds NUL.
std::optional<DrivePath> parseDrivePath(std::string_view path);

// The text form of a parsed path: "C:\b\" ("C:\" for the root).
std::string drivePathText(const DrivePath& path);

// GetFullPathName: the absolute form with "." and ".." resolved textually and '/' turned into
// '\'. The current folder is "C:\" on every drive, so "a\b" and "\a\b" are on C: and "D:a" is
// "D:\a". A trailing separator stays. nullopt for an empty path, a UNC path or one with NUL.
std::optional<std::string> resolveFullPath(std::string_view path);

}  // namespace platform::posix
