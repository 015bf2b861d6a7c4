// Save-state slots, rewind and fast-forward as a player uses them on a
// private X server, read back from the demo's frame counter on screen.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <functional>
#include <thread>

#include "host/files/Thumbnail.h"
#include "XSession.h"

namespace {

constexpr const char* kDisplayCaption = "Sega Master System";
constexpr int kWindowTimeoutMs = kPatienceMs;
constexpr int kScale = 2;  // the display window opens at twice the picture

// The demo font's digits (8 x 8, bit 0x80 leftmost), as the demo draws its
// counter: these are what the test reads off the screen.
constexpr std::uint8_t kDigits[10][8] = {
    {0x7C, 0xC6, 0xCE, 0xD6, 0xE6, 0xC6, 0x7C, 0x00}, {0x18, 0x38, 0x18, 0x18, 0x18, 0x18, 0x7E, 0x00},
    {0x7C, 0xC6, 0x06, 0x1C, 0x70, 0xC0, 0xFE, 0x00}, {0x7C, 0xC6, 0x06, 0x3C, 0x06, 0xC6, 0x7C, 0x00},
    {0x1C, 0x3C, 0x6C, 0xCC, 0xFE, 0x0C, 0x0C, 0x00}, {0xFE, 0xC0, 0xFC, 0x06, 0x06, 0xC6, 0x7C, 0x00},
    {0x3C, 0x60, 0xC0, 0xFC, 0xC6, 0xC6, 0x7C, 0x00}, {0xFE, 0x06, 0x0C, 0x18, 0x30, 0x30, 0x30, 0x00},
    {0x7C, 0xC6, 0xC6, 0x7C, 0xC6, 0xC6, 0x7C, 0x00}, {0x7C, 0xC6, 0xC6, 0x7E, 0x06, 0x0C, 0x78, 0x00},
};

class DesktopStates : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    if (!x.Start(24, error)) GTEST_SKIP() << "desktop tests skipped: " << error;
    scratch = folders.Make(std::filesystem::temp_directory_path() /
                           ("tavrin-states-" + std::to_string(::getpid()) + "-" +
                            testing::UnitTest::GetInstance()->current_test_info()->name()));
    ASSERT_TRUE(program.Start(TAVRIN_EXECUTABLE, {},
                              {"DISPLAY=" + x.DisplayName(), "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy",
                               "NO_AT_BRIDGE=1", "HOME=" + scratch.string(), "XDG_DATA_HOME=" + scratch.string(),
                               std::string("LSAN_OPTIONS=suppressions=") + TAVRIN_LSAN_SUPPRESSIONS +
                                   ":print_suppressions=0"},
                              scratch.string()));
    window = x.WaitForWindow(kDisplayCaption, kWindowTimeoutMs);
    ASSERT_NE(window, 0u) << program.Errors();
    x.Focus(window);
    ASSERT_TRUE(WaitFor([&] { return Counter() >= 60; }, kPatienceMs)) << "the demo counts its frames";
  }

  void TearDown() override {
    if (window) {
      x.RequestClose(window);
      int status = -1;
      EXPECT_TRUE(program.Wait(kPatienceMs, status)) << program.Errors();
      EXPECT_EQ(status, 0) << program.Errors();
    }
  }

  // The demo's "FRAMES 00123" at the top of the picture (row 1, columns 10
  // to 14, gold on the bar); -1 when it cannot be read.
  int Counter() {
    int width = 0, height = 0;
    picture = x.Grab(window, width, height);
    if (width != 256 * kScale || height != 192 * kScale) return -1;
    int value = 0;
    for (int column = 10; column < 15; ++column) {
      int digit = -1;
      for (int d = 0; d < 10 && digit < 0; ++d) {
        bool same = true;
        for (int row = 0; row < 8 && same; ++row) {
          for (int bit = 0; bit < 8 && same; ++bit) {
            const int px = (column * 8 + bit) * kScale, py = (8 + row) * kScale;
            const bool lit = (picture[static_cast<std::size_t>(py) * width + px] >> 16) >= 0xAA;  // gold on blue
            same = lit == ((kDigits[d][row] & (0x80 >> bit)) != 0);
          }
        }
        if (same) digit = d;
      }
      if (digit < 0) return -1;
      value = value * 10 + digit;
    }
    return value;
  }

  static bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
  }

  // Pixels of the note's dark band at the bottom of the last grab.
  std::size_t NoteBandPixels() const {
    std::size_t count = 0;
    for (std::size_t at = picture.size() - 512u * 16u; at < picture.size(); ++at) count += picture[at] == 0x202020;
    return count;
  }

  // The program ends first, then its X server; its folders go last.
  ScratchFolders folders;
  XSession x;
  Child program;
  std::filesystem::path scratch;
  Window window = 0;
  std::vector<std::uint32_t> picture;
};

