// The built tavrin_libretro.so driven through its entry points by a small
// front end, as RetroArch would drive it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>

#include "TestFrontend.h"

namespace {

std::vector<std::uint8_t> DemoImage() {
  std::ifstream file(TAVRIN_DEMO_SMS, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// One 16 KB page whose loop copies port 0xDC (pad 1, active low) to 0xC100
// and port 0x00 (the Game Gear's Start in bit 7) to 0xC101; the pause NMI
// counts itself at 0xC102.
std::vector<std::uint8_t> PortProbeImage() {
  std::vector<std::uint8_t> image(0x4000, 0x00);
  const std::uint8_t program[] = {
      0x31, 0xF0, 0xDF, 0xAF, 0x32, 0x02, 0xC1,  // ld sp,DFF0; xor a; ld (C102),a
      0xDB, 0xDC, 0x32, 0x00, 0xC1,              // loop: in a,(DC); ld (C100),a
      0xDB, 0x00, 0x32, 0x01, 0xC1, 0x18, 0xF4,  // in a,(00); ld (C101),a; jr loop
  };
  const std::uint8_t nmi[] = {0x21, 0x02, 0xC1, 0x34, 0xED, 0x45};  // ld hl,C102; inc (hl); retn
  std::copy(std::begin(program), std::end(program), image.begin());
  std::copy(std::begin(nmi), std::end(nmi), image.begin() + 0x66);
  return image;
}

TEST(LibretroCore, GeometryFollowsTheContentName) {
  struct Case { const char* path; const char* ext; unsigned width, height; float aspect; };
  const Case cases[] = {
      {"/roms/demo.sms", nullptr, 256, 192, 4.0f / 3.0f},
      {"/roms/DEMO.GG", nullptr, 160, 144, 10.0f / 9.0f},
      {nullptr, "gg", 160, 144, 10.0f / 9.0f},  // no path: the front end's extension decides
      {nullptr, nullptr, 256, 192, 4.0f / 3.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path ? c.path : c.ext ? c.ext : "no name");
    TestFrontend f;
    f.gameExt = c.ext;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(DemoImage(), c.path));
    retro_system_av_info av;
    f.retro_get_system_av_info(&av);
    EXPECT_EQ(av.geometry.base_width, c.width);
    EXPECT_EQ(av.geometry.base_height, c.height);
    EXPECT_FLOAT_EQ(av.geometry.aspect_ratio, c.aspect);
    EXPECT_NEAR(av.timing.fps, 59.92, 0.01);
    EXPECT_EQ(av.timing.sample_rate, 48000.0);
    f.retro_run();
    EXPECT_EQ(f.width, c.width);
    EXPECT_EQ(f.height, c.height);
  }
}

TEST(LibretroCore, RunsTheDemoAndReplaysItFromAState) {
  TestFrontend f;
  ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
  ASSERT_TRUE(f.Load(DemoImage(), "demo.sms"));
  EXPECT_EQ(f.format, RETRO_PIXEL_FORMAT_XRGB8888);
  EXPECT_EQ(f.optionKeys, (std::vector<std::string>{"tavrin_japanese", "tavrin_region", "tavrin_sprite_limit",
                                                 "tavrin_mapper", "tavrin_console", "tavrin_bios", "tavrin_fm",
                                                 "tavrin_glasses"}));
  // Every picture and sample of 150 frames with the ship moving and firing.
  auto run = [&f] {
    f.audio.clear();
    std::vector<std::size_t> pictures;
    for (int frame = 0; frame < 150; ++frame) {
      f.held[0] = frame % 60 < 30 ? 1u << RETRO_DEVICE_ID_JOYPAD_RIGHT : 1u << RETRO_DEVICE_ID_JOYPAD_B;
      f.retro_run();
      pictures.push_back(std::hash<std::string_view>{}({reinterpret_cast<const char*>(f.picture.data()), f.picture.size()}));
    }
    return std::make_pair(pictures, f.audio);
  };
  run();
  const auto state = f.Save();
  ASSERT_FALSE(state.empty());
  const auto [pictures, audio] = run();

  ASSERT_EQ(f.width, 256u);
  ASSERT_EQ(f.height, 192u);
  ASSERT_EQ(f.pitch, 256u * 4);
  EXPECT_NE(pictures.front(), pictures.back());
  // About 801 stereo frames a video frame, both channels alike, not silent.
  EXPECT_NEAR(audio.size() / 2.0 / 150, 48000 / 59.92, 1.0);
  bool sound = false;
  for (std::size_t i = 0; i < audio.size(); i += 2) {
    ASSERT_EQ(audio[i], audio[i + 1]);
    sound |= audio[i] != 0;
  }
  EXPECT_TRUE(sound);

  // Refused states change nothing; the saved one replays the same frames.
  EXPECT_EQ(f.retro_serialize_size(), state.size());
  auto damaged = state;
  damaged[0] ^= 0xFF;
  std::vector<std::uint8_t> small(16);
  const auto before = f.Save();
  EXPECT_FALSE(f.retro_unserialize(state.data(), state.size() - 1));
  EXPECT_FALSE(f.retro_unserialize(damaged.data(), damaged.size()));
  EXPECT_FALSE(f.retro_serialize(small.data(), small.size()));
  EXPECT_EQ(f.Save(), before);
  ASSERT_TRUE(f.retro_unserialize(state.data(), state.size()));
  EXPECT_TRUE(run() == std::make_pair(pictures, audio));
}

TEST(LibretroCore, RetroPadButtonsReachTheConsole) {
  struct Case { const char* path; unsigned device, id; std::uint8_t portDC; int startBit; int pauses; };
  const Case cases[] = {
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_UP, 0xFE, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_DOWN, 0xFD, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_LEFT, 0xFB, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_RIGHT, 0xF7, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_B, 0xEF, -1, 0},  // button 1
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_Y, 0xEF, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_A, 0xDF, -1, 0},  // button 2
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_X, 0xDF, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_L, 0xFF, -1, 0},
      {"p.sms", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_START, 0xFF, -1, 1},  // Pause
      {"p.gg", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_START, 0xFF, 0, 0},    // Start
      {"p.gg", RETRO_DEVICE_JOYPAD, RETRO_DEVICE_ID_JOYPAD_SELECT, 0xFF, 1, 0},
      {"p.sms", RETRO_DEVICE_NONE, RETRO_DEVICE_ID_JOYPAD_UP, 0xFF, -1, 0},  // unplugged
      {"p.sms", RETRO_DEVICE_MOUSE, RETRO_DEVICE_ID_JOYPAD_UP, 0xFF, -1, 0},
      {"p.sms", RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_NONE, 0), RETRO_DEVICE_ID_JOYPAD_UP, 0xFF, -1, 0},  // glasses
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.path << " device " << c.device << " button " << c.id);
    TestFrontend f;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(PortProbeImage(), c.path));
    f.retro_set_controller_port_device(0, c.device);
    f.retro_run();
    f.held[0] = 1u << c.id;
    f.retro_run();
    f.retro_run();
    const auto ram = f.Memory(RETRO_MEMORY_SYSTEM_RAM);
    EXPECT_EQ(ram[0x100], c.portDC);
    if (c.startBit >= 0) {
      EXPECT_EQ(ram[0x101] >> 7, c.startBit);
    }
    EXPECT_EQ(ram[0x102], c.pauses);
  }
}

