// UTF-8 text as code page 932 bytes, for the release's Japanese text files and names.
#pragma once

#include <string>

namespace sample {

// Throws std::runtime_error when the text has a character code page 932 cannot hold.
std::string toCp932(const std::string& utf8);

}  // namespace sample