// One session through all three: Shift+F1 saves slot 1 (with a note on
// screen), Tab runs fast, Backspace runs backwards and play carries on when it
// is let go, and F1 brings the saved moment back.
TEST_F(DesktopStates, SlotsFastForwardAndRewind) {
  const std::filesystem::path file = scratch / "tavrin" / "states" / "demo.sms.state1";
  const int before = Counter();
  // Keys are held until the program has acted on them: it reads the keyboard
  // once a frame, and a slow build may take longer than a quick tap.
  x.Key(XK_Shift_L, true);
  x.Key(XK_F1, true);
  const bool written = WaitFor([&] { return std::filesystem::exists(file); }, kPatienceMs);
  x.Key(XK_F1, false);
  x.Key(XK_Shift_L, false);
  ASSERT_TRUE(written) << program.Errors();
  int saved = -1;
  ASSERT_TRUE(WaitFor([&] { return (saved = Counter()) >= before && NoteBandPixels() > 1000; }, kPatienceMs))
      << "a note confirms the save";
  // The picture kept beside the state, shown when it is loaded.
  Thumbnail picture;
  EXPECT_TRUE(WaitFor([&] { return ReadThumbnail(file.string() + ".thumb", picture); }, kPatienceMs));
  EXPECT_EQ(picture.width, 64);
  EXPECT_EQ(picture.height, 48);

  // Frames a second at play, then with Tab held, each over two seconds on
  // the same machine: held, it runs faster than play (several times on an
  // idle machine; a busy one may not even keep up with play).
  const auto rate = [&](int& from, int& to) {
    from = Counter();
    const auto began = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the span measured over, not a wait
    to = Counter();
    return (to - from) / std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  };
  int playFrom = -1, playTo = -1, fastFrom = -1, fast = -1;
  const double play = rate(playFrom, playTo);
  x.Key(XK_Tab, true);
  ASSERT_TRUE(WaitFor([&] { return Counter() > playTo + 8; }, kPatienceMs)) << "Tab is read";
  const double quick = rate(fastFrom, fast);
  x.Key(XK_Tab, false);
  EXPECT_LE(play, 62.0) << playFrom << " to " << playTo;
  EXPECT_GT(quick, 1.5 * play) << fastFrom << " to " << fast << " fast, " << play << " a second at play";

  const int start = Counter();
  x.Key(XK_BackSpace, true);
  int back = -1;
  const bool wentBack = WaitFor([&] { return (back = Counter()) >= 0 && back <= start - 40; }, kPatienceMs);
  x.Key(XK_BackSpace, false);
  ASSERT_TRUE(wentBack) << "from " << start << " the counter only reached " << back;
  const int released = Counter();
  ASSERT_TRUE(WaitFor([&] { return Counter() > released + 20; }, kPatienceMs)) << "play goes on from " << released;

  const int later = Counter();
  x.Key(XK_F1, true);
  int loaded = -1;
  const bool restored = WaitFor([&] { return (loaded = Counter()) >= 0 && loaded < later; }, kPatienceMs);
  x.Key(XK_F1, false);
  ASSERT_TRUE(restored) << "back from " << later;
  EXPECT_GE(loaded, before);
  EXPECT_LE(loaded, saved + 30) << "saved near " << saved << ", loaded " << loaded;
}

// Taps shorter than a frame count once each, even several in one frame:
// Shift+F4 to Shift+F9 pressed and let go at once save six slots, and a
// quick M mutes.
TEST_F(DesktopStates, QuickTapsCountOnce) {
  for (KeySym key = XK_F4; key <= XK_F9; ++key) {
    x.Key(XK_Shift_L, true);
    x.Key(key, true);
    x.Key(key, false);
    x.Key(XK_Shift_L, false);
  }
  const std::filesystem::path states = scratch / "tavrin" / "states";
  const auto saved = [&] {
    int count = 0;
    for (int slot = 4; slot <= 9; ++slot) count += std::filesystem::exists(states / ("demo.sms.state" + std::to_string(slot)));
    return count;
  };
  EXPECT_TRUE(WaitFor([&] { return saved() == 6; }, kPatienceMs)) << saved() << " of six slots saved\n" << program.Errors();

  const std::filesystem::path conf = scratch / ".config" / "tavrin" / "tavrin.conf";
  x.Key(XK_m, true);
  x.Key(XK_m, false);
  EXPECT_TRUE(WaitFor(
      [&] {
        std::ifstream in(conf);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return text.find("muted=true") != std::string::npos;
      },
      kPatienceMs))
      << program.Errors();
}

