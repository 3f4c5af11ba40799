// The help merge file's block rules, on raw bytes without any file system.
#include "install/HelpMergeParser.h"
#include "install/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using install::HelpMergeReader;

// The markers as the merge files carry them ("■" is 0x81 0xA1 in CP932), written out here so
// that a changed marker in the program shows.
const std::string kStart = "\x81\xA1#HELP_FILE_START#\x81\xA1";
const std::string kEnd = "\x81\xA1#HELP_FILE_END#\x81\xA1";

// What the parser hands out, flattened for comparison.
struct Out {
  std::string path;
  uint32_t time = 0;
  std::vector<std::string> lines;
  bool badTime = false;
  bool operator==(const Out&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Out& o) {
  if (o.badTime) return os << "bad time '" << o.path << "'";
  os << "{" << o.path << ", " << o.time << ", [";
  for (const auto& l : o.lines) os << "'" << l << "' ";
  return os << "]}";
}

Out block(std::string path, uint32_t time, std::vector<std::string> lines = {}) {
  return Out{std::move(path), time, std::move(lines), false};
}
Out badTime(std::string line) { return Out{std::move(line), 0, {}, true}; }

// Records what the reader hands out; content is split back into its lines.
class Recorder : public install::HelpMergeSink {
 public:
  std::vector<Out> out;
  void blockPath(std::string_view path) override {
    m_path = std::string(path);
    m_content.clear();
  }
  void blockContent(std::string_view bytes) override { m_content += bytes; }
  void blockEnd(uint32_t time) override {
    Out o{m_path, time, {}, false};
    for (size_t k = 0; k < m_content.size();) {
      const size_t end = m_content.find("\r\n", k);
      o.lines.push_back(m_content.substr(k, end - k));
      k = end + 2;
    }
    out.push_back(o);
  }
  void blockDropped() override { m_content.clear(); }
  void badTime(std::string_view line) override {
    out.push_back(Out{std::string(line), 0, {}, true});
  }

 private:
  std::string m_path;
  std::string m_content;
};

// Reads the bytes whole, and again in pieces of 1, 2, 3 and 7 bytes: every way gives the same.
std::vector<Out> parse(const std::string& bytes) {
  Recorder whole;
  HelpMergeReader reader(whole);
  if (reader.feed(bytes)) reader.finish();
  EXPECT_FALSE(reader.feed("x")) << "the reader stays finished";
  for (size_t piece : {1, 2, 3, 7}) {
    Recorder pieces;
    HelpMergeReader r(pieces);
    bool reading = true;
    for (size_t k = 0; k < bytes.size() && reading; k += piece) {
      reading = r.feed(std::string_view(bytes).substr(k, piece));
    }
    if (reading) r.finish();
    EXPECT_EQ(pieces.out, whole.out) << "in pieces of " << piece;
  }
  return whole.out;
}

// Joins lines with the given line end, the last one included.
std::string text(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
  std::string s;
  for (const auto& l : lines) s += l + eol;
  return s;
}

TEST(HelpMergeReader, MarkersAreTheExactCp932Bytes) {
  EXPECT_EQ(parse(text({kStart, "a.htm", "1", "x", kEnd})),
            std::vector<Out>{block("a.htm", 1, {"x"})});
  // The same marks in UTF-8 are ordinary lines.
  EXPECT_EQ(parse(text({"■#HELP_FILE_START#■", "a.htm", "1", "x", "■#HELP_FILE_END#■"})),
            std::vector<Out>{});
}

TEST(HelpMergeReader, BlocksAndTheirStateRules) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<Out> expected;
  };
  const Case cases[] = {
      {"one block, lines outside ignored",
       {"junk", kStart, "a.htm", "100", "<p>", "", "x", kEnd, "after"},
       {block("a.htm", 100, {"<p>", "", "x"})}},
      {"end marker right after the start marker", {kStart, kEnd}, {}},
      {"end marker in place of the time line", {kStart, "a.gif", kEnd}, {block("a.gif", 0)}},
      {"path and time, no content", {kStart, "a.htm", "7", kEnd}, {block("a.htm", 7)}},
      {"block without end marker", {kStart, "a.htm", "7", "text"}, {}},
      {"end marker outside a block", {kEnd, "x", kEnd}, {}},
      {"lines outside are never read as time", {"abc", kEnd, "zz"}, {}},
      {"a start marker discards the open block; its time stays in force",
       {kStart, "old.htm", "100", "lost", kStart, "new.htm", kEnd},
       {block("new.htm", 100)}},
      {"the new block's own time line replaces it",
       {kStart, "old.htm", "100", kStart, "new.htm", "200", "kept", kEnd},
       {block("new.htm", 200, {"kept"})}},
      {"an end marker resets the time stamp",
       {kStart, "a.htm", "5", kEnd, kStart, "b.htm", kEnd},
       {block("a.htm", 5), block("b.htm", 0)}},
      {"markers with blanks, other case or UTF-8 are content",
       {kStart, "a.htm", "1", " " + kStart, kEnd + " ", "\x81\xA1#help_file_end#\x81\xA1",
        "\xE2\x96\xA0#HELP_FILE_END#\xE2\x96\xA0", kEnd},
       {block("a.htm", 1,
              {" " + kStart, kEnd + " ", "\x81\xA1#help_file_end#\x81\xA1",
               "\xE2\x96\xA0#HELP_FILE_END#\xE2\x96\xA0"})}},
      {"an empty path line still opens the content",
       {kStart, "", "3", "c", kEnd},
       {block("", 3, {"c"})}},
      {"CP932 path bytes are handed out untouched (0x5C trail byte)",
       {kStart, "\x95\x5C\x8E\xA6.htm", "1", kEnd},
       {block("\x95\x5C\x8E\xA6.htm", 1)}},
      {"two blocks in a row",
       {kStart, "a", "1", "x", kEnd, kStart, "b", "2", "y", kEnd},
       {block("a", 1, {"x"}), block("b", 2, {"y"})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(parse(text(c.lines)), c.expected);
  }
}

TEST(HelpMergeReader, LineEnds) {
  const std::vector<std::string> lines = {kStart, "a.htm", "9", "one", "", "two", kEnd};
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(eol)));
    EXPECT_EQ(parse(text(lines, eol)), std::vector<Out>{block("a.htm", 9, {"one", "", "two"})});
  }
  // Mixed ends; CR CR LF is a line and an empty line; the last line needs no end.
  std::string mixed = kStart + "\na.htm\r9\r\none\r\r\ntwo\n\n" + kEnd;
  EXPECT_EQ(parse(mixed), std::vector<Out>{block("a.htm", 9, {"one", "", "two", ""})});
}