TEST(LibretroCore, BatteryRamPassesThroughTheFrontEndAcrossLoads) {
  TestFrontend f;
  ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
  std::vector<std::uint8_t> battery;
  for (int boot = 1; boot <= 2; ++boot) {
    SCOPED_TRACE(boot);
    ASSERT_TRUE(f.Load(DemoImage(), "demo.sms"));
    ASSERT_EQ(f.retro_get_memory_size(RETRO_MEMORY_SAVE_RAM), 0x8000u);
    ASSERT_EQ(f.retro_get_memory_size(RETRO_MEMORY_SYSTEM_RAM), 0x2000u);
    ASSERT_EQ(f.memoryMap.size(), 2u);
    EXPECT_EQ(f.memoryMap[0].ptr, f.retro_get_memory_data(RETRO_MEMORY_SYSTEM_RAM));
    EXPECT_EQ(f.memoryMap[0].start, 0xC000u);
    EXPECT_EQ(f.memoryMap[0].disconnect, 0x2000u);
    EXPECT_EQ(f.memoryMap[1].ptr, f.retro_get_memory_data(RETRO_MEMORY_SAVE_RAM));
    // A front end copies its battery file in after loading, before running.
    if (!battery.empty()) std::memcpy(f.retro_get_memory_data(RETRO_MEMORY_SAVE_RAM), battery.data(), battery.size());
    for (int frame = 0; frame < 30; ++frame) f.retro_run();
    battery = f.Memory(RETRO_MEMORY_SAVE_RAM);
    // The demo's page (control value 0x08) is the battery file's second half.
    EXPECT_EQ(std::string(battery.begin() + 0x4000, battery.begin() + 0x4010), "TAVRIN DEMO SAVE");
    EXPECT_EQ(battery[0x4010], boot);                           // the demo's boot counter
    EXPECT_EQ(f.Memory(RETRO_MEMORY_SYSTEM_RAM)[0x13], boot);  // and its copy on screen
    f.retro_unload_game();
    EXPECT_EQ(f.retro_get_memory_data(RETRO_MEMORY_SAVE_RAM), nullptr);
    EXPECT_EQ(f.retro_serialize_size(), 0u);
  }
}

