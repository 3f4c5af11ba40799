// What the library takes from the system it runs on: its CP932 codec and its native paths.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/TextCodec.h"

namespace unlha {

// A codec for the CP932 text of command lines, stored names and the report.
std::unique_ptr<platform::TextCodec> makeCp932Codec();

// The native path (UTF-8) of a path given in a command line; nullopt when it names nothing
// this system can reach.
std::optional<std::string> nativePathOf(const std::string& path);

}  // namespace unlha
