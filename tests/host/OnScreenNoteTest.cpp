#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/video/OnScreenNote.h"

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

TEST(OnScreenNote, DrawnOverTheBottomForTwoSeconds) {
  struct Case {
    std::uint32_t shownAt, now;
    bool drawn;
  };
  const Case cases[] = {
      {1000, 1000, true}, {1000, 2999, true}, {1000, 3000, false}, {1000, 999, false},
      {0xFFFFFF00u, 0x100, true},  // the millisecond clock wrapped meanwhile
  };
  for (const Case& c : cases) {
    OnScreenNote note;
    note.Show("\xC3\x89tat 1 charg\xC3\xA9", c.shownAt);
    std::vector<std::uint32_t> surface(256 * 192, 0x12345678);
    note.Draw(SurfaceLock{reinterpret_cast<std::uint8_t*>(surface.data()), 256 * 4}, 32, false, c.now);
    std::size_t changedTop = 0, changedBottom = 0;
    for (std::size_t at = 0; at < surface.size(); ++at) (at < 180 * 256 ? changedTop : changedBottom) += surface[at] != 0x12345678;
    EXPECT_EQ(changedTop, 0u) << c.now;
    EXPECT_EQ(changedBottom == 10 * 256, c.drawn) << c.now << ": " << changedBottom;
  }
}

}  // namespace
