// The program's error: an exception carrying the Japanese text shown to the user.
#pragma once

#include <stdexcept>
#include <string>

class BrevanError : public std::runtime_error {
 public:
  explicit BrevanError(const std::string& message) : std::runtime_error(message) {}
};
