#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "SessionRig.h"

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// Maps the cartridge RAM's second page at 0x8000, writes 0x5A there, unmaps it (the
// cartridge's way of asking for a save) and loops.
std::vector<std::uint8_t> BatteryWriter() {
  std::vector<std::uint8_t> image(2 * 16384, 0);
  const std::uint8_t program[] = {0x3E, 0x08, 0x32, 0xFC, 0xFF, 0x3E, 0x5A, 0x32, 0x00,
                                  0x80, 0x3E, 0x00, 0x32, 0xFC, 0xFF, 0x18, 0xFE};
  std::copy(std::begin(program), std::end(program), image.begin());
  return image;
}

TEST(ArchiveRun, HeadlessRunOfAZipWritesItsBatteryFileBesideTheArchive) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-archive-run-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  WriteAll(folder / "game.zip", MakeArchive(ArchiveKind::kZip, {{"roms/game.sms", BatteryWriter()}}));
  const std::string command = std::string("'") + TAVRIN_EXECUTABLE + "' --headless --frames 10 --screenshot '" +
                              (folder / "x.png").string() + "' '" + (folder / "game.zip").string() +
                              "' >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
  EXPECT_GT(std::filesystem::file_size(folder / "x.png"), 0u);
  const std::vector<std::uint8_t> battery = ReadAll(folder / "game.sav");
  ASSERT_EQ(battery.size(), 32768u);
  EXPECT_EQ(battery[16384], 0x5A);  // 0x08 at 0xFFFC maps the RAM's second page
  std::filesystem::remove_all(folder);
}

class ArchiveSession : public SessionRig {};

TEST_F(ArchiveSession, TheEntrysNameDecidesTheGameGear) {
  struct Case {
    const char* archive;
    ArchiveKind kind;
    const char* entry;
    bool gameGear;
  };
  const Case cases[] = {
      {"pocket.zip", ArchiveKind::kZip, "Pocket.GG", true},
      {"home.7z", ArchiveKind::kSevenZip, "home.sms", false},
      {"pocket.gg.gz", ArchiveKind::kGzip, "ignored", true},
      {"home.sms.gz", ArchiveKind::kGzip, "ignored", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    LogCapture log;
    ASSERT_TRUE(Load(Write(c.archive, MakeArchive(c.kind, {{c.entry, Pages(2)}})))) << session->loadError.log;
    EXPECT_EQ(machine->GameGear(), c.gameGear);
  }
  LogCapture log;
  EXPECT_FALSE(Load(Write("nothing.zip", MakeArchive(ArchiveKind::kZip, {{"readme.txt", Pages(1)}}))));
  EXPECT_NE(session->loadError.log.find("no .sms, .gg, .sg or .sc image inside"), std::string::npos) << session->loadError.log;
}

}  // namespace
