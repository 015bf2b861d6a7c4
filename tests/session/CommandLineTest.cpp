#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/input/InputScript.h"
#include "host/session/RunOptions.h"

namespace {

struct Outcome {
  int status;
  std::string errors;
};

// Runs the program with `arguments` (already shell-quoted) and collects its
// exit status and standard error.
Outcome RunTavrin(const std::string& arguments) {
  std::filesystem::path errors = std::filesystem::temp_directory_path() /
                                 ("tavrin-cli-" + std::to_string(::getpid()) + ".err");
  std::string command = std::string("'") + TAVRIN_EXECUTABLE + "' " + arguments + " >/dev/null 2>'" +
                        errors.string() + "'";
  int raw = std::system(command.c_str());
  std::ifstream in(errors);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(errors);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text};
}

std::filesystem::path Scratch(const std::string& name) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tavrin-cli-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder / name;
}

std::string WriteImage(const std::string& name, const std::vector<std::uint8_t>& program) {
  std::vector<std::uint8_t> image(32768, 0);
  std::copy(program.begin(), program.end(), image.begin());
  std::filesystem::path path = Scratch(name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  return path.string();
}

std::vector<char> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(CommandLine, BadInputEndsWithOneClearLineAndAFailingStatus) {
  const std::string image = WriteImage("loop.sms", {0x18, 0xFE});
  const std::string save = WriteImage("game.sav", {0x18, 0xFE});
  const std::string out = "'" + Scratch("out.png").string() + "'";
  const std::string wav = "'" + Scratch("out.wav").string() + "'";
  std::ofstream(Scratch("small.sms")) << "far too small for a cartridge";
  std::filesystem::resize_file((std::ofstream(Scratch("huge.bin")), Scratch("huge.bin")), 524289);
  struct Case {
    const char* name;
    std::string arguments;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"unknown option", "--headless --warp 9", 2, "tavrin: "},
      {"bad depth", "--headless --depth 15 '" + image + "'", 2, "tavrin: "},
      {"bad frame count", "--headless --frames lots '" + image + "'", 2, "tavrin: "},
      {"bad hold", "--headless --hold jump@3 '" + image + "'", 2, "unknown control 'jump'"},
      {"hold without frames", "--headless --hold up '" + image + "'", 2, "needs @FRAME"},
      {"missing image", "--headless --frames 1 --screenshot " + out + " --audio " + wav + " '" +
       Scratch("absent.sms").string() + "'", 1, "tavrin: cannot load cartridge image"},
      {"image named like its battery file", "--headless --frames 1 --screenshot " + out + " '" + save + "'", 1,
       "would be the image itself"},
      {"screenshot over the image", "--headless --frames 1 --screenshot '" + image + "' '" + image + "'", 1,
       "is the cartridge image"},
      {"audio over the screenshot", "--headless --frames 1 --screenshot " + out + " --audio " + out + " '" + image +
       "'", 1, "is the file of --screenshot"},
      {"audio over the battery file", "--headless --frames 1 --audio '" + Scratch("loop.sav").string() + "' '" +
       image + "'", 1, "is the battery file"},
      {"recording too long for a WAV", "--headless --frames 100000000 --audio " + wav + " '" + image + "'", 1,
       "a WAV file holds at most 4 GB"},
      {"hexadecimal frame count", "--headless --frames 0x10 '" + image + "'", 2, "not a decimal number"},
      {"image too small", "--headless --frames 1 '" + Scratch("small.sms").string() + "'", 1,
       "tavrin: cannot load cartridge image"},
      {"unwritable screenshot", "--headless --frames 1 --screenshot /nonexistent/shot.png '" + image + "'", 1,
       "tavrin: cannot write '/nonexistent/shot.png'"},
      {"unwritable audio", "--headless --frames 1 --audio /nonexistent/a.wav '" + image + "'", 1,
       "tavrin: cannot write '/nonexistent/a.wav'"},
      {"unknown board", "--headless --mapper sega2 '" + image + "'", 2, "tavrin: "},
      {"unknown console", "--headless --console nes '" + image + "'", 2, "tavrin: "},
      {"missing boot program", "--headless --frames 1 --bios /nonexistent/bios.sms '" + image + "'", 1,
       "tavrin: cannot use the boot program: '/nonexistent/bios.sms'"},
      {"boot program too large", "--headless --frames 1 --bios '" + Scratch("huge.bin").string() + "' '" + image +
       "'", 1, "a boot program holds at most 524288"},
      // A device is written in place, and a device that takes nothing fails the run.
      {"screenshot on a full device", "--headless --frames 1 --screenshot /dev/full '" + image + "'", 1,
       "tavrin: cannot write '/dev/full': No space left on device"},
      {"audio on a full device", "--headless --frames 1 --audio /dev/full '" + image + "'", 1,
       "tavrin: cannot write '/dev/full': No space left on device"},
      {"state on a full device", "--headless --frames 1 --save-state /dev/full '" + image + "'", 1,
       "tavrin: cannot save state '/dev/full': No space left on device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome outcome = RunTavrin(c.arguments);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_NE(outcome.errors.find(c.message), std::string::npos) << outcome.errors;
  }
  // A refused run leaves no output behind, not even an empty one, and the
  // device is still a device.
  EXPECT_FALSE(std::filesystem::exists(Scratch("out.png")));
  EXPECT_FALSE(std::filesystem::exists(Scratch("out.wav")));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(CommandLine, FrameCountsAreDecimal) {
  const struct {
    const char* text;
    int frames;  // -1: refused
  } cases[] = {{"10", 10}, {"010", 10}, {"0", 0}, {"100000000", 100000000}, {"0x10", -1}, {"1e3", -1},
               {"+5", -1}, {"-1", -1}, {"100000001", -1}, {"99999999999", -1}, {"", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string frames = c.text;
    char program[] = "tavrin", option[] = "--frames";
    char* argv[] = {program, option, frames.data(), nullptr};
    RunOptions options;
    int status = ParseCommandLine(3, argv, options);
    EXPECT_EQ(status, c.frames < 0 ? 2 : -1);
    if (c.frames >= 0) {
      EXPECT_EQ(options.frames, c.frames);
    }
  }
}

TEST(CommandLine, HelpAndVersionSucceed) {
  for (const char* option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    EXPECT_EQ(RunTavrin(option).status, 0);
  }
}

TEST(CommandLine, TheSameRunGivesTheSameBytes) {
  // A tone on channel 0 and noise, then a second tone after a frame's wait.
  const std::string image = WriteImage("tune.sms", {
      0x3E, 0x8E, 0xD3, 0x7F, 0x3E, 0x0F, 0xD3, 0x7F, 0x3E, 0x92, 0xD3, 0x7F,
      0x3E, 0xE5, 0xD3, 0x7F, 0x3E, 0xF6, 0xD3, 0x7F, 0x18, 0xFE});
  std::vector<std::vector<char>> audio, pictures;
  for (int run = 0; run < 2; ++run) {
    std::filesystem::path wav = Scratch("run" + std::to_string(run) + ".wav");
    std::filesystem::path png = Scratch("run" + std::to_string(run) + ".png");
    Outcome outcome = RunTavrin("--headless --frames 30 --audio '" + wav.string() + "' --screenshot '" +
                          png.string() + "' '" + image + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    audio.push_back(ReadAll(wav));
    pictures.push_back(ReadAll(png));
  }
  EXPECT_EQ(audio[0], audio[1]);
  EXPECT_EQ(pictures[0], pictures[1]);
  // 30 frames of 59736 cycles at 48,000 16-bit samples a second.
  ASSERT_GT(audio[0].size(), 44u);
  EXPECT_EQ(audio[0].size() - 44, 2 * (30ull * 59736 * 48000 / 3579545));
  EXPECT_EQ(std::string(audio[0].begin(), audio[0].begin() + 4), "RIFF");
}

// The PNG's size from its header (width and height follow the signature and
// the IHDR chunk's length and type).
std::pair<int, int> PngSize(const std::vector<char>& png) {
  if (png.size() < 24) return {0, 0};
  auto word = [&](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  return {word(16), word(20)};
}

TEST(CommandLine, CropShowsOnlyTheConsolesScreen) {
  struct Case {
    const char* image;
    const char* options;
    std::pair<int, int> size;
  };
  const Case cases[] = {
      {"crop.gg", "", {256, 192}},
      {"crop.gg", "--crop", {160, 144}},
      {"crop.sms", "--crop", {256, 192}},
      {"crop.sms", "--crop --console gg", {160, 144}},
      {"crop.gg", "--crop --console sms", {256, 192}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.image << " " << c.options);
    const std::string image = WriteImage(c.image, {0x18, 0xFE});
    const std::filesystem::path png = Scratch("crop.png");
    Outcome outcome = RunTavrin(std::string("--headless --frames 2 ") + c.options + " --screenshot '" + png.string() +
                                "' '" + image + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(PngSize(ReadAll(png)), c.size);
  }
}

// --mapper chooses the board over what the image says; the log's load line
// names it.
TEST(CommandLine, TheMapperOptionChoosesTheBoard) {
  const std::string image = WriteImage("board.sms", {0x18, 0xFE});
  const struct {
    const char* options;
    const char* line;
  } cases[] = {
      {"", ", 2 pages, no mapper."},
      {"--mapper codemasters", ", 2 pages, Codemasters board."},
      {"--mapper KOREAN8K", ", 2 pages, Korean 8 KB board."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    Outcome outcome = RunTavrin(std::string("--headless --frames 1 ") + c.options + " '" + image + "'");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find(c.line), std::string::npos) << outcome.errors;
  }
}

TEST(InputScript, HoldsCoverTheirFrames) {
  struct Case {
    const char* text;
    int frame;
    std::vector<std::uint8_t> keys;
  };
  const Case cases[] = {
      {"right@10-20", 9, {}},         {"right@10-20", 10, {0xCD}},   {"right@10-20", 20, {0xCD}},
      {"right@10-20", 21, {}},        {"1+2@5", 5, {0x2C, 0x2D}},    {"pause@0", 0, {0x19}},
      {"p2-2+start@3-3", 3, {0x11, 0x1F}}, {"reset@7", 7, {0x13}},
      // The SC-3000's keys by the PC key's name in its key map.
      {"key:A+key:Return@2", 2, {0x1E, 0x1C}}, {"key:Left Shift+key:Page Up@0", 0, {0x2A, 0xC9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " at " << c.frame);
    InputScript script;
    const Result added = script.Add(c.text);
    ASSERT_TRUE(added) << added.Log();
    EXPECT_EQ(script.KeysAt(c.frame), c.keys);
  }
  for (const char* bad : {"up", "up@", "up@5-3", "up@-1", "warp@1", "up@1-x", "@3", "key:F1@1", "key:@1"}) {
    SCOPED_TRACE(bad);
    InputScript script;
    const Result added = script.Add(bad);
    EXPECT_FALSE(added);
    EXPECT_FALSE(added.Log().empty());
  }
}

// Where --aim points each port's pointer, frame by frame: x, y, motion
// since the frame before, buttons.
TEST(InputScript, AimsPointAndGlide) {
  struct Case {
    std::vector<const char*> aims;
    int port, frame;
    PointerInput expected;
  };
  const Case cases[] = {
      {{"100,80@5-9"}, 0, 4, {-1, -1, 0, 0, false, false}},
      {{"100,80@5-9"}, 0, 5, {100, 80, 0, 0, false, false}},
      {{"100,80+1@5-9"}, 0, 9, {100, 80, 0, 0, true, false}},
      {{"100,80@5-9"}, 0, 10, {-1, -1, 0, 0, false, false}},
      {{"100,80@5-9"}, 1, 5, {-1, -1, 0, 0, false, false}},
      {{"p2:-3,200+2+1@0"}, 1, 0, {-3, 200, 0, 0, true, true}},
      {{"0,0:100,-50@10-20"}, 0, 10, {0, 0, 0, 0, false, false}},
      {{"0,0:100,-50@10-20"}, 0, 15, {50, -25, 10, -5, false, false}},
      {{"0,0:100,-50@10-20"}, 0, 20, {100, -50, 10, -5, false, false}},
      {{"0,0@0-9", "30,40@5"}, 0, 5, {30, 40, 30, 40, false, false}},   // the later aim wins
      {{"0,0@0-9", "30,40@5"}, 0, 6, {0, 0, -30, -40, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.aims.back() << " port " << c.port << " at " << c.frame);
    InputScript script;
    for (const char* aim : c.aims) {
      const Result added = script.AddAim(aim);
      ASSERT_TRUE(added) << added.Log();
    }
    const PointerInput got = script.PointerAt(c.port, c.frame);
    EXPECT_EQ(std::tie(got.x, got.y, got.dx, got.dy, got.button1, got.button2),
              std::tie(c.expected.x, c.expected.y, c.expected.dx, c.expected.dy, c.expected.button1,
                       c.expected.button2));
  }
  for (const char* bad : {"1,2", "1,2@", "1@3", "1,2+3@0", "1,2@4-2", "x,2@0", "1,2:3@0", "600,0@0", "p3:1,2@0",
                          "1,2+@0", ",@0"}) {
    SCOPED_TRACE(bad);
    InputScript script;
    const Result added = script.AddAim(bad);
    EXPECT_FALSE(added);
    EXPECT_FALSE(added.Log().empty());
  }
}

}  // namespace