// A refused image says why on screen, through the newer message call where
// the front end has it, and in the log at error level.
TEST(LibretroCore, ARefusedImageSaysWhyOnScreenAndInTheLog) {
  struct Case {
    const char* name;
    std::size_t size;
    unsigned messageVersion;
    const char* shown;
  };
  const Case cases[] = {
      {"too small, new messages", 100, 1, "ext: Tavrin: the cartridge image cannot be used: the image is too small"},
      {"too small, old messages", 100, 0, "plain: Tavrin: the cartridge image cannot be used: the image is too small"},
      {"too large", 257 * 0x4000, 1, "ext: Tavrin: the cartridge image cannot be used: the image is too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrontend f;
    f.messageVersion = c.messageVersion;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    EXPECT_FALSE(f.Load(std::vector<std::uint8_t>(c.size, 0x00), "game.sms"));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].rfind(c.shown, 0), 0u) << f.messages[0];
    const std::string logged = "ERROR " + f.messages[0].substr(f.messages[0].find("Tavrin: "));
    EXPECT_NE(std::find(f.logLines.begin(), f.logLines.end(), logged + "\n"), f.logLines.end()) << logged;
  }
}

// A line the program prints on the homebrew debug console reaches the log.
TEST(LibretroCore, DebugConsoleTextGoesToTheLog) {
  TestFrontend f;
  ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
  std::ifstream in(CART_SDSC_EXIT, std::ios::binary);
  ASSERT_TRUE(f.Load(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), "sdsc_exit.sms"));
  for (int frame = 0; frame < 3; ++frame) f.retro_run();
  EXPECT_NE(std::find(f.logLines.begin(), f.logLines.end(), "INFO answer=42\n"), f.logLines.end());
}

// The cartridge RAM's size as front ends read it: whole right after loading
// (a battery file is copied in then), and 0 once the game runs without ever
// storing anything in it, so no file of 0xFF bytes is written for it.
TEST(LibretroCore, SaveRamIsReportedOnlyWhenItHoldsSomething) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> image;
    bool batteryCopiedIn;
    std::size_t sizeAfterRunning;
  };
  const Case cases[] = {
      {"a game that saves", DemoImage(), false, 0x8000},
      {"a game without battery RAM", PortProbeImage(), false, 0},
      {"a battery file copied in", PortProbeImage(), true, 0x8000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrontend f;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(c.image, "game.sms"));
    EXPECT_EQ(f.retro_get_memory_size(RETRO_MEMORY_SAVE_RAM), 0x8000u);
    if (c.batteryCopiedIn) static_cast<std::uint8_t*>(f.retro_get_memory_data(RETRO_MEMORY_SAVE_RAM))[0x1234] = 0x42;
    for (int frame = 0; frame < 30; ++frame) f.retro_run();
    EXPECT_EQ(f.retro_get_memory_size(RETRO_MEMORY_SAVE_RAM), c.sizeAfterRunning);
  }
}

