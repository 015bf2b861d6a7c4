#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

TEST(OnScreenNote, TextIsShownAsWrittenWrappedAtSpaces) {
  struct Case {
    std::string text;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"\xC3\x89tat 3 sauvegard\xC3\xA9", {"\xC3\x89tat 3 sauvegard\xC3\xA9"}},
      {"\xC3\x89tat 3 : made by a newer version of the program",
       {"\xC3\x89tat 3 : made by a newer", "version of the program"}},
      {"Capture : Images/Tavrin/demo-20261209-054512-123.png",  // a long word goes on at the next row
       {"Capture :", "Images/Tavrin/demo-20261209-054", "512-123.png"}},
      {"\xC3\xBC \xE2\x82\xAC ~", {"? ? ?"}},  // no glyph: a question mark per character
      {std::string(100, 'x'), {std::string(31, 'x'), std::string(31, 'x'), std::string(31, 'x')}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Rows(c.text), c.rows) << c.text;
}

// The band lies along the bottom of the picture shown, never outside it: the
// Game Gear's screen is a 160 x 144 window of the frame. The accent of an É
// is lit in the band's row above the capital.
TEST(OnScreenNote, TheBandLiesAlongTheBottomOfThePictureShown) {
  struct Case {
    PictureRect picture;
    std::string text;
    int rows;  // of text
  };
  const Case cases[] = {
      {kMasterSystemPicture, "\xC3\x89tat 3", 1},
      {kGameGearPicture, "\xC3\x89tat 3", 1},
      {kGameGearPicture, "\xC3\x89tat 3 : made by a newer version", 2},  // 19 characters a row
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> pixels(256 * 192, 0);
    OnScreenNote note;
    note.Show(c.text, 0);
    note.Draw({reinterpret_cast<std::uint8_t*>(pixels.data()), 256 * 4}, 32, false, 1, c.picture);
    int top = 192, bottom = -1, left = 256, right = -1;
    for (int y = 0; y < 192; ++y) {
      for (int x = 0; x < 256; ++x) {
        if (pixels[static_cast<std::size_t>(y) * 256 + x] == 0) continue;
        top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x), right = std::max(right, x);
      }
    }
    const PictureRect& p = c.picture;
    EXPECT_EQ(left, p.x) << c.text;
    EXPECT_EQ(right, p.x + p.width - 1) << c.text;
    EXPECT_EQ(bottom, p.y + p.height - 1) << c.text;
    EXPECT_EQ(top, p.y + p.height - 10 * c.rows) << c.text;
    // The accent over the first É, in the band's top row; the E below it full height.
    const std::uint32_t* band = pixels.data() + static_cast<std::size_t>(top) * 256 + p.x + 4;
    EXPECT_EQ(band[4] & 0xFFFFFF, 0xFFFFFFu) << c.text;
    EXPECT_EQ(band[256 * 7] & 0xFFFFFF, 0xFFFFFFu) << c.text;  // the E's last row
  }
}

// A loaded state's picture sits above the note's band at the right of the
// picture shown, inside a Game Gear's screen too; the next note drops it, and
// one with no room is left out.
TEST(OnScreenNote, AStatesPictureSitsInsideThePictureShown) {
  struct Case {
    PictureRect picture;
    int width, height;
    bool drawn;
  };
  const Case cases[] = {
      {kMasterSystemPicture, 64, 48, true},
      {kGameGearPicture, 53, 48, true},
      {kGameGearPicture, 200, 48, false},  // wider than the screen
      {kGameGearPicture, 40, 140, false},  // taller than the room above the band
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> pixels(256 * 192, 0);
    OnScreenNote note;
    note.Show("\xC3\x89tat 3 charg\xC3\xA9", 0);
    note.SetPicture(c.width, c.height, std::vector<std::uint8_t>(static_cast<std::size_t>(c.width) * c.height * 3, 0x80));
    note.Draw({reinterpret_cast<std::uint8_t*>(pixels.data()), 256 * 4}, 32, false, 1, c.picture);
    int grey = 0, left = 256, right = -1, top = 192, bottom = -1;
    for (int y = 0; y < 192; ++y) {
      for (int x = 0; x < 256; ++x) {
        if ((pixels[static_cast<std::size_t>(y) * 256 + x] & 0xFFFFFF) != 0x808080) continue;
        ++grey;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    const PictureRect& p = c.picture;
    if (!c.drawn) {
      EXPECT_EQ(grey, 0) << c.width << "x" << c.height;
      continue;
    }
    EXPECT_EQ(grey, c.width * c.height);
    EXPECT_EQ(right, p.x + p.width - 3);
    EXPECT_EQ(bottom, p.y + p.height - 10 - 3);  // above the one-row band
    EXPECT_GE(left, p.x);
    EXPECT_GE(top, p.y);
    // A new note comes without it.
    std::vector<std::uint32_t> again(256 * 192, 0);
    note.Show("Son coup\xC3\xA9", 0);
    note.Draw({reinterpret_cast<std::uint8_t*>(again.data()), 256 * 4}, 32, false, 1, c.picture);
    EXPECT_EQ(std::count(again.begin(), again.end(), 0x808080u), 0);
  }
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
