// Runs the probe cartridges of this folder on a console directly, with
// scripted controls on the peripheral under test, and checks what the probe
// read from the ports (its results block in work RAM) or the picture the
// console leaves for the player.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "console/Console.h"

namespace {

std::vector<std::uint8_t> ReadImage(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct ProbeSetup {
  const char* image;
  const char* name = "probe.sms";
  ConsoleKind kind = ConsoleKind::kFromImage;
  Peripheral port1 = Peripheral::kPad;
};

// Loads the probe and runs it for `frames` frames with the same controls
// held throughout (the probes take about ten frames to set the video chip up).
std::unique_ptr<Console> RunProbe(const ProbeSetup& setup, const FrameInput& input, int frames = 30) {
  auto console = std::make_unique<Console>();
  const std::vector<std::uint8_t> image = ReadImage(setup.image);
  console->SetConsoleKind(setup.kind);
  console->SetPeripheral(0, setup.port1);
  EXPECT_TRUE(console->LoadCartridge(image.data(), image.size(), setup.name)) << setup.image;
  console->Reset();
  for (int frame = 0; frame < frames; ++frame) console->RunFrame(input);
  return console;
}

// The probe's results after "TVRN".
std::vector<std::uint8_t> Results(const Console& console, std::size_t count) {
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(console.systemRam), 4), "TVRN");
  return std::vector<std::uint8_t>(console.systemRam + 4, console.systemRam + 4 + count);
}

FrameInput Pointer(int x, int y, int dx, int dy, bool button1, bool button2 = false) {
  FrameInput input;
  input.pointer[0] = {x, y, dx, dy, button1, button2};
  return input;
}