TEST(LibretroCore, Rgb565WhenXrgb8888IsRefused) {
  std::vector<std::uint8_t> pictures[2];
  for (bool acceptXrgb : {true, false}) {
    TestFrontend f;
    f.acceptXrgb = acceptXrgb;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(DemoImage(), "demo.gg"));
    for (int frame = 0; frame < 120; ++frame) f.retro_run();
    EXPECT_EQ(f.format, acceptXrgb ? RETRO_PIXEL_FORMAT_XRGB8888 : RETRO_PIXEL_FORMAT_RGB565);
    EXPECT_EQ(f.pitch, 160u * (acceptXrgb ? 4 : 2));
    pictures[acceptXrgb] = f.picture;
  }
  // The same picture, each component as near as 5 or 6 bits allow.
  ASSERT_EQ(pictures[0].size() * 2, pictures[1].size());
  auto near = [](unsigned narrow, int bits, unsigned wide) {
    return std::abs(static_cast<int>(narrow * 255 / ((1u << bits) - 1)) - static_cast<int>(wide)) <= (bits == 5 ? 4 : 2);
  };
  for (std::size_t i = 0; i < pictures[0].size() / 2; ++i) {
    std::uint32_t rgb;
    std::uint16_t got;
    std::memcpy(&rgb, &pictures[1][4 * i], 4);
    std::memcpy(&got, &pictures[0][2 * i], 2);
    ASSERT_TRUE(near(got >> 11, 5, rgb >> 16 & 0xFF) && near(got >> 5 & 0x3F, 6, rgb >> 8 & 0xFF) &&
                near(got & 0x1F, 5, rgb & 0xFF))
        << "pixel " << i << ": " << std::hex << got << " for " << rgb;
  }
}

}  // namespace

namespace {

// The options read at load: the console, the board, and the boot program
// from the system folder (which hands over to a cartridge that only loops).
// The region option picks the console: its region and its frame rate reach
// the front end; without one the content's header decides (the demo's is
// an export one).
TEST(LibretroCore, TheRegionOptionSetsRegionAndFrameRate) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> options;
    unsigned region;
    double fps;
  };
  const Case cases[] = {
      {"automatic", {}, RETRO_REGION_NTSC, 59.92},
      {"export PAL", {{"tavrin_region", "eu"}}, RETRO_REGION_PAL, 49.70},
      {"Japanese", {{"tavrin_region", "jp"}}, RETRO_REGION_NTSC, 59.92},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrontend f;
    f.options = c.options;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(DemoImage(), "/roms/demo.sms"));
    EXPECT_EQ(f.retro_get_region(), c.region);
    retro_system_av_info av;
    f.retro_get_system_av_info(&av);
    EXPECT_NEAR(av.timing.fps, c.fps, 0.01);
    EXPECT_EQ(av.geometry.max_height, 240u);  // the PAL console's tallest picture
  }
}

TEST(LibretroCore, LoadOptionsChooseConsoleBoardAndBootProgram) {
  const std::string folder = "/tmp/tavrin-retro-system-" + std::to_string(::getpid());
  std::system(("mkdir -p '" + folder + "'").c_str());
  const std::uint8_t bios[] = {0xF3, 0x31, 0xF0, 0xDF, 0x3E, 0x77, 0x32, 0x11, 0xC0, 0x21, 0x20, 0x00, 0x11,
                               0x00, 0xC1, 0x01, 0x05, 0x00, 0xED, 0xB0, 0xC3, 0x00, 0xC1, 0,    0,    0,
                               0,    0,    0,    0,    0,    0,    0x3E, 0xAB, 0xD3, 0x3E, 0xC7};
  std::ofstream(folder + "/bios.sms", std::ios::binary).write(reinterpret_cast<const char*>(bios), sizeof bios);
  std::vector<std::uint8_t> loop(2 * 16384, 0);
  loop[0] = 0xF3, loop[1] = 0x18, loop[2] = 0xFE;  // DI; JR $
  struct Case {
    const char* name;
    const char* path;
    std::map<std::string, std::string> options;
    unsigned width;
    std::uint8_t biosMark;  // 0xC011: 0x77 once the boot program ran
  };
  const Case cases[] = {
      {"defaults: the boot program runs first", "/roms/loop.sms", {}, 256, 0x77},
      {"boot program disabled", "/roms/loop.sms", {{"tavrin_bios", "disabled"}}, 256, 0xFF},
      {"a Game Gear starts without it", "/roms/loop.gg", {}, 160, 0xFF},
      {"console gg: the handheld's Master System mode", "/roms/loop.sms", {{"tavrin_console", "gg"}}, 160, 0xFF},
      {"board chosen", "/roms/loop.sms", {{"tavrin_mapper", "codemasters"}, {"tavrin_bios", "disabled"}}, 256, 0xFF},
      {"an .sg image is an SG-1000's: no boot program", "/roms/loop.sg", {}, 256, 0xFF},
      {"console sc", "/roms/loop.sms", {{"tavrin_console", "sc"}}, 256, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrontend f;
    f.systemFolder = folder;
    f.options = c.options;
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(loop, c.path));
    for (int frame = 0; frame < 3; ++frame) f.retro_run();
    EXPECT_EQ(f.width, c.width);
    EXPECT_EQ(f.Memory(RETRO_MEMORY_SYSTEM_RAM)[0x11], c.biosMark);
    f.retro_unload_game();
  }
  std::system(("rm -rf '" + folder + "'").c_str());
}

