// Every row of the plug-in tables, written out: a name dropped from a row shows here, where the
// other tests build their expected lists from the tables themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/FileTables.h"

namespace {

struct Row {
  size_t count;
  const char* first;
  const char* last;
};

// The names of a row up to its first empty cell.
template <typename Table>
std::vector<std::string> namesOf(const Table& table, size_t row, size_t cells) {
  std::vector<std::string> names;
  for (size_t c = 0; c < cells && !table[row][c].empty(); ++c) names.emplace_back(table[row][c]);
  return names;
}

template <typename Table>
void expectRows(const Table& table, size_t cells, const Row (&rows)[22]) {
  for (size_t r = 0; r < 22; ++r) {
    SCOPED_TRACE("row " + std::to_string(r));
    const auto names = namesOf(table, r, cells);
    ASSERT_EQ(names.size(), rows[r].count);
    if (names.empty()) continue;
    EXPECT_EQ(names.front(), rows[r].first);
    EXPECT_EQ(names.back(), rows[r].last);
  }
}

TEST(FileTables, EveryRowOfTheFirstPass) {
  const Row rows[22] = {
      {9, "MLIT200104.SP_", "MLIT200304.SP_"},
      {8, "MAFF200104.SP_", "BORINGMAFF200207.sp_"},
      {11, "EHIME200104.SP_", "FORMEHIME200404.xl_"},
      {12, "KOCHI200104.SP_", "BORINGKOCHI200304.sp_"},
      {8, "OITA200104.SP_", "FORMOITA200404.XL_"},
      {4, "NEXCO200104.SP_", "BORINGNEXCO200104.sp_"},
      {3, "TOKYO200104.SP_", "CADTOKYO_200104.SP_"},
      {4, "OSAKA200104.SP_", "BORINGOSAKA200104.sp_"},
      {5, "AICHI200104.SP_", "AICHI200207.SP_"},
      {3, "KYOTO200104.SP_", "CADKYOTO_200104.SP_"},
      {4, "HYOGO200104.SP_", "BORINGHYOGO200104.SP_"},
  };
  expectRows(download::StandardFiles1, 12, rows);
}

TEST(FileTables, EveryRowOfTheSecondPass) {
  const Row rows[22] = {
      {16, "MLIT200104.SP_", "BORINGMLIT200404.SP_"},
      {8, "MAFF200104.SP_", "BORINGMAFF200207.SP_"},
      {25, "EHIME200104.SP_", "EHIME200704.SP_"},
      {26, "KOCHI200104.SP_", "FORMKOCHI200506.xl_"},
      {8, "KAGAWA200104.SP_", "BORINGKAGAWA200207.SP_"},
      {6, "JH200104.SP_", "PHOTOJH200207.SP_"},
      {4, "JWA200104.SP_", "BORINGJWA200104.SP_"},
      {9, "YAMAGUCHI200104.SP_", "YAMAGUCHI200304.SP_"},
      {7, "EIZEN200104.SP_", "CADEIZEN_200207.SP_"},
      {29, "MECH200104.SP_", "MECH200806.SP_"},
      {8, "TELE200104.SP_", "BORINGTELE200207.SP_"},
      {4, "KAGAWANS200104.SP_", "BORINGKAGAWANS200104.SP_"},
      {12, "TOKUSHIMA200104.SP_", "BORINGTOKUSHIMA200304.SP_"},
      {6, "YAMAGUCHINR200104.SP_", "PHOTOYAMAGUCHINR200207.SP_"},
      {12, "TOKUSHIMANR200104.SP_", "BORINGTOKUSHIMANR200304.SP_"},
  };
  expectRows(download::StandardFiles2, 80, rows);
}

}  // namespace
