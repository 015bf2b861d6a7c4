#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "LogCapture.h"
#include "host/session/Session.h"
#include "desktop/MenuCommands.h"
#include "headless/HeadlessDisplay.h"
#include "host/display/PictureFilter.h"
#include "headless/HeadlessMessageBox.h"
#include "headless/ScriptedInput.h"

namespace {

// The menu's commands on a session built on a headless display.
class MenuCommandsTest : public testing::Test {
 protected:
  void SetUp() override { session.Startup(HostParts{&display, &input, &box}); }
  void TearDown() override { session.Shutdown(); }

  HeadlessMessageBox box;
  HeadlessDisplay display;
  ScriptedInput input;
  Session session;
  MenuCommands menu{session, &box};
};

TEST_F(MenuCommandsTest, WindowSizesAreWholeMultiplesOfThePicture) {
  struct Case {
    int scale;
    int width, height;
    int centred;  // times Centre was called by then
  };
  // The headless display tells no work area: nothing limits the scale.
  const int centredAtStart = display.centreCount;
  const Case cases[] = {
      {3, 768, 576, 1}, {3, 768, 576, 2},  // the checked item again resizes and centres again
      {1, 256, 192, 3}, {4, 1024, 768, 4}, {2, 512, 384, 5},
      {0, 512, 384, 5}, {5, 512, 384, 5},  // no such item: nothing happens
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    menu.SetScale(c.scale);
    EXPECT_EQ(display.windowWidth, c.width);
    EXPECT_EQ(display.windowHeight, c.height);
    EXPECT_EQ(display.centreCount - centredAtStart, c.centred);
  }
}

TEST_F(MenuCommandsTest, JapaneseSpriteLimitAndPalMarksAndReset) {
  EXPECT_EQ(session.console.exportConsole, 1);
  menu.SetJapanese(true);
  EXPECT_EQ(session.console.exportConsole, 0);
  menu.SetJapanese(false);
  EXPECT_EQ(session.console.exportConsole, 1);

  EXPECT_TRUE(session.console.video.spriteLimit) << "the console's 8 sprites a line by default";
  menu.SetNoSpriteLimit(true);
  EXPECT_FALSE(session.console.video.spriteLimit);
  menu.SetNoSpriteLimit(false);
  EXPECT_TRUE(session.console.video.spriteLimit);

  // PAL runs the export PAL console at its own timing; the two marks
  // exclude each other.
  menu.SetJapanese(true);
  menu.SetPal(true);
  EXPECT_TRUE(menu.PalMark());
  EXPECT_FALSE(menu.JapaneseMark());
  EXPECT_EQ(session.console.CurrentRegion(), Region::kExportPal);
  EXPECT_EQ(session.console.timing.linesPerFrame, 313);
  menu.SetJapanese(true);
  EXPECT_FALSE(menu.PalMark());
  EXPECT_EQ(session.console.timing.linesPerFrame, 262);
  menu.SetJapanese(false);
  menu.SetPal(false);
  EXPECT_FALSE(menu.PalMark());
  EXPECT_EQ(session.console.CurrentRegion(), Region::kExport);

  // Reset before any cartridge: the display gets the focus, nothing runs.
  const int focused = display.focusCount;
  menu.Reset();
  EXPECT_EQ(display.focusCount, focused + 1);
  EXPECT_FALSE(session.cartridgeLoaded);

  // A refused image changes nothing, and says so in a box at every attempt.
  LogCapture log;
  menu.LoadCartridge("/nonexistent/cartridge.sms");
  menu.LoadCartridge("/nonexistent/cartridge.sms");
  EXPECT_FALSE(session.cartridgeLoaded);
  EXPECT_EQ(display.focusCount, focused + 1);
  const std::string box = "[Erreur de cartouche] « /nonexistent/cartridge.sms » : Aucun fichier ou dossier de ce type.\n";
  const std::size_t first = log.text().find(box);
  ASSERT_NE(first, std::string::npos) << log.text();
  EXPECT_NE(log.text().find(box, first + 1), std::string::npos) << log.text();
}

// A Game Gear image: the caption names it, the window shows the handheld's
// 160 x 144 at the chosen scale; a Master System image brings the whole
// frame back.
TEST_F(MenuCommandsTest, LoadingNamesTheImageAndShapesTheWindowToItsConsole) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tavrin-menu-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  struct Case {
    const char* name;
    const char* caption;
    PictureRect picture;
    int width, height;
  };
  const Case cases[] = {
      {"handheld.gg", "Sega Game Gear — handheld.gg", kGameGearPicture, 480, 432},
      {"home.sms", "Sega Master System — home.sms", kMasterSystemPicture, 768, 576},
  };
  menu.SetScale(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / c.name, std::filesystem::copy_options::overwrite_existing);
    LogCapture quiet;
    menu.LoadCartridge((folder / c.name).c_str());
    ASSERT_TRUE(session.cartridgeLoaded);
    EXPECT_EQ(display.caption, c.caption);
    EXPECT_EQ(display.picture, c.picture);
    EXPECT_EQ(display.windowWidth, c.width);
    EXPECT_EQ(display.windowHeight, c.height);
  }
  menu.SetScale(2);
  std::filesystem::remove_all(folder);
}

