// The exported entry points of the library: command line in, files out, report back.
#include "unlha32/unlha32.h"

#include <new>
#include <optional>
#include <string>

#include "unlha32/CommandLine.h"
#include "unlha32/Extraction.h"
#include "unlha32/Host.h"
#include "unlha32/OutputText.h"

namespace {

constexpr int kVersion = 100;  // 1.00

unlha::Outcome runCommand(const std::string& line, platform::TextCodec& codec) {
  const unlha::ParsedCommand parsed = unlha::parseCommandLine(line);
  if (parsed.error != 0) {
    return {parsed.error, std::string("Command not run: ") + parsed.message + ".\r\n"};
  }
  const auto archive = unlha::nativePathOf(parsed.command.archive);
  if (!archive) {
    return {UNLHA_ERROR_NOT_FIND_ARC_FILE, "Nothing extracted: archive not found.\r\n"};
  }
  const auto destination = unlha::nativePathOf(parsed.command.destination);
  if (!destination) {
    return {UNLHA_ERROR_MAKEDIRECTORY, "Nothing extracted: no such destination drive.\r\n"};
  }
  return unlha::extractArchive(*archive, *destination, [&codec](std::string_view bytes) {
    return codec.fromCp932(std::string(bytes));
  });
}

}  // namespace

extern "C" int UNLHA_CALL Unlha(void* /*ownerWindow*/, const char* commandLine, char* output,
                                unsigned int outputSize) {
  // Nothing may escape into the caller, which knows no C++.
  try {
    const auto codec = unlha::makeCp932Codec();
    const unlha::Outcome outcome =
        runCommand(commandLine != nullptr ? codec->fromCp932(commandLine) : std::string(), *codec);
    unlha::putOutput(codec->toCp932(outcome.report), output, outputSize);
    return outcome.result;
  } catch (const std::bad_alloc&) {
    unlha::putOutput("Out of memory.\r\n", output, outputSize);
    return UNLHA_ERROR_ENOUGH_MEMORY;
  } catch (...) {
    unlha::putOutput("Internal error.\r\n", output, outputSize);
    return UNLHA_ERROR_NOT_SUPPORT;
  }
}

extern "C" int UNLHA_CALL UnlhaGetVersion(void) { return kVersion; }

extern "C" int UNLHA_CALL UnlhaCheckArchive(const char* archivePath, int mode) {
  try {
    if (archivePath == nullptr) return 0;
    const auto archive = unlha::nativePathOf(unlha::makeCp932Codec()->fromCp932(archivePath));
    if (!archive) return 0;
    return unlha::checkArchive(*archive, (mode & 3) == UNLHA_CHECK_FULLCRC) == 0 ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
