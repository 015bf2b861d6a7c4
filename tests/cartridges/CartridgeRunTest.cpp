// Runs the test cartridges of this folder through the headless program and
// checks what they recorded in their battery file and what the screenshot
// shows. Pixels are only compared with each other or classed black and
// non-black, so the checks hold whatever levels the colours convert to.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    return static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
  }
};

struct CartridgeRun {
  std::vector<std::uint8_t> results;  // the bytes after "TVRN"; empty when none were saved
  Picture picture;
  fs::path folder;
};

Picture ReadPng(const fs::path& path) {
  Picture picture;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return {};
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  return picture;
}

// The results block starts with "TVRN" in whichever cartridge RAM page the
// battery file holds it.
std::vector<std::uint8_t> ReadResults(const fs::path& save) {
  std::ifstream in(save, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t at = 0; at + 256 <= bytes.size(); at += 16384) {
    if (std::memcmp(bytes.data() + at, "TVRN", 4) == 0) {
      return std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(at) + 4, bytes.begin() + static_cast<long>(at) + 256);
    }
  }
  return {};
}

// Copies the image into a folder of its own, runs it for 30 frames with the
// given options, and collects the battery file's results and the screenshot.
CartridgeRun RunCartridge(const char* image, const std::string& options) {
  static int runs = 0;
  CartridgeRun run;
  run.folder = fs::temp_directory_path() /
               ("tavrin-cart-" + std::to_string(::getpid()) + "-" + std::to_string(runs++));
  fs::remove_all(run.folder);
  fs::create_directories(run.folder);
  fs::copy_file(image, run.folder / "cart.sms");
  std::string command = std::string("'") + TAVRIN_EXECUTABLE + "' --headless --frames 30 " + options +
                        " --screenshot '" + (run.folder / "shot.png").string() + "' '" +
                        (run.folder / "cart.sms").string() + "' >/dev/null 2>&1";
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  run.results = ReadResults(run.folder / "cart.sav");
  run.picture = ReadPng(run.folder / "shot.png");
  return run;
}

// Removes the run's folder when the test passed; keeps it (and says where)
// when it failed, so the picture can be looked at.
void Finish(const CartridgeRun& run) {
  if (::testing::Test::HasFailure()) {
    std::printf("cartridge run kept in %s\n", run.folder.c_str());
  } else {
    fs::remove_all(run.folder);
  }
}