TEST(PeripheralProbes, PortsReadWhatThePeripheralGives) {
  struct Case {
    const char* name;
    const char* image;
    Peripheral peripheral;
    FrameInput input;
    std::vector<std::uint8_t> expected;
  };
  // Light gun: V on the first lit line (two above the aim), the H counter
  // of the aimed column, the trigger (0 pressed). Paddle: the position, the
  // button. Sports pad: X high, X low, Y high, Y low, buttons in bits 4-5
  // (0 pressed), the motion of one frame.
  const Case cases[] = {
      {"gun aimed at 100, 80, trigger pulled", CART_GUN_PROBE, Peripheral::kLightGun, Pointer(100, 80, 0, 0, true),
       {78, 48, 0x00}},
      {"gun aimed at 30, 10", CART_GUN_PROBE, Peripheral::kLightGun, Pointer(30, 10, 0, 0, false), {8, 15, 0x10}},
      {"gun aimed at 200, 150", CART_GUN_PROBE, Peripheral::kLightGun, Pointer(200, 150, 0, 0, false),
       {148, 99, 0x10}},
      {"gun aimed off the picture sees nothing", CART_GUN_PROBE, Peripheral::kLightGun, Pointer(-1, -1, 0, 0, true),
       {0xFF, 0xFF, 0x00}},
      {"a pad on the port: TH stays high", CART_GUN_PROBE, Peripheral::kPad, Pointer(100, 80, 0, 0, true),
       {0xFF, 0xFF, 0x10}},
      {"paddle at 0xA7, button held", CART_PADDLE_PROBE, Peripheral::kPaddle, Pointer(0xA7, 50, 0, 0, true),
       {0xA7, 0x00}},
      {"paddle at 0x1C", CART_PADDLE_PROBE, Peripheral::kPaddle, Pointer(0x1C, 50, 0, 0, false), {0x1C, 0x10}},
      {"paddle past the right edge stops at 0xFF", CART_PADDLE_PROBE, Peripheral::kPaddle,
       Pointer(300, 50, 0, 0, false), {0xFF, 0x10}},
      {"sports pad moving right 5 and up 3", CART_SPORTSPAD_PROBE, Peripheral::kSportsPad,
       Pointer(0, 0, 5, -3, false), {0x30, 0x35, 0x3F, 0x3D}},
      {"sports pad moving fast stops at 127, both buttons", CART_SPORTSPAD_PROBE, Peripheral::kSportsPad,
       Pointer(0, 0, 500, 0, true, true), {0x07, 0x0F, 0x00, 0x00}},
      {"sports pad at rest, button 2", CART_SPORTSPAD_PROBE, Peripheral::kSportsPad, Pointer(0, 0, 0, 0, false, true),
       {0x10, 0x10, 0x10, 0x10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto console = RunProbe({c.image, "probe.sms", ConsoleKind::kFromImage, c.peripheral}, c.input);
    EXPECT_EQ(Results(*console, c.expected.size()), c.expected);
  }
}

TEST(PeripheralProbes, StartIsPauseOnlyInTheGameGearsMasterSystemMode) {
  struct Case {
    const char* name;
    const char* imageName;
    ConsoleKind kind;
    bool start, pause;
    // Pause interrupts taken, port 0x00.
    std::vector<std::uint8_t> expected;
  };
  const Case cases[] = {
      {"Master System image on a Game Gear: Start pauses", "probe.sms", ConsoleKind::kGameGear, true, false,
       {1, 0xFF}},
      {"Master System image on a Game Gear: Pause pauses", "probe.sms", ConsoleKind::kGameGear, false, true,
       {1, 0xFF}},
      {"Game Gear image: Start is read on port 0x00", "probe.gg", ConsoleKind::kFromImage, true, false, {0, 0x7F}},
      {"Master System: the pause button", "probe.sms", ConsoleKind::kFromImage, false, true, {1, 0xFF}},
      {"Game Gear image run as a Master System: Start is nothing", "probe.gg", ConsoleKind::kMasterSystem, false,
       false, {0, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FrameInput input;
    input.start = c.start;
    input.pause = c.pause;
    auto console = RunProbe({CART_PAUSE_PROBE, c.imageName, c.kind}, input);
    EXPECT_EQ(Results(*console, 2), c.expected);
  }
}

TEST(PeripheralProbes, ThePictureShown) {
  struct Pixel {
    int x, y;
    std::uint16_t colour;  // ----BBBBGGGGRRRR
  };
  struct Case {
    const char* name;
    ProbeSetup setup;
    GlassesView view;
    std::vector<Pixel> pixels;
  };
  // The scene's sprites cover columns 32-39 on lines 48-55 and columns
  // 100-107 on lines 49-56; on the Game Gear's screen (its window starts at
  // 48, 24) column c of a group of three from column 8 lands on 48 + 2 (c -
  // 8) / 3, and four lines from line 0 make three.
  const Case cases[] = {
      {"Game Gear's Master System mode: the scaled scene", {CART_GG_SCENE, "scene.sms", ConsoleKind::kGameGear},
       GlassesView::kLeftEye,
       {{48 + 16, 24 + 36, 0xFFF},  // columns 32, 33 and lines 48-51: all white
        {48 + 21, 24 + 41, 0x555},  // column 39 with two of black 40: a third
        {48 + 22, 24 + 36, 0x000},
        {48 + 16, 24 + 42, 0x000},  // lines 56-59 are black
        {48 + 61, 24 + 37, 0xAAA},  // black 99 with two of white 100
        {48 + 62, 24 + 36, 0x444},  // three of black line 48 and one of white 49
        {48 + 62, 24 + 42, 0xBBB},  // three of white line 56 and one of black 57
        {48 + 61, 24 + 36, 0x333},  // both edges at once
        {48 + 62, 24 + 37, 0xFFF},
        {47, 100, 0x000},  // outside the window
        {10, 10, 0x000}}},
      {"3-D glasses, left eye: only the red frames", {CART_GLASSES_PROBE, "probe.sms", ConsoleKind::kFromImage,
       Peripheral::kGlasses}, GlassesView::kLeftEye, {{0, 0, 0x00F}, {255, 191, 0x00F}}},
      {"3-D glasses, red/cyan: red from the left eye, blue from the right",
       {CART_GLASSES_PROBE, "probe.sms", ConsoleKind::kFromImage, Peripheral::kGlasses}, GlassesView::kAnaglyph,
       {{0, 0, 0xF0F}, {128, 100, 0xF0F}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto console = std::make_unique<Console>();
    console->SetGlassesView(c.view);
    const std::vector<std::uint8_t> image = ReadImage(c.setup.image);
    console->SetConsoleKind(c.setup.kind);
    console->SetPeripheral(0, c.setup.port1);
    ASSERT_TRUE(console->LoadCartridge(image.data(), image.size(), c.setup.name));
    console->Reset();
    // Two frames in a row, so both eyes have had theirs.
    for (int frame = 0; frame < 31; ++frame) {
      console->RunFrame(FrameInput{});
      if (frame < 29) continue;
      ASSERT_TRUE(console->ScreenInColours());
      for (const Pixel& p : c.pixels) {
        EXPECT_EQ(console->ScreenColours()[p.y * 256 + p.x], p.colour)
            << "pixel " << p.x << ", " << p.y << " after frame " << frame;
      }
    }
  }
}

}  // namespace
