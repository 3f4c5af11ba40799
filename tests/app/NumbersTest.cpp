// Reading of stored and typed numbers: the lenient port rule and the strict typed rule.
#include <gtest/gtest.h>

#include "app/Numbers.h"

namespace {

TEST(TextToNumber, KeepsOnlySignsDotsAndDigits) {
  struct Row {
    const char* text;
    long double expected;
  } rows[] = {
      {"8080", 8080}, {"8,080", 8080}, {"8080.9", 8080.9L},   {"1.2.3", 0},
      {"abc", 0},     {"", 0},         {"80-", -80},          {" 80 ", 80},
      {"+80", 80},    {"8-0", 0},      {"--80", 0},           {".", 0},
      {".5", 0.5L},   {"5.", 5},       {"ポート８０８０", 0}, {"port 3128", 3128},
      {"-", 0},       {"-80-", 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_DOUBLE_EQ(static_cast<double>(app::TextToNumber(r.text)),
                     static_cast<double>(r.expected));
  }
}

TEST(TypedInteger, AcceptsWhatTheTypedPortBoxAccepts) {
  struct Row {
    const char* text;
    std::optional<int32_t> expected;
  } rows[] = {
      {"0", 0},
      {"8080", 8080},
      {"  8080", 8080},
      {"-1", -1},
      {"+5", 5},
      {"65536", 65536},
      {"$1F", 31},
      {"0x50", std::nullopt},
      {"0X50", std::nullopt},
      {"80a", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"8080 ", std::nullopt},
      {"1.5", std::nullopt},
      {"2147483647", 2147483647},
      {"2147483648", std::nullopt},
      {"-2147483648", INT32_MIN},
      {"$", std::nullopt},
      {"$FFFFFFFF", -1},
      {"$100000000", std::nullopt},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(app::typedInteger(r.text), r.expected);
  }
}

TEST(ProfileInteger, AlsoTakesZeroXForHexadecimal) {
  struct Row {
    const char* text;
    std::optional<int32_t> expected;
  } rows[] = {
      {"1", 1},
      {"0", 0},
      {"0x1f", 31},
      {"0X50", 80},
      {"$1F", 31},
      {"-3", -3},
      {"0x", std::nullopt},
      {"0xG", std::nullopt},
      {"x1", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(app::profileInteger(r.text), r.expected);
  }
}

}  // namespace