// The FM unit option fits the unit to an export console: a program writing
// 1 to the audio control port reads it back (0xFF without the unit).
TEST(LibretroCore, FmOptionFitsTheUnit) {
  std::vector<std::uint8_t> probe(2 * 16384, 0);
  const std::uint8_t program[] = {0xF3, 0x3E, 0x01, 0xD3, 0xF2, 0xDB, 0xF2, 0x32, 0x11, 0xC0, 0x18, 0xFE};
  std::copy(std::begin(program), std::end(program), probe.begin());
  for (const bool asked : {false, true}) {
    SCOPED_TRACE(asked ? "asked" : "not asked");
    TestFrontend f;
    f.options = {{"tavrin_bios", "disabled"}, {"tavrin_fm", asked ? "enabled" : "disabled"}};
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(probe, "/roms/probe.sms"));
    f.retro_run();
    EXPECT_EQ(f.Memory(RETRO_MEMORY_SYSTEM_RAM)[0x11], asked ? 0x01 : 0xFF);
    f.retro_unload_game();
  }
}

}  // namespace

namespace {

constexpr unsigned kLightGun = RETRO_DEVICE_LIGHTGUN;
constexpr unsigned kPaddle = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_MOUSE, 0);
constexpr unsigned kSportsPad = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_MOUSE, 1);
constexpr unsigned kGlasses = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_NONE, 0);

// The front end's light gun coordinate (-0x7FFF to 0x7FFF across the shown
// picture) at the middle of pixel `pixel` of `size`.
std::int16_t Screen(int pixel, int size) {
  return static_cast<std::int16_t>((2 * pixel + 1) * 0xFFFF / (2 * size) - 0x7FFF);
}