TEST(SpriteCartridges, StatusFlagsAfterEachScene) {
  struct Case {
    const char* name;
    const char* image;
    const char* options;
    // Per scene: the status after a whole picture, then a second read.
    std::vector<std::uint8_t> expected;
  };
  const Case cases[] = {
      {"8 on a line; 8 and a 9th below them; 9 on a line", CART_SPRITE_LIMIT, "",
       {0x80, 0, 0x80, 0, 0xC0, 0}},
      {"the same without the sprite limit: the flags do not change", CART_SPRITE_LIMIT, "--no-sprite-limit",
       {0x80, 0, 0x80, 0, 0xC0, 0}},
      {"transparent overlap; touching; 9th on the 1st; off the left edge; opaque overlap",
       CART_SPRITE_COLLISION, "", {0x80, 0, 0x80, 0, 0xC0, 0, 0x80, 0, 0xA0, 0}},
      // TMS sprites: four a line, the fifth's number in bits 0-4 with bit 6
      // (the first line with one counts), collisions of set pixels in any
      // colour among the first four, and the last sprite looked at in bits
      // 0-4 otherwise (the end marker, or 31 without one).
      {"TMS: 4; 5; overlap; overlap in colour 0; 5th on the 1st; no end marker; 5th on two lines",
       CART_TMS_SPRITES, "", {0x84, 0x04, 0xC4, 0x04, 0xA2, 0x02, 0xA2, 0x02, 0xC4, 0x04, 0x9F, 0x1F, 0xC6, 0x06}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CartridgeRun run = RunCartridge(c.image, c.options);
    ASSERT_GE(run.results.size(), c.expected.size()) << "no results in the battery file";
    std::vector<std::uint8_t> got(run.results.begin(), run.results.begin() + static_cast<long>(c.expected.size()));
    EXPECT_EQ(got, c.expected);
    Finish(run);
  }
}

enum class Looks { kBlack, kLit, kSameAs, kLitButNot };

// Every pixel of the rectangle x0-x1, y0-y1 (inclusive) looks as said; the
// last two compare with the pixel at refX, refY.
struct Area {
  int x0, y0, x1, y1;
  Looks looks;
  int refX = 0, refY = 0;
};

TEST(SpriteCartridges, PicturesShowWhatTheChipDraws) {
  struct Case {
    const char* name;
    const char* image;
    const char* options;
    std::vector<Area> areas;
  };
  const Case cases[] = {
      {"limit: the 9th in table order (leftmost) is not drawn", CART_SPRITE_LIMIT, "",
       {{0, 48, 7, 55, Looks::kBlack}, {16, 48, 23, 55, Looks::kLit}, {128, 48, 135, 55, Looks::kLit},
        {16, 47, 135, 47, Looks::kBlack}}},
      {"--no-sprite-limit draws the 9th", CART_SPRITE_LIMIT, "--no-sprite-limit",
       {{0, 48, 7, 55, Looks::kLit}, {128, 48, 135, 55, Looks::kLit}}},
      {"Y: 0 starts on line 1, 0xFF on line 0, 0xF8 shows its last row on line 0, 0xD0 ends",
       CART_SPRITE_POSITION, "",
       {{16, 0, 23, 0, Looks::kBlack}, {16, 1, 23, 8, Looks::kLit}, {16, 9, 23, 9, Looks::kBlack},
        {40, 0, 47, 7, Looks::kLit}, {40, 8, 47, 8, Looks::kBlack},
        {64, 0, 71, 0, Looks::kLit}, {64, 1, 71, 1, Looks::kBlack},
        {88, 47, 95, 47, Looks::kBlack}, {88, 48, 95, 55, Looks::kLit}, {88, 56, 95, 56, Looks::kBlack},
        {112, 48, 119, 55, Looks::kBlack}}},
      {"zoom doubles pixels both ways, wrapping from the top too", CART_SPRITE_ZOOM, "",
       {{32, 48, 33, 49, Looks::kLit}, {34, 48, 35, 49, Looks::kBlack}, {32, 50, 33, 51, Looks::kBlack},
        {34, 50, 35, 51, Looks::kLit}, {46, 62, 47, 63, Looks::kLit}, {48, 48, 48, 63, Looks::kBlack},
        {100, 48, 115, 63, Looks::kLit}, {116, 48, 116, 63, Looks::kBlack}, {100, 64, 115, 64, Looks::kBlack},
        {140, 0, 155, 7, Looks::kLit}, {140, 8, 155, 8, Looks::kBlack}}},
      {"collision scene: the lower-numbered sprite is on top", CART_SPRITE_COLLISION, "",
       {{40, 48, 43, 55, Looks::kSameAs, 100, 48}, {36, 48, 39, 55, Looks::kLitButNot, 100, 48},
        {44, 48, 47, 55, Looks::kBlack}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CartridgeRun run = RunCartridge(c.image, c.options);
    if (run.picture.width != 256 || run.picture.height != 192) {
      ADD_FAILURE() << "no 256 x 192 screenshot";
      continue;
    }
    for (const Area& a : c.areas) {
      // The first pixel of the area that does not look as said, if any.
      auto wrong = [&]() -> std::string {
        const std::uint32_t ref = run.picture.At(a.refX, a.refY);
        for (int y = a.y0; y <= a.y1; ++y) {
          for (int x = a.x0; x <= a.x1; ++x) {
            const std::uint32_t pixel = run.picture.At(x, y);
            const bool ok = a.looks == Looks::kBlack    ? pixel == 0
                            : a.looks == Looks::kLit    ? pixel != 0
                            : a.looks == Looks::kSameAs ? pixel == ref && ref != 0
                                                        : pixel != 0 && pixel != ref;
            if (!ok) return "pixel " + std::to_string(x) + ", " + std::to_string(y) + " is " + std::to_string(pixel);
          }
        }
        return "";
      };
      EXPECT_EQ(wrong(), "") << "area " << a.x0 << "," << a.y0 << " - " << a.x1 << "," << a.y1;
    }
    Finish(run);
  }
}

// The sixteen colours of the older (TMS9918) modes as the Master System's
// video chip shows them, in its --BBGGRR form; the host spreads each 2-bit
// level over 0, 85, 170 and 255.
std::uint32_t TmsRgb(int colour) {
  constexpr std::uint8_t kColours[16] = {0x00, 0x00, 0x08, 0x0C, 0x10, 0x30, 0x01, 0x3C,
                                         0x02, 0x03, 0x05, 0x0F, 0x04, 0x33, 0x15, 0x3F};
  const std::uint32_t value = kColours[colour & 15];
  return (value & 3) * 85 << 16 | ((value >> 2) & 3) * 85 << 8 | ((value >> 4) & 3) * 85;
}

// Every pixel of x0-x1, y0-y1 (inclusive) shows TMS colour `colour`.
struct TmsArea {
  int x0, y0, x1, y1;
  int colour;
};

// Each cartridge's comment says which table and register rules its scene
// checks; the areas are what those rules draw.
TEST(TmsCartridges, PicturesFollowTheModeRules) {
  struct Case {
    const char* name;
    const char* image;
    std::vector<TmsArea> areas;
  };
  std::vector<TmsArea> paletteStrip;  // Multicolor lines 0-3: colour k at x 4k-4k+3, 0 showing backdrop 5
  for (int k = 0; k < 16; ++k) paletteStrip.push_back({4 * k, 0, 4 * k + 3, 3, k == 0 ? 5 : k});
  std::vector<TmsArea> multicolor = {{0, 4, 63, 7, 15},  {64, 0, 255, 7, 5},   {0, 8, 3, 11, 9},  {4, 8, 7, 11, 10},
                                     {0, 12, 3, 15, 3},  {4, 12, 7, 15, 12},  {0, 32, 3, 35, 5}, {4, 32, 7, 35, 1},
                                     {0, 36, 7, 39, 15}, {8, 8, 255, 31, 5}};
  multicolor.insert(multicolor.end(), paletteStrip.begin(), paletteStrip.end());
  const Case cases[] = {
      {"Graphics I: name, pattern and colour tables at the registers' bases, colour 0 the backdrop",
       CART_TMS_GRAPHICS1,
       {{24, 16, 27, 23, 9}, {28, 16, 31, 23, 6}, {80, 40, 83, 47, 12}, {84, 40, 87, 47, 4},
        {248, 184, 251, 191, 9}, {252, 184, 255, 191, 6}, {0, 0, 255, 15, 4}, {32, 16, 255, 23, 4}}},
      {"Graphics II: thirds, table bases from register 3 bit 7 and 4 bit 2, their masks",
       CART_TMS_GRAPHICS2,
       {{0, 0, 3, 6, 9}, {4, 0, 7, 6, 6}, {0, 7, 7, 7, 9},                          // A
        {8, 0, 9, 7, 9}, {10, 0, 11, 7, 6}, {12, 0, 13, 7, 9}, {14, 0, 15, 7, 6},  // B: colour bit 3 masked
        {16, 0, 19, 7, 13}, {20, 0, 23, 7, 7},                                      // E: colour 0 shows 7
        {0, 64, 3, 70, 3}, {4, 64, 7, 70, 13}, {0, 71, 7, 71, 3},                   // C: pattern bit 8 masked
        {0, 128, 3, 135, 6}, {4, 128, 7, 135, 9},                                   // D: colour bit 9 masked
        {24, 0, 255, 7, 7}, {0, 8, 255, 63, 7}, {8, 64, 255, 71, 7}}},
      {"Text: 40 columns of 6 pixels from x = 8 in register 7's colours, no sprites", CART_TMS_TEXT,
       {{0, 0, 7, 191, 4}, {248, 0, 255, 191, 4}, {8, 0, 13, 7, 10}, {14, 0, 247, 7, 4},
        {242, 8, 242, 15, 10}, {243, 8, 243, 15, 4}, {244, 8, 244, 15, 10}, {245, 8, 245, 15, 4},
        {246, 8, 246, 15, 10}, {247, 8, 247, 15, 4}, {8, 16, 13, 23, 4}, {14, 16, 19, 23, 10},
        {20, 16, 247, 23, 4}}},
      {"Multicolor: 4 x 4 blocks, names' rows taking pattern bytes in pairs; all 16 colours",
       CART_TMS_MULTICOLOR, multicolor},
      {"TMS sprites: four a line, lower numbers on top, the early clock 32 pixels left", CART_TMS_SPRITES,
       {{16, 48, 23, 55, 15}, {48, 48, 55, 55, 9}, {80, 48, 87, 55, 3}, {112, 48, 119, 55, 5},
        {144, 48, 151, 55, 4}, {16, 47, 151, 47, 4}, {16, 56, 151, 56, 4},
        {40, 96, 47, 103, 9}, {48, 96, 51, 103, 3}, {52, 96, 55, 103, 4},
        {68, 120, 75, 127, 15}, {60, 120, 67, 127, 4}, {76, 120, 107, 127, 4}}},
      {"TMS sprites 16 x 16 magnified: patterns n & ~3 to n | 3 down then across, pixels 2 x 2",
       CART_TMS_SPRITE_SIZE,
       {{16, 48, 19, 63, 15}, {20, 48, 31, 63, 4}, {32, 48, 47, 63, 15}, {16, 64, 27, 79, 4},
        {28, 64, 31, 79, 15}, {32, 64, 47, 79, 4}, {16, 47, 47, 47, 4}, {16, 80, 47, 80, 4},
        {48, 48, 48, 79, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CartridgeRun run = RunCartridge(c.image, "");
    if (run.picture.width != 256 || run.picture.height != 192) {
      ADD_FAILURE() << "no 256 x 192 screenshot";
      continue;
    }
    for (const TmsArea& a : c.areas) {
      std::string wrong;
      for (int y = a.y0; y <= a.y1 && wrong.empty(); ++y) {
        for (int x = a.x0; x <= a.x1 && wrong.empty(); ++x) {
          if (run.picture.At(x, y) != TmsRgb(a.colour)) {
            wrong = "pixel " + std::to_string(x) + ", " + std::to_string(y) + " is " + std::to_string(run.picture.At(x, y));
          }
        }
      }
      EXPECT_EQ(wrong, "") << "area " << a.x0 << "," << a.y0 << " - " << a.x1 << "," << a.y1 << " in colour "
                           << a.colour;
    }
    Finish(run);
  }
}

// The colour a Master System colour RAM byte (--BBGGRR) shows.
std::uint32_t SmsRgb(int value) {
  return (value & 3) * 85 << 16 | ((value >> 2) & 3) * 85 << 8 | ((value >> 4) & 3) * 85;
}

// Every pixel of x0-x1, y0-y1 (inclusive) shows colour RAM value `colour`.
struct SmsArea {
  int x0, y0, x1, y1;
  int colour;
};

std::string FirstWrongPixel(const Picture& picture, const SmsArea& a) {
  for (int y = a.y0; y <= a.y1; ++y) {
    for (int x = a.x0; x <= a.x1; ++x) {
      if (picture.At(x, y) != SmsRgb(a.colour)) {
        return "pixel " + std::to_string(x) + ", " + std::to_string(y) + " is " + std::to_string(picture.At(x, y));
      }
    }
  }
  return "";
}

// Each cartridge's comment says which rule of the video chip its picture
// shows; the areas are what the console draws.
TEST(VideoModeCartridges, PicturesFollowTheChip) {
  constexpr int kWhite = 0x3F, kRed = 0x03, kBlack = 0x00;
  struct Case {
    const char* name;
    const char* image;
    const char* options;
    int height;
    std::vector<SmsArea> areas;
  };
  const Case cases[] = {
      {"192 lines: vertical wrap modulo 224, scroll lock of tiles 24-31, blank left column", CART_MODE4_SCROLL, "",
       192,
       {{0, 0, 7, 191, kRed}, {8, 0, 11, 191, kWhite}, {12, 0, 15, 191, kBlack},
        {16, 94, 191, 94, kBlack}, {16, 95, 191, 96, kWhite}, {16, 97, 191, 97, kBlack}, {16, 0, 191, 0, kBlack},
        {192, 0, 255, 0, kWhite}, {192, 1, 255, 191, kBlack}}},
      {"224 lines: 32-row name table at $3700, row 27 at the bottom; Y $D0 does not end the sprite list",
       CART_MODE_224, "", 224,
       {{0, 215, 99, 215, kBlack}, {0, 216, 99, 223, kWhite}, {108, 216, 255, 223, kWhite},
        {100, 209, 107, 216, kRed}, {100, 217, 107, 223, kWhite}}},
      {"224 lines on a PAL console too", CART_MODE_224, "--region eu", 224,
       {{0, 216, 99, 223, kWhite}, {100, 209, 107, 216, kRed}}},
      {"240 lines on a PAL console: row 29 at the bottom", CART_MODE_240, "--region eu", 240,
       {{0, 231, 255, 231, kBlack}, {0, 232, 255, 239, kWhite}, {100, 209, 107, 216, kRed}}},
      {"no 240 lines on an NTSC console: 192, with the 192-line tables (Y $D0 ends the list)", CART_MODE_240,
       "--region us", 192, {{0, 0, 255, 191, kBlack}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CartridgeRun run = RunCartridge(c.image, c.options);
    if (run.picture.width != 256 || run.picture.height != c.height) {
      ADD_FAILURE() << "no 256 x " << c.height << " screenshot";
      continue;
    }
    for (const SmsArea& a : c.areas) {
      EXPECT_EQ(FirstWrongPixel(run.picture, a), "")
          << "area " << a.x0 << "," << a.y0 << " - " << a.x1 << "," << a.y1 << " in colour " << a.colour;
    }
    Finish(run);
  }
}

// Port readings the cartridges record in their battery file, as the console
// gives them; each cartridge's comment says what each byte checks.
TEST(ConsoleReadingCartridges, ResultsAreTheConsoles) {
  struct Case {
    const char* name;
    const char* image;
    const char* options;
    std::vector<std::uint8_t> expected;
  };
  const Case cases[] = {
      {"Z80: OUT (C),0; MEMPTR after JP cc and CALL cc not taken; SCF and CCF with the Q latch",
       CART_Z80_DETAILS, "", {0x00, 0x28, 0x28, 0x81, 0xA9, 0x90}},
      // Per height (192, 224, 240): the V counter before and after its jump,
      // and where the frame flag is first seen.
      {"NTSC V counter: 00-DA then D5-FF; 00-EA then E5-FF; no 240 lines", CART_VCOUNTER_PROBE, "",
       {0xDA, 0xD5, 0xC0, 0xEA, 0xE5, 0xE0, 0xDA, 0xD5, 0xC0}},
      {"PAL V counter: 00-F2 then BA-FF; 00-FF, 00-02 then CA-FF; 00-FF, 00-0A then D2-FF",
       CART_VCOUNTER_PROBE, "--region eu", {0xF2, 0xBA, 0xC0, 0x02, 0xCA, 0xE0, 0x0A, 0xD2, 0xF0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CartridgeRun run = RunCartridge(c.image, c.options);
    ASSERT_GE(run.results.size(), c.expected.size()) << "no results in the battery file";
    EXPECT_EQ(std::vector<std::uint8_t>(run.results.begin(), run.results.begin() + static_cast<long>(c.expected.size())),
              c.expected);
    Finish(run);
  }
}

// Port 0x7F gives the H counter latched by a rise of TH, not the running
// count: two reads lines apart agree, a later rise latches a larger value,
// a fall latches nothing.
TEST(ConsoleReadingCartridges, TheHCounterIsLatchedByARiseOfTh) {
  CartridgeRun run = RunCartridge(CART_HCOUNTER_PROBE, "");
  ASSERT_GE(run.results.size(), 5u) << "no results in the battery file";
  const std::vector<std::uint8_t>& r = run.results;
  EXPECT_EQ(r[0], r[1]) << "the early rise's value, read twice";
  EXPECT_EQ(r[2], r[3]) << "the late rise's value, read twice";
  EXPECT_GT(r[2], r[0]) << "a rise later in the line latches a larger count";
  EXPECT_EQ(r[4], r[2]) << "a fall latches nothing";
  Finish(run);
}

TEST(BankingCartridges, EveryBankNumberReachesAPage) {
  struct Case {
    int pages;
    const char* image;
  };
  const Case cases[] = {{3, CART_BANKING_3}, {5, CART_BANKING_5}, {6, CART_BANKING_6}, {12, CART_BANKING_12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pages) + " pages");
    CartridgeRun run = RunCartridge(c.image, "");
    ASSERT_GE(run.results.size(), 64u) << "no results in the battery file";
    // A bank below the page count selects that page; a larger one is masked
    // to the next power of two and then wraps onto the pages that exist.
    const int mask = static_cast<int>(std::bit_ceil(static_cast<unsigned>(c.pages))) - 1;
    std::vector<std::uint8_t> expected;
    for (int bank = 0; bank < 64; ++bank) {
      expected.push_back(static_cast<std::uint8_t>(bank < c.pages ? bank : (bank & mask) % c.pages));
    }
    EXPECT_EQ(std::vector<std::uint8_t>(run.results.begin(), run.results.begin() + 64), expected);
    Finish(run);
  }
}

}  // namespace

namespace {

// The whole chain on the headless host: a Master System image started as a
// Game Gear shows its picture scaled into the 160 x 144 screen.
TEST(CompatibilityCartridges, TheCroppedScreenshotIsTheScaledPicture) {
  struct Case {
    const char* name;
    int x, y;
    bool lit;
  };
  // The scene's white sprite on columns 32-39, lines 48-55 lands on screen
  // columns 16-21 and lines 36-41.
  const Case cases[] = {
      {"inside the first sprite", 17, 38, true}, {"left of it", 14, 38, false},
      {"below it", 17, 43, false}, {"the second sprite", 64, 40, true},
  };
  CartridgeRun run = RunCartridge(CART_GG_SCENE, "--console gg --crop");
  ASSERT_EQ(run.picture.width, 160);
  ASSERT_EQ(run.picture.height, 144);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run.picture.At(c.x, c.y) != 0, c.lit);
  }
  Finish(run);
}

}  // namespace

namespace {

// Each of the TMS9918's modes in a scene on an SG-1000, through the
// headless program: the screenshot is its reference picture, pixel for
// pixel (the chip's own colours, sprites over the tiles).
TEST(SgScenes, EachModeShowsItsReferencePicture) {
  struct Case {
    const char* image;
    const char* reference;
  };
  const Case cases[] = {
      {CART_SG_SCENE_graphics1, "sg_scene_graphics1.png"},
      {CART_SG_SCENE_graphics2, "sg_scene_graphics2.png"},
      {CART_SG_SCENE_text, "sg_scene_text.png"},
      {CART_SG_SCENE_multicolor, "sg_scene_multicolor.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    CartridgeRun run = RunCartridge(c.image, "--console sg");
    const Picture reference = ReadPng(fs::path(TAVRIN_REFERENCE_PICTURES) / c.reference);
    ASSERT_EQ(reference.width, 256);
    ASSERT_EQ(run.picture.width, reference.width);
    ASSERT_EQ(run.picture.height, reference.height);
    int differing = 0;
    for (int y = 0; y < reference.height; ++y) {
      for (int x = 0; x < reference.width; ++x) differing += run.picture.At(x, y) != reference.At(x, y);
    }
    EXPECT_EQ(differing, 0) << "pixels unlike the reference; the run's picture is in " << run.folder;
    if (differing == 0) Finish(run);
  }
}

// --aim drives the light gun, paddle and sports pad of a headless run: the
// probes keep what they read after "TVRN" in work RAM, which the save
// state written after the last frame holds.
TEST(PeripheralCartridges, AimScriptsThePointer) {
  struct Case {
    const char* name;
    const char* image;
    const char* options;
    std::vector<std::uint8_t> expected;
  };
  // Light gun: V on the first lit line, the H counter of the aimed column,
  // the trigger (0 pulled). Paddle: the position, the button (0 held).
  // Sports pad: X high, X low, Y high, Y low, buttons in bits 4-5.
  const Case cases[] = {
      {"gun aimed at 100, 80, trigger pulled", CART_GUN_PROBE, "--port1 lightgun --aim 100,80+1@0-29", {78, 48, 0x00}},
      {"gun in port 2 aimed from port 1 sees nothing", CART_GUN_PROBE, "--port2 lightgun --aim 100,80@0-29",
       {0xFF, 0xFF, 0x10}},
      {"paddle at 0xA7, button held", CART_PADDLE_PROBE, "--port1 paddle --aim 167,0+1@0-29", {0xA7, 0x00}},
      {"sports pad gliding right 5 and up 3 a frame", CART_SPORTSPAD_PROBE,
       "--port1 sportspad --aim 0,0:145,-87@0-29", {0x30, 0x35, 0x3F, 0x3D}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path state = fs::temp_directory_path() / ("tavrin-aim-" + std::to_string(::getpid()) + ".state");
    CartridgeRun run = RunCartridge(c.image, std::string(c.options) + " --save-state '" + state.string() + "'");
    std::ifstream in(state, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(state);
    const std::size_t at = bytes.find("TVRN");
    ASSERT_NE(at, std::string::npos) << "no results in the state";
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(at) + 4,
                                        bytes.begin() + static_cast<long>(at + 4 + c.expected.size())),
              c.expected);
    Finish(run);
  }
}

}  // namespace
