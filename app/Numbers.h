// Conversions of typed and stored numbers, with the leniency each place allows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace app {

// Lenient reading of a stored port: keeps '-', '.' and digits, a trailing minus moves to the
// front ("80-" is -80), then reads a decimal number; anything unreadable gives 0.
long double TextToNumber(const std::string& text);

// Strict whole-number reading of typed text: leading blanks, an optional sign, decimal digits
// or hexadecimal digits after "$"; nullopt for anything else ("0x50" included) or a value
// outside 32 bits.
std::optional<int32_t> typedInteger(const std::string& text);

// A whole number stored in a profile file: as typedInteger, and "0x" or "0X" at the start also
// marks hexadecimal digits.
std::optional<int32_t> profileInteger(const std::string& text);

}  // namespace app