// The frame-rate figure (F shows it) counts the frames emulated: about 60 a
// second at play, several times that while Tab runs fast. A sign in the
// top-right corner shows fast-forward and rewind while they act.
TEST_F(DesktopStates, FrameRateFollowsFastForwardAndSignsShowPlay) {
  // The figure's digits, as the program draws them (white, 8 x 8).
  static constexpr std::uint8_t kFigure[10][8] = {
      {0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00}, {0x00, 0x08, 0x18, 0x08, 0x08, 0x08, 0x1C, 0x00},
      {0x00, 0x7E, 0x02, 0x3E, 0x40, 0x40, 0x7E, 0x00}, {0x00, 0x7E, 0x02, 0x0E, 0x02, 0x02, 0x7E, 0x00},
      {0x00, 0x0C, 0x14, 0x24, 0x7E, 0x04, 0x04, 0x00}, {0x00, 0x7E, 0x40, 0x7C, 0x02, 0x02, 0x7E, 0x00},
      {0x00, 0x7E, 0x40, 0x7E, 0x42, 0x42, 0x7E, 0x00}, {0x00, 0x7E, 0x02, 0x04, 0x08, 0x10, 0x20, 0x00},
      {0x00, 0x7E, 0x42, 0x7E, 0x42, 0x42, 0x7E, 0x00}, {0x00, 0x7E, 0x42, 0x7E, 0x02, 0x02, 0x02, 0x00},
  };
  const auto figure = [&] {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> p = x.Grab(window, width, height);
    if (width != 256 * kScale || height != 192 * kScale) return -1;
    int value = 0;
    for (int place = 0; place < 3; ++place) {
      int digit = -1;
      for (int d = 0; d < 10 && digit < 0; ++d) {
        bool same = true;
        for (int row = 0; row < 8 && same; ++row) {
          for (int bit = 0; bit < 8 && same; ++bit) {
            const bool lit = p[static_cast<std::size_t>(row * kScale) * width + (place * 8 + bit) * kScale] == 0xFFFFFF;
            same = lit == ((kFigure[d][row] & (0x80 >> bit)) != 0);
          }
        }
        if (same) digit = d;
      }
      if (digit < 0) return -1;
      value = value * 10 + digit;
    }
    return value;
  };
  // Dark box pixels in the top-right corner, where the sign goes.
  const auto sign = [&] {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> p = x.Grab(window, width, height);
    int count = 0;
    for (int y = 2 * kScale; y < 12 * kScale && y < height; ++y) {
      for (int column = (256 - 22) * kScale; column < width; ++column) count += p[static_cast<std::size_t>(y) * width + column] == 0x202020;
    }
    return count > 100;
  };
  x.Key(XK_f, true);
  x.Key(XK_f, false);
  // At play the figure is the console's rate or, on a machine too busy to
  // keep up, below it (a span that catches up after a stall may show a
  // little more); with Tab held it shows the frames emulated, well above
  // what play showed.
  int rate = -1;
  EXPECT_TRUE(WaitFor([&] { return (rate = figure()) > 0 && rate <= 62; }, kPatienceMs)) << rate;
  const int play = rate;
  EXPECT_FALSE(sign());
  x.Key(XK_Tab, true);
  const bool fast = WaitFor([&] { return (rate = figure()) > play * 3 / 2; }, kPatienceMs);
  const bool fastSign = WaitFor(sign, kPatienceMs);
  x.Key(XK_Tab, false);
  EXPECT_TRUE(fast) << rate << " fast, " << play << " at play";
  EXPECT_TRUE(fastSign);
  EXPECT_TRUE(WaitFor([&] { return (rate = figure()) > 0 && rate <= 62 && !sign(); }, kPatienceMs)) << rate;
  x.Key(XK_BackSpace, true);
  const bool rewindSign = WaitFor(sign, kPatienceMs);
  x.Key(XK_BackSpace, false);
  EXPECT_TRUE(rewindSign);
  EXPECT_TRUE(WaitFor([&] { return !sign(); }, kPatienceMs));
}

// F12 writes the picture to the pictures folder, named in a note; M mutes
// with a note and the settings file keeps it.
TEST_F(DesktopStates, ScreenshotAndMuteKeys) {
  const auto shots = [&] {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch)) {
      if (entry.path().extension() == ".png") found.push_back(entry.path());
    }
    return found;
  };
  ASSERT_TRUE(shots().empty());
  x.Key(XK_F12, true);
  const bool shot = WaitFor([&] { return shots().size() == 1; }, kPatienceMs);
  x.Key(XK_F12, false);
  ASSERT_TRUE(shot) << program.Errors();
  EXPECT_EQ(shots()[0].parent_path().filename(), "Tavrin");
  EXPECT_EQ(shots()[0].filename().string().rfind("demo-", 0), 0u) << shots()[0];
  EXPECT_GT(std::filesystem::file_size(shots()[0]), 100u);
  EXPECT_TRUE(WaitFor([&] { return Counter() >= 0 && NoteBandPixels() > 1000; }, kPatienceMs)) << "a note names the file";

  const std::filesystem::path conf = scratch / ".config" / "tavrin" / "tavrin.conf";
  const auto mutedInFile = [&] {
    std::ifstream in(conf);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.find("muted=true") != std::string::npos;
  };
  x.Key(XK_m, true);
  const bool muted = WaitFor(mutedInFile, kPatienceMs);
  x.Key(XK_m, false);
  ASSERT_TRUE(muted) << program.Errors();
  const int released = Counter();  // the release is seen before the next press
  ASSERT_TRUE(WaitFor([&] { return Counter() > released + 2; }, kPatienceMs));
  x.Key(XK_m, true);
  const bool back = WaitFor([&] { return !mutedInFile(); }, kPatienceMs);
  x.Key(XK_m, false);
  EXPECT_TRUE(back) << "a second M brings the sound back";
}

}  // namespace
