#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "LogCapture.h"
#include "host/settings/Settings.h"

namespace {

class SettingsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("tavrin-settings-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    path = (folder / "tavrin" / "tavrin.conf").string();
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  void WriteText(const std::string& file, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string ReadText(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

  std::filesystem::path folder;
  std::string path;
};

TEST_F(SettingsFiles, EverySettingComesBackAsSaved) {
  WriteText(path, "# kept\n[future]\nlayout=wide\n");
  SettingsFile file(path);
  file.Load();
  Settings& s = file.values;
  s.windowScale = 3;
  s.integerScaling = true;
  s.fullscreen = true;
  s.japanese = true;
  s.fm = true;
  s.spriteLimit = false;
  s.bios = "/home/joueur/bios.sms";
  s.filter = "scanlines";
  s.lcdGhosting = true;
  s.pixelAspect = true;
  s.port[0] = "lightgun";
  s.port[1] = "sportspad";
  s.glasses = "anaglyph";
  s.volume = 40;
  s.muted = true;
  s.lastFolder = "/home/joueur/Jeux; et [autres]";
  s.recentImages = {"/a/b;c.zip", "/a/été=1.sms", "/a/x\\y.gg"};
  s.keyBindings = {{"haut", "Up"}, {"pause", ""}};
  s.padBindings = {{"030000005e0400008e02000010010000", {{"bouton-1", "a"}}}};
  const Result saved = file.Save();
  ASSERT_TRUE(saved) << saved.Log();

  LogCapture log;
  SettingsFile again(path);
  again.Load();
  EXPECT_EQ(again.values, s);
  EXPECT_EQ(log.text(), "");
  // Keys of a newer version stay in the file.
  EXPECT_NE(ReadText(path).find("layout=wide"), std::string::npos) << ReadText(path);
}

TEST_F(SettingsFiles, BadFilesGiveDefaultsOneLogLineAndAreNeverLost) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    std::function<void(Settings&)> expected;  // from the defaults
    int logLines;
    bool keptAsBad;
    bool canSave;
  };
  const std::string malformed = "this is no key file\n[[[\n";
  const Case cases[] = {
      {"missing", [] {}, [](Settings&) {}, 0, false, true},
      {"malformed", [&] { WriteText(path, malformed); }, [](Settings&) {}, 1, true, true},
      {"not UTF-8", [&] { WriteText(path, "[window]\nscale=3\n[\xff\xfe]\nname=x\n"); }, [](Settings&) {}, 1, true, true},
      {"unreadable (a folder)", [&] { std::filesystem::create_directories(path); }, [](Settings&) {}, 1, false,
       false},
      {"out of range",
       [&] { WriteText(path, "[window]\nscale=9\n[sound]\nvolume=-5\n[console]\njapanese=true\n"); },
       [](Settings& s) {
         s.windowScale = 4;
         s.volume = 0;
         s.japanese = true;
       },
       1, false, true},
      {"wrong kinds", [&] { WriteText(path, "[window]\nscale=big\n[console]\njapanese=maybe\nsprite-limit=false\n"); },
       [](Settings& s) { s.spriteLimit = false; }, 1, false, true},
      // GLib hands back the text before a bad escape along with its error;
      // the entry is left out (and, under the sanitizer, nothing leaks).
      {"bad escapes", [&] { WriteText(path, "[files]\nlast-folder=/a\\q\n[keys]\npause=P\\q\nrewind=R\n"); },
       [](Settings& s) { s.keyBindings = {{"rewind", "R"}}; }, 1, false, true},
      {"unknown filter, device and view",
       [&] { WriteText(path, "[window]\nfilter=blur\n[console]\nport1=paddle\nport2=mouse\nglasses=right\n"); },
       [](Settings& s) { s.port[0] = "paddle"; }, 1, false, true},
      // filter=lcd once stood for the Game Gear's slow screen too.
      {"a file from before the slow screen was a choice of its own", [&] { WriteText(path, "[window]\nfilter=lcd\n"); },
       [](Settings& s) {
         s.filter = "lcd";
         s.lcdGhosting = true;
       },
       0, false, true},
      {"the LCD grid without the slow screen",
       [&] { WriteText(path, "[window]\nfilter=lcd\nlcd-ghosting=false\n"); }, [](Settings& s) { s.filter = "lcd"; },
       0, false, true},
      {"an empty pad group", [&] { WriteText(path, "[pad 0300]\n"); }, [](Settings&) {}, 0, false, true},
      {"too many recent images",
       [&] { WriteText(path, "[files]\nrecent=a;b;a;c;d;e;f;g;h;i;j;k;l;\n"); },
       [](Settings& s) { s.recentImages = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}; }, 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(folder);
    c.prepare();
    const std::string before = std::filesystem::is_regular_file(path) ? ReadText(path) : "";
    LogCapture log;
    SettingsFile file(path);
    file.Load();
    Settings expected;
    c.expected(expected);
    EXPECT_EQ(file.values, expected);
    EXPECT_EQ(Lines(log.text()), c.logLines) << log.text();
    EXPECT_EQ(file.CanSave(), c.canSave);
    EXPECT_EQ(std::filesystem::exists(path + ".bad"), c.keptAsBad);
    if (c.keptAsBad) {
      EXPECT_EQ(ReadText(path + ".bad"), before);
      // The defaults took its place, and read back without a word.
      log.clear();
      SettingsFile again(path);
      again.Load();
      EXPECT_EQ(again.values, Settings{});
      EXPECT_EQ(log.text(), "");
    }
    if (!c.canSave) {
      EXPECT_FALSE(file.Save());
      EXPECT_TRUE(std::filesystem::is_directory(path));
    }
  }
  // A missing file is not created by reading it.
  std::filesystem::remove_all(folder);
  SettingsFile(path).Load();
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(RecentImages, NewestFirstOnceAndAtMostTen) {
  Settings s;
  for (int i = 0; i < 12; ++i) s.AddRecent("/g/" + std::to_string(i) + ".sms");
  ASSERT_EQ(s.recentImages.size(), 10u);
  EXPECT_EQ(s.recentImages.front(), "/g/11.sms");
  EXPECT_EQ(s.recentImages.back(), "/g/2.sms");
  s.AddRecent("/g/5.sms");
  EXPECT_EQ(s.recentImages.size(), 10u);
  EXPECT_EQ(s.recentImages[0], "/g/5.sms");
  EXPECT_EQ(std::count(s.recentImages.begin(), s.recentImages.end(), "/g/5.sms"), 1);
  EXPECT_EQ(s.recentImages[1], "/g/11.sms");
  s.AddRecent("");
  EXPECT_EQ(s.recentImages[0], "/g/5.sms");
}

TEST(RecentImages, ForgettingMissingOnesKeepsTheOthersInOrder) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavrin-recent-missing";
  std::filesystem::create_directories(folder / "a-folder.sms");
  std::ofstream(folder / "kept1.sms") << "x";
  std::ofstream(folder / "kept2.gg") << "x";
  Settings s;
  for (const char* name : {"kept2.gg", "gone.sms", "a-folder.sms", "kept1.sms"}) s.AddRecent((folder / name).string());
  s.ForgetMissingRecent();
  EXPECT_EQ(s.recentImages, (std::vector<std::string>{(folder / "kept1.sms").string(), (folder / "kept2.gg").string()}));
  std::filesystem::remove_all(folder);
}

TEST(SettingsPath, FollowsXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/conf", 1);
  EXPECT_EQ(DefaultSettingsPath(), "/tmp/conf/tavrin/tavrin.conf");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(DefaultSettingsPath(), std::string(std::getenv("HOME")) + "/.config/tavrin/tavrin.conf");
  if (saved) {
    ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
