// Initialisation-file text ("[section]" headers, "key=value" lines) in code page 932 bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The rules are those of the Windows profile functions. A header is a line whose first
// non-blank byte is '['; its name runs to the last ']' of the line (or the line's end), blanks
// cut. A key line in a section holds '='; key and value are the text before and after the first
// '=', blanks cut. Lines end in LF (a CR before it belongs to the line end). Names compare
// without regard to ASCII case, a double-byte character whole (its trail byte may be a letter,
// '[', ']' or '\'). The first section of a name counts, and in it the first key of a name.

// Names equal as a profile file compares them.
bool profileNamesEqual(std::string_view a, std::string_view b);

// The value of the key, blanks around it cut and one pair of surrounding quotes (" or ')
// removed; nullopt when the section or the key is missing. Never fails on damaged bytes.
std::optional<std::string> readProfileString(std::string_view bytes, std::string_view section,
                                             std::string_view key);

// The text with the key set. An existing key line becomes key=value (the key as the file spells
// it, the line end as it was); a missing key is added after the section's last non-blank line;
// a missing section is added at the end of the text. New lines end in CR LF; every other byte is
// kept. nullopt when the names or value cannot be stored: an empty section or key (after blanks
// are cut), CR, LF or NUL anywhere, '=' in the key or '[' at its start (the line would read as a
// header), ']' in the section or a lead byte cut off at its end.
std::optional<std::string> writeProfileString(std::string_view bytes, std::string_view section,
                                              std::string_view key, std::string_view value);

}  // namespace platform
