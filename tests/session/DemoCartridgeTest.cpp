#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DemoCartridge.h"
#include "host/session/DemoImage.h"

namespace {

// FNV-1a, 64 bits: enough to tell two pictures or recordings apart.
std::uint64_t Hash(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001B3ull;
  return hash;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pixels of a PNG, decoded, so the check does not depend on how the
// encoder compresses.
std::vector<std::uint8_t> Pixels(const std::filesystem::path& path, int& width, int& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

struct DemoRun {
  const char* name;
  int frames;
  std::vector<std::string> holds;
  std::uint64_t pictureHash;
  std::uint64_t soundHash;
};

// The demo cartridge run headless from a fresh folder (no battery file, so
// the boot counter reads 1), compared with the pictures and sound it gave
// when they were checked by eye and ear; by tavrin --headless and by the
// runner's own program alike.
TEST(DemoCartridge, ScriptedRunsShowAndPlayWhatTheyDid) {
  const std::string programs[] = {std::string("'") + TAVRIN_EXECUTABLE + "' --headless",
                                  std::string("'") + TAVRIN_HEADLESS_EXECUTABLE + "'"};
  const DemoRun runs[] = {
      {"title after two seconds", 120, {}, 954799684803141728ull, 10652827272533315940ull},
      {"ship flown right and up, firing", 600,
       {"right@100-180", "up@200-230", "1@300", "1@420", "2@450"},
       9094521449170380025ull, 13046893232934466548ull},
  };
  const std::filesystem::path scratch = std::filesystem::temp_directory_path();
  for (std::size_t index = 0; index < 2 * std::size(runs); ++index) {
    const DemoRun& run = runs[index % std::size(runs)];
    const std::string& program = programs[index / std::size(runs)];
    SCOPED_TRACE(program + ": " + run.name);
    const std::filesystem::path folder =
        scratch / ("tavrin-demo-test-" + std::to_string(::getpid()) + "-" + std::to_string(index));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "demo.sms");
    std::string command = program + " --frames " +
                          std::to_string(run.frames) + " --screenshot '" + (folder / "shot.png").string() +
                          "' --audio '" + (folder / "sound.wav").string() + "'";
    for (const std::string& hold : run.holds) command += " --hold " + hold;
    command += " '" + (folder / "demo.sms").string() + "' >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;

    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels = Pixels(folder / "shot.png", width, height);
    std::vector<std::uint8_t> sound = ReadAll(folder / "sound.wav");
    const bool same = width == 256 && height == 192 && Hash(pixels) == run.pictureHash && Hash(sound) == run.soundHash;
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 192);
    EXPECT_EQ(Hash(pixels), run.pictureHash) << std::hex << Hash(pixels);
    EXPECT_EQ(Hash(sound), run.soundHash) << std::hex << Hash(sound);
    // The demo saves its boot counter once, at start-up.
    EXPECT_EQ(ReadAll(folder / "demo.sav").size(), 32768u);
    // A run that differs keeps its picture and sound to be looked at.
    if (same) {
      std::filesystem::remove_all(folder);
    } else {
      ADD_FAILURE() << "picture and sound kept in " << folder.string();
    }
  }
}

}  // namespace

namespace {

// Whatever lies where the demo copy goes (a changed copy, a pipe that would
// hang a read, a link to an endless device) is replaced by the real bytes.
TEST(DemoCartridge, InstalledCopyIsRepairedWhateverIsThere) {
  std::filesystem::path data = std::filesystem::temp_directory_path() / ("tavrin-demo-" + std::to_string(::getpid()));
  std::filesystem::path copy = data / "tavrin" / "demo.sms";
  const struct {
    const char* name;
    void (*make)(const std::filesystem::path&);
  } cases[] = {
      {"changed bytes", [](const std::filesystem::path& p) { std::ofstream(p) << "not the demo"; }},
      {"pipe", [](const std::filesystem::path& p) { ::mkfifo(p.c_str(), 0644); }},
      {"link to /dev/zero", [](const std::filesystem::path& p) { std::filesystem::create_symlink("/dev/zero", p); }},
  };
  ::setenv("XDG_DATA_HOME", data.c_str(), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(copy.parent_path());
    c.make(copy);
    std::string path;
    const Result installed = InstallDemoImage(path);
    EXPECT_TRUE(installed) << installed.Log();
    EXPECT_EQ(path, copy.string());
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(copy)));
    std::ifstream in(copy, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.size(), DemoCartridgeSize());
    EXPECT_EQ(std::memcmp(bytes.data(), DemoCartridgeData(), DemoCartridgeSize()), 0);
  }
  ::unsetenv("XDG_DATA_HOME");
  std::filesystem::remove_all(data);
}

}  // namespace