// "Pixels 8:7" widens a Master System picture (and its window) by 8/7 at
// every scale, leaves the Game Gear's own screen as it is, and comes back
// to square pixels; "Filtre" and "Rémanence LCD" reach the display and the
// presenter.
TEST_F(MenuCommandsTest, PixelShapeWidensTheWindowAndFiltersReachTheDisplay) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tavrin-shape-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "handheld.gg", std::filesystem::copy_options::overwrite_existing);
  struct Case {
    const char* name;
    bool gameGear, pixelAspect;
    int scale, width, height;
  };
  const Case cases[] = {
      {"square at twice", false, false, 2, 512, 384},     {"8:7 at twice", false, true, 2, 586, 384},
      {"8:7 at three times", false, true, 3, 879, 576},   {"8:7 at once", false, true, 1, 293, 192},
      {"the Game Gear keeps its pixels", true, true, 2, 320, 288},
      {"square again", false, false, 2, 512, 384},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.gameGear) {
      LogCapture quiet;
      menu.LoadCartridge((folder / "handheld.gg").c_str());
      ASSERT_TRUE(session.cartridgeLoaded);
    } else {
      display.picture = kMasterSystemPicture;
    }
    menu.SetPixelAspect(c.pixelAspect);
    menu.SetScale(c.scale);
    EXPECT_EQ(display.windowWidth, c.width);
    EXPECT_EQ(display.windowHeight, c.height);
  }
  std::filesystem::remove_all(folder);

  menu.SetFilter(PictureFilter::kScanlines);
  EXPECT_EQ(display.filter, PictureFilter::kScanlines);
  menu.SetLcdGhosting(true);
  EXPECT_TRUE(session.presenter.lcdGhosting);
  menu.SetFilter(PictureFilter::kNone);
  menu.SetLcdGhosting(false);
  EXPECT_EQ(display.filter, PictureFilter::kNone);
  EXPECT_FALSE(session.presenter.lcdGhosting);
}

// "Fermer la ROM" saves the cartridge RAM to its battery file and leaves
// nothing running; with nothing loaded it does nothing.
TEST_F(MenuCommandsTest, ClosingTheRomSavesItsRam) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tavrin-menu-close-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "demo.sms", std::filesystem::copy_options::overwrite_existing);
  LogCapture quiet;
  menu.LoadCartridge((folder / "demo.sms").c_str());
  ASSERT_TRUE(session.cartridgeLoaded);
  session.console.CartridgeRam()[0] = 0x5A;
  session.console.cartridgeRamDirty = true;
  menu.CloseCartridge();
  EXPECT_FALSE(session.cartridgeLoaded);
  EXPECT_EQ(display.caption, "Sega Master System");
  int saved = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".sav") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    saved += in.get() == 0x5A;
  }
  EXPECT_EQ(saved, 1) << "the RAM went to its battery file";
  menu.CloseCartridge();  // nothing left to close
  EXPECT_FALSE(session.cartridgeLoaded);
  std::filesystem::remove_all(folder);
}