std::vector<std::uint8_t> ReadImage(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

TEST(LibretroCore, EveryPortOffersThePeripherals) {
  TestFrontend f;
  ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
  const std::vector<std::string> devices = {"Control Pad=1", "Light Phaser=4", "Paddle (mouse)=258",
                                            "Sports Pad (mouse)=514", "3-D Glasses=256"};
  EXPECT_EQ(f.portDevices, (std::vector<std::vector<std::string>>{devices, devices}));
}

// The probe cartridges read the peripheral in port 1 (their results follow
// "TVRN" in work RAM) while the front end's light gun or mouse is held the
// same for thirty frames.
TEST(LibretroCore, DeviceTypesFeedThePeripherals) {
  using State = std::map<std::tuple<unsigned, unsigned, unsigned>, std::int16_t>;
  constexpr unsigned gun = RETRO_DEVICE_LIGHTGUN, mouse = RETRO_DEVICE_MOUSE;
  struct Case {
    const char* name;
    const char* image;
    unsigned device;
    State states;
    std::vector<std::uint8_t> expected;
  };
  // Light gun: V on the first lit line, the H counter of the aimed column,
  // the trigger (0 pulled). Paddle: the position, the button (0 held).
  // Sports pad: X high, X low, Y high, Y low, buttons in bits 4-5.
  const Case cases[] = {
      {"gun aimed at 100, 80, trigger pulled", CART_GUN_PROBE, kLightGun,
       {{{0, gun, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X}, Screen(100, 256)},
        {{0, gun, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y}, Screen(80, 192)},
        {{0, gun, RETRO_DEVICE_ID_LIGHTGUN_TRIGGER}, 1}},
       {78, 48, 0x00}},
      {"gun aimed at 200, 150", CART_GUN_PROBE, kLightGun,
       {{{0, gun, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X}, Screen(200, 256)},
        {{0, gun, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y}, Screen(150, 192)}},
       {148, 99, 0x10}},
      {"gun off the screen sees nothing", CART_GUN_PROBE, kLightGun,
       {{{0, gun, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X}, Screen(100, 256)},
        {{0, gun, RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN}, 1}},
       {0xFF, 0xFF, 0x10}},
      {"reloading is a shot off the screen", CART_GUN_PROBE, kLightGun,
       {{{0, gun, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X}, Screen(100, 256)},
        {{0, gun, RETRO_DEVICE_ID_LIGHTGUN_RELOAD}, 1}},
       {0xFF, 0xFF, 0x00}},
      {"a pad in the port: the gun is not read", CART_GUN_PROBE, RETRO_DEVICE_JOYPAD,
       {{{0, gun, RETRO_DEVICE_ID_LIGHTGUN_TRIGGER}, 1}}, {0xFF, 0xFF, 0x10}},
      {"paddle untouched: the middle", CART_PADDLE_PROBE, kPaddle, {}, {0x80, 0x10}},
      {"paddle turned left to the end, button held", CART_PADDLE_PROBE, kPaddle,
       {{{0, mouse, RETRO_DEVICE_ID_MOUSE_X}, -50}, {{0, mouse, RETRO_DEVICE_ID_MOUSE_LEFT}, 1}}, {0x00, 0x00}},
      {"paddle turned right to the end", CART_PADDLE_PROBE, kPaddle,
       {{{0, mouse, RETRO_DEVICE_ID_MOUSE_X}, 50}}, {0xFF, 0x10}},
      {"sports pad moving right 5 and up 3", CART_SPORTSPAD_PROBE, kSportsPad,
       {{{0, mouse, RETRO_DEVICE_ID_MOUSE_X}, 5}, {{0, mouse, RETRO_DEVICE_ID_MOUSE_Y}, -3}},
       {0x30, 0x35, 0x3F, 0x3D}},
      {"sports pad at rest, right button", CART_SPORTSPAD_PROBE, kSportsPad,
       {{{0, mouse, RETRO_DEVICE_ID_MOUSE_RIGHT}, 1}}, {0x10, 0x10, 0x10, 0x10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrontend f;
    f.options = {{"tavrin_bios", "disabled"}};
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    f.retro_set_controller_port_device(0, c.device);  // before loading, as front ends do
    ASSERT_TRUE(f.Load(ReadImage(c.image), "probe.sms"));
    f.states = c.states;
    for (int frame = 0; frame < 30; ++frame) f.retro_run();
    const auto ram = f.Memory(RETRO_MEMORY_SYSTEM_RAM);
    ASSERT_EQ(std::string(ram.begin(), ram.begin() + 4), "TVRN");
    EXPECT_EQ(std::vector<std::uint8_t>(ram.begin() + 4, ram.begin() + 4 + c.expected.size()), c.expected);
  }
}

// The glasses view option changes the picture only while the glasses are in
// a port: the left eye alone, or both eyes mixed.
TEST(LibretroCore, GlassesViewOption) {
  struct Case {
    const char* name;
    unsigned device;
    const char* view;
  };
  const Case cases[] = {
      {"pad, left", RETRO_DEVICE_JOYPAD, "left"},
      {"pad, anaglyph", RETRO_DEVICE_JOYPAD, "anaglyph"},
      {"glasses, left", kGlasses, "left"},
      {"glasses, anaglyph", kGlasses, "anaglyph"},
  };
  std::vector<std::vector<std::uint8_t>> pictures;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrontend f;
    f.options = {{"tavrin_bios", "disabled"}, {"tavrin_glasses", c.view}};
    ASSERT_TRUE(f.Open(TAVRIN_LIBRETRO_CORE));
    ASSERT_TRUE(f.Load(ReadImage(CART_GLASSES_PROBE), "probe.sms"));
    f.retro_set_controller_port_device(1, c.device);  // after loading, as the player does
    for (int frame = 0; frame < 30; ++frame) f.retro_run();
    pictures.push_back(f.picture);
  }
  EXPECT_EQ(pictures[0], pictures[1]);
  EXPECT_NE(pictures[2], pictures[3]);
}

}  // namespace
