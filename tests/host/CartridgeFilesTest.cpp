#include <sys/stat.h>

#include "LogCapture.h"
#include "SessionRig.h"

namespace {

class Cartridge : public SessionRig {};

TEST_F(Cartridge, ImagesLoadOrAreRefusedWithALogLine) {
  struct Case {
    const char* name;
    const char* file;
    std::size_t size;   // bytes; pages of 16 KB numbered from 0 after `header` bytes
    int header;
    bool loads;
    int pageCount;
    int pageMask;
    const char* log;
  };
  const Case cases[] = {
      {"empty file", "empty.sms", 0, 0, false, 0, 0, "too small (0 bytes)"},
      {"100 bytes", "tiny.sms", 100, 0, false, 0, 0, "too small (100 bytes)"},
      {"one page and a byte", "odd.sms", 16385, 1, true, 1, 0,
       "Skipping 1 byte header.\r\nLoaded "},
      {"header of 512", "header.sms", 32 * 16384 + 512, 512, true, 32, 31,
       "Skipping 512 byte header.\r\nLoaded "},
      {"24 pages", "big24.sms", 24 * 16384, 0, true, 24, 31, "Cart Limit Changed\n"},
      {"3 pages", "three.sms", 3 * 16384, 0, true, 3, 3, ", 3 pages, no mapper.\r\n"},
      {"4 MB", "four.sms", 256 * 16384, 0, true, 256, 255, ", 256 pages, Sega board.\r\n"},
      {"4 MB and a page", "huge.sms", 257 * 16384, 0, false, 0, 0, "more than 256 pages"},
      {"spaces in the path", "my game.sms", 2 * 16384, 0, true, 2, 1, "my game.sms, 2 pages, no mapper.\r\n"},
      {"non-ASCII path", "jeu d\xC3\xA9mo \xE2\x98\x85.sms", 2 * 16384, 0, true, 2, 1, ", 2 pages, no mapper.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bytes(c.size, 0xAB);
    for (std::size_t at = c.header; at < c.size; ++at) {
      bytes[at] = static_cast<std::uint8_t>((at - c.header) / Console::kPageSize);
    }
    std::string path = Write(c.file, bytes);
    LogCapture log;
    bool loaded = Load(path.c_str());
    EXPECT_EQ(loaded, c.loads);
    EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
    if (!loaded) continue;
    EXPECT_EQ(machine->cartridge.PageCount(), c.pageCount);
    EXPECT_EQ(machine->cartridge.BankMask(), c.pageMask);
    // The header's bytes appear in no page.
    EXPECT_EQ(machine->cartridge.Page(0)[0], 0);
    EXPECT_EQ(machine->cartridge.Page(c.pageCount - 1)[Console::kPageSize - 1], c.pageCount - 1);
  }
}

TEST_F(Cartridge, UnusablePathsLeaveTheRunningImage) {
  ASSERT_TRUE(Load(Write("good.sms", Pages(2))));
  std::filesystem::create_directories(folder / "folder.sms");
  ASSERT_EQ(::mkfifo((folder / "pipe.sms").c_str(), 0600), 0);  // would block a plain open
  const std::string longPath = (folder / (std::string(300, 'x') + ".sms")).string();
  struct Case {
    const char* name;
    std::string path;
    const char* log;
  };
  const Case cases[] = {
      {"missing image", (folder / "missing.sms").string(), "file error\r\n"},
      {"a directory", (folder / "folder.sms").string(), "file error\r\n"},
      {"a named pipe", (folder / "pipe.sms").string(), "file error\r\n"},
      {"a device", "/dev/zero", "file error\r\n"},
      {"path too long", longPath, "File name too long"},
      {"empty image", Write("none.sms", {}), "too small (0 bytes)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    EXPECT_FALSE(Load(c.path.c_str()));
    EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
    EXPECT_EQ(machine->cartridge.PageCount(), 2);
    EXPECT_EQ(machine->ReadMem(0x4000), 1);
  }
}

TEST_F(Cartridge, GameGearImagesAreNamedByTheirExtension) {
  struct Case {
    const char* file;
    bool gameGear;
    std::uint8_t region;
    const char* log;
  };
  const Case cases[] = {
      {"GAME.GG", true, 0x5C, "Game Gear Mode: Japan\n"},
      {"game.gG", true, 0x60, "Game Gear Mode: Japan/USA/Europe\n"},
      {"game.Gg", true, 0x7F, "Game Gear Mode: USA/Europe\n"},
      {"other.gg", true, 0x4C, "Game Gear Mode: Unknown: 40\n"},
      {"game.ggx", false, 0x70, nullptr},
      {"gamegg", false, 0x70, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::uint8_t> image = Pages(2);
    image[Console::kPageSize + 0x3FFF] = c.region;
    std::string path = Write(c.file, image);
    LogCapture log;
    ASSERT_TRUE(Load(path.c_str()));
    EXPECT_EQ(machine->video.gameGear, c.gameGear);
    if (c.log) {
      EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
    } else {
      EXPECT_EQ(log.text().find("Game Gear"), std::string::npos);
    }
  }
}

// Maps cartridge RAM, writes a marker into each page and switches it out:
// the cartridge's way of asking for a save.
void WriteSave(Console& machine, std::uint8_t marker) {
  machine.WriteMem(0xFFFC, 0x0C);
  machine.WriteMem(0x8000, marker);
  machine.WriteMem(0xFFFC, 0x08);
  machine.WriteMem(0x8000, static_cast<std::uint8_t>(marker + 1));
  machine.WriteMem(0xFFFC, 0x00);
}

TEST_F(Cartridge, BatteryRamFilesAreReadBesideTheImage) {
  struct Case {
    const char* name;
    const char* image;
    const char* save;
    std::size_t saveSize;
    std::uint8_t page0;  // expected at 0x8000 with each page mapped
    std::uint8_t page1;
    const char* log;
  };
  const Case cases[] = {
      {"whole file", "game.sms", "game.sav", 32768, 0x10, 0x10, "Loaded User Ram.\n"},
      {"three-letter extension only", "game.md", "game.md.sav", 32768, 0x10, 0x10, "Loaded User Ram.\n"},
      {"Game Gear keeps its own file", "pocket.gg", "pocket.gg.sav", 32768, 0x10, 0x10, "Loaded User Ram.\n"},
      {"short file: the rest is blank", "short.sms", "short.sav", 100, 0x10, 0xFF, "holds 100 of 32768 bytes"},
      {"no file: blank RAM", "fresh.sms", nullptr, 0, 0xFF, 0xFF, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Leave RAM behind from another image first: it must not leak across.
    ASSERT_TRUE(Load(Write("previous.sms", Pages(2))));
    machine->WriteMem(0xFFFC, 0x08);
    machine->WriteMem(0x8000, 0x77);
    machine->MarkCartridgeRamSaved();
    if (c.save) Write(c.save, std::vector<std::uint8_t>(c.saveSize, 0x10));
    LogCapture log;
    ASSERT_TRUE(Load(Write(c.image, Pages(2))));
    if (c.log) {
      EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
    }
    machine->WriteMem(0xFFFC, 0x0C);
    EXPECT_EQ(machine->ReadMem(0x8000), c.page0);
    machine->WriteMem(0xFFFC, 0x08);
    EXPECT_EQ(machine->ReadMem(0x8000), c.page1);
    machine->WriteMem(0xFFFC, 0x00);
  }
}

TEST_F(Cartridge, SavesGoToTheImagesOwnFileAndNeverCutTheOldOne) {
  ASSERT_TRUE(Load(Write("hero.sms", Pages(2))));
  WriteSave(*machine, 0x40);
  {
    LogCapture log;
    session->SaveBattery();
    EXPECT_EQ(log.text(), "Saved User Ram.\n");
  }
  std::vector<std::uint8_t> saved = Read("hero.sav");
  ASSERT_EQ(saved.size(), 32768u);
  EXPECT_EQ(saved[0], 0x40);
  EXPECT_EQ(saved[16384], 0x41);

  // RAM written and not saved is still owed to hero: loading the next image
  // writes it.
  WriteSave(*machine, 0x50);
  ASSERT_TRUE(Load(Write("pocket.gg", Pages(2))));
  saved = Read("hero.sav");
  EXPECT_EQ(saved[0], 0x50);

  // A Game Gear image writes beside itself, never over the image before it.
  WriteSave(*machine, 0x60);
  session->SaveBattery();
  EXPECT_EQ(Read("hero.sav"), saved);
  EXPECT_EQ(Read("pocket.gg.sav")[0], 0x60);
}

TEST_F(Cartridge, RamStillMappedIsSavedBeforeItIsLost) {
  struct Case {
    const char* name;
    bool replaceImage;  // else destroy the machine
  };
  for (const Case& c : {Case{"load another image", true}, Case{"quit", false}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(folder / "keeper.sav");
    ASSERT_TRUE(Load(Write("keeper.sms", Pages(2))));
    machine->WriteMem(0xFFFC, 0x08);
    machine->WriteMem(0x8000, 0x33);  // kept mapped: no switch-out ever comes
    if (c.replaceImage) {
      ASSERT_TRUE(Load(Write("next.sms", Pages(2))));
    } else {
      ::testing::internal::CaptureStdout();
      session->Shutdown();
      ::testing::internal::GetCapturedStdout();
      session.reset();
    }
    std::vector<std::uint8_t> saved = Read("keeper.sav");
    ASSERT_EQ(saved.size(), 32768u);
    EXPECT_EQ(saved[16384], 0x33);
  }
}

TEST_F(Cartridge, AnUnreadableBatteryFileIsNeverOverwritten) {
  // A folder where the battery file should be: it cannot be read, and the
  // save must not replace it with blank RAM.
  std::filesystem::create_directories(folder / "locked.sav");
  LogCapture log;
  ASSERT_TRUE(Load(Write("locked.sms", Pages(2))));
  EXPECT_NE(log.text().find("cannot be read"), std::string::npos) << log.text();
  WriteSave(*machine, 0x70);
  log.clear();
  session->SaveBattery();
  EXPECT_EQ(log.text().rfind("User Ram Save Error.\ntavrin: ", 0), 0u) << log.text();
  EXPECT_NE(log.text().find("locked.sav"), std::string::npos) << log.text();
  EXPECT_TRUE(std::filesystem::is_directory(folder / "locked.sav"));
}

TEST_F(Cartridge, SaveInAFolderThatCannotBeWrittenKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ASSERT_TRUE(Load(Write("ro.sms", Pages(2))));
  Write("ro.sav", std::vector<std::uint8_t>(32768, 0x21));
  std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  WriteSave(*machine, 0x22);
  LogCapture log;
  session->SaveBattery();
  EXPECT_EQ(log.text().rfind("User Ram Save Error.\n", 0), 0u) << log.text();
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_EQ(Read("ro.sav"), std::vector<std::uint8_t>(32768, 0x21));
}

}  // namespace