TEST(HelpMergeReader, LfCrIsTwoLineEnds) {
  // The empty line between LF and CR becomes the path, so "a.htm" is read as the time.
  std::string lfcr = kStart + "\n\ra.htm\r\n9\r\n" + kEnd;
  EXPECT_EQ(parse(lfcr), std::vector<Out>{badTime("a.htm")});
}

TEST(HelpMergeReader, BadTimeLineStopsWhereItIsMet) {
  std::string bytes = text({kStart, "a.htm", "1", "x", kEnd, kStart, "b.htm", "12:00", "y", kEnd,
                            kStart, "c.htm", "3", kEnd});
  EXPECT_EQ(parse(bytes), (std::vector<Out>{block("a.htm", 1, {"x"}), badTime("12:00")}));
  // Also in a block that a later start marker would have discarded.
  EXPECT_EQ(parse(text({kStart, "a.htm", "abc", kStart, "b.htm", "1", kEnd})),
            std::vector<Out>{badTime("abc")});
}

TEST(HelpMergeReader, LongLinesPassWholeButOverlongPathsAndTimesDoNot) {
  std::string big(1 << 20, 'A');
  EXPECT_EQ(parse(text({kStart, "big.gif", "1", big, kEnd})),
            std::vector<Out>{block("big.gif", 1, {big})});
  const size_t limit = install::kHelpLineLimit;
  const std::string fits = std::string(limit - 1, ' ') + "7";
  EXPECT_EQ(parse(text({kStart, std::string(limit + 1, 'p'), "1", kEnd, kStart, "a", fits, kEnd})),
            (std::vector<Out>{block("", 1), block("a", 7)}))
      << "an overlong path is empty; a time line that just fits is read";
  const auto overlong = parse(text({kStart, "a", " " + fits, kEnd}));
  ASSERT_EQ(overlong.size(), 1u);
  EXPECT_TRUE(overlong[0].badTime) << "an overlong time line is bad";
}

TEST(HelpMergeReader, TimeLineReading) {
  struct Row {
    const char* line;
    std::optional<uint32_t> value;
  };
  const Row rows[] = {
      {"0", 0u},
      {"813252608", 813252608u},
      {"  42", 42u},
      {"\t42", 42u},
      {"+7", 7u},
      {"007", 7u},
      {"2147483647", 2147483647u},
      {"4294967295", 4294967295u},  // written unsigned
      {"-1", 4294967295u},          // written signed
      {"-2147483648", 2147483648u},
      {"4294967296", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"-", std::nullopt},
      {"12 ", std::nullopt},
      {"1 2", std::nullopt},
      {"0x10", std::nullopt},
      {"$10", std::nullopt},
      {"1e3", std::nullopt},
      {"1.0", std::nullopt},
      {"\xEF\xBC\x91", std::nullopt},  // full-width digit
      {"\x82\x50", std::nullopt},      // the same in CP932
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(HelpMergeReader::readDosTime(row.line), row.value);
  }
}

TEST(HexDecoder, AnyPiecesGiveTheBytesOrTheFirstBadPair) {
  struct Row {
    const char* text;
    const char* bytes;  // nullptr: fails
    const char* badPair;
  };
  const Row rows[] = {
      {"  4a4B\r\n \t", "JK", ""},   {"4A4", "J", ""},
      {"4A 4B", nullptr, " 4"},      {"4A4 B", nullptr, "4 "},
      {"4A\r\n4B", nullptr, "\r\n"}, {"4G", nullptr, "4G"},
  };
  for (const Row& row : rows) {
    for (size_t piece : {1, 2, 100}) {
      SCOPED_TRACE(testing::PrintToString(std::string(row.text)) + " in pieces of " +
                   std::to_string(piece));
      install::HexDecoder decoder;
      std::string out;
      const std::string_view text(row.text);
      for (size_t k = 0; k < text.size(); k += piece) decoder.feed(text.substr(k, piece), out);
      EXPECT_EQ(decoder.failed(), row.bytes == nullptr);
      if (row.bytes != nullptr) {
        EXPECT_EQ(out, row.bytes);
      }
      EXPECT_EQ(decoder.badPair(), row.badPair);
    }
  }
}

}  // namespace
