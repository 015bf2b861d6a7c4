#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/display/OnScreenNote.h"

namespace {

std::vector<std::string> Rows(const std::string& text) {
  std::vector<std::string> rows;
  for (const std::vector<int>& line : OnScreenNote::Layout(text)) {
    std::string row;
    for (int glyph : line) row += OnScreenNote::GlyphName(glyph);
    rows.push_back(row);
  }
  return rows;
}

TEST(OnScreenNote, TextIsShownInCapitalsWrappedAtSpaces) {
  struct Case {
    std::string text;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"\xC3\x89tat 3 sauvegard\xC3\xA9", {"\xC3\x89TAT 3 SAUVEGARD\xC3\x89"}},
      {"\xC3\x89tat 3 : made by a newer version of the program",
       {"\xC3\x89TAT 3 : MADE BY A NEWER", "VERSION OF THE PROGRAM"}},
      {"\xC3\xBC \xE2\x82\xAC ~", {"? ? ?"}},  // no glyph: a question mark per character
      {std::string(100, 'x'), {std::string(31, 'X'), std::string(31, 'X'), std::string(31, 'X')}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Rows(c.text), c.rows) << c.text;
}

TEST(OnScreenNote, ShownForTwoSecondsAcrossTheClocksWrap) {
  const std::uint32_t cases[][3] = {{1000, 2999, 1}, {1000, 3000, 0}, {1000, 999, 0}, {0xFFFFFF00u, 0x100, 1}};
  for (const auto& c : cases) {
    OnScreenNote note;
    note.Show("x", c[0]);
    EXPECT_EQ(note.Visible(c[1]), c[2] != 0) << c[0] << " then " << c[1];
  }
}

}  // namespace
