// The archiver command line: what is accepted, what is refused, and what the paths become.
#include "unlha32/CommandLine.h"

#include <gtest/gtest.h>

#include "unlha32/unlha32.h"

namespace {

using unlha::parseCommandLine;

TEST(CommandLine, TheProgramsOwnCommandGivesArchiveAndDestination) {
  const auto parsed = parseCommandLine(
      "e -jyc -jyo \"C:\\Brevan\\WORK\\CORINS0.lzh\" -d1 -c1 \"C:\\Brevan\\NEW_BIN\\\"");
  ASSERT_EQ(parsed.error, 0) << parsed.message;
  EXPECT_EQ(parsed.command.word, 'e');
  EXPECT_EQ(parsed.command.archive, "C:\\Brevan\\WORK\\CORINS0.lzh");
  EXPECT_EQ(parsed.command.destination, "C:\\Brevan\\NEW_BIN\\");
  EXPECT_EQ(parsed.command.switches, (std::vector<std::string>{"-jyc", "-jyo", "-d1", "-c1"}));
}

TEST(CommandLine, AcceptedForms) {
  struct Row {
    const char* line;
    const char* archive;
    const char* destination;
  };
  const Row rows[] = {
      // Blanks inside quotes stay; the quotes go.
      {"e \"C:\\My Work\\a.lzh\" \"C:\\My Dest\\\"", "C:\\My Work\\a.lzh", "C:\\My Dest\\"},
      // Unquoted paths, tabs and repeated blanks.
      {"x\t a.lzh    C:\\d\\  ", "a.lzh", "C:\\d\\"},
      // Quotes may cover part of an argument.
      {"e C:\\\"my dir\"\\a.lzh C:\\\"new\"\\", "C:\\my dir\\a.lzh", "C:\\new\\"},
      // Upper-case command word and switches.
      {"E -JYCO -C \"a.lzh\" \"/tmp/d/\"", "a.lzh", "/tmp/d/"},
      // A quoted argument that starts with '-' is a path, not a switch.
      {"e \"-odd.lzh\" \"D:\\x\\\"", "-odd.lzh", "D:\\x\\"},
      // After "--" nothing is a switch.
      {"e -- -odd.lzh D:\\x\\", "-odd.lzh", "D:\\x\\"},
      // Multibyte text passes through whole (表 is 0x955C in CP932, here already UTF-8).
      {"e \"C:\\表\\a.lzh\" \"C:\\ソフト\\表\\\"", "C:\\表\\a.lzh", "C:\\ソフト\\表\\"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const auto parsed = parseCommandLine(row.line);
    ASSERT_EQ(parsed.error, 0) << parsed.message;
    EXPECT_EQ(parsed.command.archive, row.archive);
    EXPECT_EQ(parsed.command.destination, row.destination);
  }
}

TEST(CommandLine, RefusedForms) {
  struct Row {
    const char* line;
    int error;
  };
  const Row rows[] = {
      {"", UNLHA_ERROR_COMMAND_NAME},
      {"   \t ", UNLHA_ERROR_COMMAND_NAME},
      // Commands other than extraction.
      {"a new.lzh file.txt", UNLHA_ERROR_COMMAND_NAME},
      {"l a.lzh", UNLHA_ERROR_COMMAND_NAME},
      {"ex a.lzh C:\\d\\", UNLHA_ERROR_COMMAND_NAME},
      {"\"e\"x a.lzh C:\\d\\", UNLHA_ERROR_COMMAND_NAME},
      // A quote left open.
      {"e \"a.lzh C:\\d\\", UNLHA_ERROR_COMMAND_NAME},
      {"e a.lzh \"C:\\d\\", UNLHA_ERROR_COMMAND_NAME},
      // Missing archive or destination.
      {"e", UNLHA_ERROR_COMMAND_NAME},
      {"e -jyc -c1", UNLHA_ERROR_COMMAND_NAME},
      {"e \"\" C:\\d\\", UNLHA_ERROR_COMMAND_NAME},
      {"e a.lzh", UNLHA_ERROR_COMMAND_NAME},
      // A destination without its trailing backslash reads as a member name to extract; the
      // ending of "表" (0x5C as its CP932 trail byte) is no backslash once decoded.
      {"e a.lzh C:\\d", UNLHA_ERROR_NOT_SUPPORT},
      {"e a.lzh \"C:\\表\"", UNLHA_ERROR_NOT_SUPPORT},
      {"e a.lzh C:\\d\\ *.txt", UNLHA_ERROR_NOT_SUPPORT},
      // Switches we do not know would change what is done: refused, not ignored.
      {"e -x0 a.lzh C:\\d\\", UNLHA_ERROR_NOT_SUPPORT},
      {"e -c0 a.lzh C:\\d\\", UNLHA_ERROR_NOT_SUPPORT},
      {"e -jy1 a.lzh C:\\d\\", UNLHA_ERROR_NOT_SUPPORT},
      {"e a.lzh -p C:\\d\\", UNLHA_ERROR_NOT_SUPPORT},
      {"e - a.lzh C:\\d\\", UNLHA_ERROR_NOT_SUPPORT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const auto parsed = parseCommandLine(row.line);
    EXPECT_EQ(parsed.error, row.error);
    EXPECT_FALSE(parsed.message.empty());
  }
}

}  // namespace