// "Ports de manette" plugs a device in (out-of-range choices change
// nothing); "BIOS…" refuses a file it cannot read, in a box, and "Aucun"
// takes the boot program out.
TEST_F(MenuCommandsTest, PortsAndBios) {
  menu.SetPort(1, static_cast<int>(Peripheral::kPaddle));
  menu.SetPort(2, static_cast<int>(Peripheral::kLightGun));
  menu.SetPort(0, kPeripheralCount);
  EXPECT_EQ(session.console.GetPeripheral(0), Peripheral::kPad);
  EXPECT_EQ(session.console.GetPeripheral(1), Peripheral::kPaddle);
  LogCapture log;
  EXPECT_FALSE(menu.ChooseBios("/nonexistent/bios.sms"));
  EXPECT_NE(log.text().find("[BIOS] "), std::string::npos) << log.text();
  EXPECT_TRUE(menu.ChooseBios(nullptr));
  EXPECT_FALSE(session.console.HasBios());
}

// "Carte" and "Console" load the running image again with the choice.
TEST_F(MenuCommandsTest, BoardAndConsoleChoicesReloadTheRunningImage) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tavrin-menu-board-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "demo.sms", std::filesystem::copy_options::overwrite_existing);
  LogCapture quiet;
  menu.LoadCartridge((folder / "demo.sms").c_str());
  ASSERT_TRUE(session.cartridgeLoaded);
  const struct {
    const char* name;
    void (MenuCommands::*command)(int);
    int value;
    Board board;
    bool handheld;
  } cases[] = {
      {"Codemasters", &MenuCommands::SetBoard, 2, Board::Codemasters, false},
      {"Game Gear", &MenuCommands::SetConsole, 2, Board::Codemasters, true},
      {"automatic board", &MenuCommands::SetBoard, -1, Board::None, true},
      {"the image's console", &MenuCommands::SetConsole, 0, Board::None, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    (menu.*c.command)(c.value);
    EXPECT_EQ(session.console.cartridge.LoadedBoard(), c.board);
    EXPECT_EQ(session.console.GameGear(), c.handheld);
    EXPECT_EQ(display.picture, c.handheld ? kGameGearPicture : kMasterSystemPicture);
  }
  std::filesystem::remove_all(folder);
}

// "Unité FM" fits the unit to the export console running the image (loaded
// again); "Enregistrer le son (VGM)…" writes the frames run meanwhile, named
// after the image, and a second stop has nothing to finish.
TEST_F(MenuCommandsTest, FmUnitAndSoundLog) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tavrin-menu-fm-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "demo.sms", std::filesystem::copy_options::overwrite_existing);
  LogCapture quiet;
  menu.LoadCartridge((folder / "demo.sms").c_str());
  ASSERT_TRUE(session.cartridgeLoaded);
  EXPECT_FALSE(session.console.FmUnit());
  menu.SetFmUnit(true);
  EXPECT_TRUE(session.console.FmUnit());
  menu.SetFmUnit(false);
  EXPECT_FALSE(session.console.FmUnit());

  ASSERT_TRUE(menu.StartSoundLog((folder / "demo.vgm").c_str()));
  for (int frame = 0; frame < 60; ++frame) session.RunFrame();
  menu.StopSoundLog();
  EXPECT_FALSE(session.SoundLogOn());
  std::ifstream in(folder / "demo.vgm", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 0x100u);
  EXPECT_EQ(bytes.substr(0, 4), "Vgm ");
  std::string game;  // the GD3 tag's first string, UTF-16
  const std::size_t gd3 = 0x14 + static_cast<std::uint8_t>(bytes[0x14]) + (static_cast<std::uint8_t>(bytes[0x15]) << 8) +
                          (static_cast<std::uint8_t>(bytes[0x16]) << 16);
  for (std::size_t at = gd3 + 12; at + 1 < bytes.size() && (bytes[at] || bytes[at + 1]); at += 2) game += bytes[at];
  EXPECT_EQ(game, "demo");
  EXPECT_FALSE(menu.StartSoundLog((folder / "no such folder" / "x.vgm").c_str()));
  std::filesystem::remove_all(folder);
}

}  // namespace
