// The program's error: an exception carrying the Japanese text shown to the user.
#pragma once

#include <stdexcept>
#include <string>

class BrevanError : public std::runtime_error {
 public:
  explicit BrevanError(const std::string& message) : std::runtime_error(message) {}
};

// What the error box says for a failure that carries no text of its own.
inline constexpr const char* kUnexpectedFailureText = "予期しないエラーが発生しました。";

// The file-error texts every writer and reader of the program shows.
inline std::string cannotCreateFileText(const std::string& path) {
  return "ファイル \"" + path + "\" を作成できません。";
}
inline std::string cannotOpenFileText(const std::string& path) {
  return "ファイル \"" + path + "\" を開けません。";
}
