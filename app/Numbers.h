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
// or hexadecimal after "$" or "0x"; nullopt for anything else or a value outside 32 bits.
std::optional<int32_t> strictInteger(const std::string& text);

}  // namespace app
