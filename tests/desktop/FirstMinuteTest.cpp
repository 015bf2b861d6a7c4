// The program's first minute, with and without a window manager (openbox):
// the game runs without a click, says when it pauses, reports a missing
// sound device or a bad cartridge without stopping, resets at every click of
// "Redémarrer", sizes its client area in whole pictures and shows a Game
// Gear's own screen. Every wait is for a condition, with a deadline.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "XSession.h"

namespace {

constexpr const char* kMainCaption = "Tavrin " TAVRIN_VERSION "    (Compilation : ";
constexpr int kTimeoutMs = kPatienceMs;

class FirstMinute : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::string error;
    if (!x.Start(24, error)) GTEST_SKIP() << "desktop tests skipped: " << error;
    if (GetParam() && !x.StartWindowManager(error)) GTEST_SKIP() << error;
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    scratch = folders.Make(std::filesystem::temp_directory_path() /
                           ("tavrin-first-" + std::to_string(::getpid()) + "-" + name));
  }

  // TAVRIN_DESKTOP_PROGRAM names another build to run instead (to compare).
  void Launch(const std::vector<std::string>& arguments, const std::string& audio = "dummy") {
    const char* other = std::getenv("TAVRIN_DESKTOP_PROGRAM");
    program.emplace();
    ASSERT_TRUE(program->Start(other && *other ? other : TAVRIN_EXECUTABLE, arguments,
                              {"DISPLAY=" + x.DisplayName(), "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=" + audio,
                               "NO_AT_BRIDGE=1", "HOME=" + scratch.string(), "XDG_DATA_HOME=" + scratch.string(),
                               "XDG_RUNTIME_DIR=" + scratch.string(),
                               std::string("LSAN_OPTIONS=suppressions=") + TAVRIN_LSAN_SUPPRESSIONS +
                                   ":print_suppressions=0"},
                              scratch.string()));
    display = x.WaitForWindow("Sega ", kTimeoutMs);
    strip = x.WaitForWindow(kMainCaption, kTimeoutMs);
    ASSERT_NE(display, 0u) << program->Errors();
    ASSERT_NE(strip, 0u) << program->Errors();
  }

  std::vector<std::uint32_t> Picture() {
    int width = 0, height = 0;
    return x.Grab(display, width, height);
  }
  // Writes what the display window shows beside the test's scratch folder
  // (a failing check leaves the picture it saw).
  void KeepPicture(const std::string& name) {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = x.Grab(display, width, height);
    std::ofstream out(std::filesystem::temp_directory_path() / (name + ".ppm"), std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (std::uint32_t p : pixels) out.put(static_cast<char>(p >> 16)).put(static_cast<char>(p >> 8)).put(static_cast<char>(p));
  }
  bool Runs() { return x.WaitForChange(display, kTimeoutMs); }
  bool CaptionIs(const std::string& caption) {
    return WaitUntil([&] { return x.Caption(display) == caption; }, kTimeoutMs);
  }
  bool SizeIs(int width, int height) {
    int w = 0, h = 0;
    return WaitUntil([&] { return x.Size(display, w, h) && w == width && h == height; }, kTimeoutMs);
  }
  // Presses Alt+letter, then the letters of a menu path.
  // Each key waits for the menu it opens to be on screen, so no key reaches
  // the bar before its menu is there.
  void Menu(unsigned long mnemonic, std::initializer_list<unsigned long> path) {
    // The last menu may still be closing: a key sent while it holds the
    // keyboard would be lost, and counting its popups would skew the waits.
    ASSERT_TRUE(WaitUntil([&] { return x.PopupCount() == 0; }, kTimeoutMs)) << "menus still open";
    ASSERT_TRUE(x.OpenMenu(strip, mnemonic, kTimeoutMs)) << "menu 1";
    int open = 1;
    for (unsigned long key : path) {
      ASSERT_TRUE(WaitUntil([&] { return x.PopupCount() >= open; }, kTimeoutMs)) << "menu " << open;
      x.Key(key, true);
      x.Key(key, false);
      ++open;
    }
  }
  void ExpectBadCartridgeBox(const std::string& image);
  // Black above the hint on loading a game; the hint's band (white letters
  // on dark grey) at the bottom.
  bool ShowsTheHint() {
    const std::vector<std::uint32_t> picture = Picture();
    if (picture.size() != 512u * 384u) return false;
    const auto hint = picture.begin() + 300 * 512;
    return std::all_of(picture.begin(), hint, [](std::uint32_t p) { return p == 0; }) &&
           std::count(hint, picture.end(), 0x202020u) > 5000 && std::count(hint, picture.end(), 0xFFFFFFu) > 500;
  }
  void Close() {
    x.RequestClose(display);
    int status = -1;
    ASSERT_TRUE(program->Wait(kTimeoutMs, status)) << program->Errors();
    EXPECT_EQ(status, 0) << program->Errors();
    EXPECT_EQ(program->Errors().find("CRITICAL"), std::string::npos) << program->Errors();
  }

  // Declared in this order so that the program ends first, then its X
  // server, and its folders go last.
  ScratchFolders folders;
  XSession x;
  std::optional<Child> program;
  std::filesystem::path scratch;
  Window display = 0;
  Window strip = 0;
};

// Mean x of the demo ship's cyan in its band of rows (scale 2), -1 when absent.
double ShipX(const std::vector<std::uint32_t>& pixels) {
  long long sum = 0, count = 0;
  for (std::size_t at = 88 * 2 * 512; at < std::min<std::size_t>(pixels.size(), 120 * 2 * 512); ++at) {
    if (pixels[at] == 0x00FFFF) {
      sum += static_cast<long long>(at % 512);
      ++count;
    }
  }
  return count ? static_cast<double>(sum) / static_cast<double>(count) : -1;
}

TEST_P(FirstMinute, RunsWithoutAClickAndSaysWhenPaused) {
  Launch({});
  if (HasFatalFailure()) return;
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs)) << "the display window has the focus";
  EXPECT_TRUE(CaptionIs("Sega Master System — demo.sms")) << x.Caption(display);
  EXPECT_TRUE(Runs()) << "the demo runs with nobody clicking";

  x.Focus(strip);
  ASSERT_TRUE(CaptionIs("Sega Master System — demo.sms — Pause")) << x.Caption(display);
  // Dimmed: the console's brightest level (0xFF) is down to 0x7F; the pause
  // line is the only white.
  std::size_t white = 0, bright = 0;
  ASSERT_TRUE(WaitUntil([&] {
    white = bright = 0;
    for (std::uint32_t rgb : Picture()) {
      white += rgb == 0xFFFFFF;
      bright += rgb != 0xFFFFFF && ((rgb >> 16 & 0xFF) > 0x7F || (rgb >> 8 & 0xFF) > 0x7F || (rgb & 0xFF) > 0x7F);
    }
    return white > 200 && bright == 0;
  }, kTimeoutMs)) << white << " white pixels, " << bright << " bright ones";
  if (HasFailure()) KeepPicture("tavrin-pause");

  x.Focus(display);
  EXPECT_TRUE(CaptionIs("Sega Master System — demo.sms"));
  EXPECT_TRUE(Runs());
  Close();
}

// The box about a missing sound device comes once a login session, and its
// choice turns it off for good (in the settings).
TEST_P(FirstMinute, NoSoundDeviceSaysSoAndTheGameRunsOn) {
  Launch({}, "none");
  if (HasFatalFailure()) return;
  const Window box = x.WaitForWindow("Erreur audio", kTimeoutMs);
  ASSERT_NE(box, 0u);
  EXPECT_TRUE(Runs()) << "the game runs silent under the box";
  EXPECT_TRUE(x.HasFocus(display));
  EXPECT_NE(program->Errors().find("Sound: "), std::string::npos) << program->Errors();
  EXPECT_TRUE(std::filesystem::exists(scratch / "tavrin-no-sound-said"));
  // "Ne plus le signaler" has the box's focus: Space ticks it, Escape closes the box.
  x.Focus(box);
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(box); }, kTimeoutMs));
  x.Key(XK_space, true);
  x.Key(XK_space, false);
  x.Key(XK_Escape, true);
  x.Key(XK_Escape, false);
  EXPECT_TRUE(WaitUntil([&] {
    std::ifstream in(scratch / ".config" / "tavrin" / "tavrin.conf");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.find("no-device-box=false") != std::string::npos;
  }, kTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  Close();
}

TEST_P(FirstMinute, NoSoundDeviceIsSaidOnceASession) {
  std::ofstream(scratch / "tavrin-no-sound-said").put('\n');
  Launch({}, "none");
  if (HasFatalFailure()) return;
  EXPECT_TRUE(Runs());
  EXPECT_TRUE(WaitUntil([&] { return program->Errors().find("already said in this session") != std::string::npos; },
                        kTimeoutMs))
      << program->Errors();
  EXPECT_EQ(x.WaitForWindow("Erreur audio", 0), 0u);
  Close();
}

// One bad image on the command line: a box names it and takes the focus
// (Return closes it and gives the focus to the game window), the black
// window says how to load a game, and the program goes on. Each case runs on
// a server of its own: a second program on the same server leaks in the GL
// driver under the sanitizer.
void FirstMinute::ExpectBadCartridgeBox(const std::string& image) {
  Launch({image});
  if (HasFatalFailure()) return;
  const Window box = x.WaitForWindow("Erreur de cartouche", kTimeoutMs);
  ASSERT_NE(box, 0u) << program->Errors();
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(box); }, kTimeoutMs)) << "the box takes the focus";
  EXPECT_TRUE(WaitUntil([&] { return ShowsTheHint(); }, kTimeoutMs)) << "the display window is black with the hint";
  if (HasFailure()) KeepPicture("tavrin-hint");
  x.Key(XK_Return, true);
  x.Key(XK_Return, false);
  EXPECT_TRUE(WaitUntil([&] { return x.WaitForWindow("Erreur de cartouche", 0) == 0; }, kTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  EXPECT_TRUE(program->Running());
  Close();
}

TEST_P(FirstMinute, AMissingCartridgeIsNamedInABoxOverABlackWindow) {
  ExpectBadCartridgeBox("/nonexistent/cartridge.sms");
}

TEST_P(FirstMinute, AShortCartridgeIsNamedInABoxOverABlackWindow) {
  std::ofstream(scratch / "short.sms", std::ios::binary) << std::string(100, 'x');
  ExpectBadCartridgeBox((scratch / "short.sms").string());
}

TEST_P(FirstMinute, AFolderForACartridgeIsNamedInABoxOverABlackWindow) {
  std::filesystem::create_directories(scratch / "folder.sms");
  ExpectBadCartridgeBox((scratch / "folder.sms").string());
}

// Columns of the strip holding dark menu text, in runs: "Fichier",
// "Options", "Redémarrer".
std::vector<std::pair<int, int>> MenuTitles(XSession& x, Window strip) {
  int width = 0, height = 0;
  const std::vector<std::uint32_t> pixels = x.Grab(strip, width, height);
  std::vector<std::pair<int, int>> runs;
  int gap = 100;
  for (int column = 0; column < width; ++column) {
    bool dark = false;
    for (int row = 0; row < height && !dark; ++row) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(row) * width + column];
      dark = ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 3 * 0x70;
    }
    if (dark) {
      if (gap >= 8) runs.emplace_back(column, column);
      runs.back().second = column;
      gap = 0;
    } else {
      ++gap;
    }
  }
  return runs;
}

int ResetItemX(XSession& x, Window strip) {
  const std::vector<std::pair<int, int>> runs = MenuTitles(x, strip);
  // Redémarrer is the last title on the bar.
  return runs.size() >= 3 ? (runs.back().first + runs.back().second) / 2 : -1;
}

TEST_P(FirstMinute, EveryClickOnRedemarrerResetsAndFocusesTheGame) {
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(Runs());
  const int itemX = ResetItemX(x, strip);
  ASSERT_GE(itemX, 0);
  int width = 0, height = 0;
  x.Size(strip, width, height);
  double startX = -1;
  const bool shipShown = WaitUntil([&] { return (startX = ShipX(Picture())) >= 0; }, kTimeoutMs);
  if (!shipShown) KeepPicture("tavrin-ship");
  ASSERT_TRUE(shipShown);
  for (int click = 0; click < 3; ++click) {
    SCOPED_TRACE(click);
    x.Focus(display);
    x.Key(XK_Right, true);
    EXPECT_TRUE(WaitUntil([&] { return ShipX(Picture()) > startX + 40; }, kTimeoutMs));
    x.Key(XK_Right, false);
    x.Click(strip, itemX, height / 2);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(ShipX(Picture()) - startX) < 8; }, kTimeoutMs)) << "reset";
    EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
    EXPECT_TRUE(CaptionIs("Sega Master System — demo.sms"));
  }
  Close();
}

TEST_P(FirstMinute, SizesAreClientAreasInWholePicturesAndHandSizesKeepTheShape) {
  Launch({});
  if (HasFatalFailure()) return;
  EXPECT_TRUE(SizeIs(512, 384));
  struct Step {
    unsigned long item;
    int width, height;
  };
  for (const Step& step : {Step{XK_q, 1024, 768}, Step{XK_o, 256, 192}, Step{XK_t, 768, 576}}) {
    Menu(XK_o, {XK_t, step.item});
    EXPECT_TRUE(SizeIs(step.width, step.height)) << step.width;
  }

  // By hand, 900 x 400: the picture keeps its shape (533 x 400) between black bars.
  x.Resize(display, 900, 400);
  ASSERT_TRUE(SizeIs(900, 400));
  x.Focus(display);
  auto blackColumns = [&](const std::vector<std::uint32_t>& p, int from, int to) {
    for (int row = 0; row < 400; ++row) {
      for (int column = from; column < to; ++column) {
        if (p[static_cast<std::size_t>(row) * 900 + column] != 0) return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<std::uint32_t> p = Picture();
    return p.size() == 900u * 400u && blackColumns(p, 0, 180) && blackColumns(p, 720, 900) &&
           !blackColumns(p, 180, 720);
  }, kTimeoutMs));
  // "Échelle entière": twice the picture, 512 x 384, with bars above and below.
  Menu(XK_o, {XK_e});
  x.Focus(display);
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<std::uint32_t> p = Picture();
    return p.size() == 900u * 400u && blackColumns(p, 0, 190) && blackColumns(p, 710, 900) &&
           std::all_of(p.begin(), p.begin() + 900 * 8, [](std::uint32_t c) { return c == 0; });
  }, kTimeoutMs));
  Close();
}

TEST_P(FirstMinute, AGameGearImageShowsTheHandheldsScreen) {
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, scratch / "demo.gg");
  Launch({(scratch / "demo.gg").string()});
  if (HasFatalFailure()) return;
  EXPECT_TRUE(CaptionIs("Sega Game Gear — demo.gg")) << x.Caption(display);
  EXPECT_TRUE(SizeIs(320, 288));
  // Notes lie on the handheld's screen: M mutes, and says so.
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  x.Key(XK_m, true);
  x.Key(XK_m, false);
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<std::uint32_t> p = Picture();
    return p.size() == 320u * 288u && std::count(p.end() - 320 * 20, p.end(), 0x202020u) > 2000;
  }, kTimeoutMs)) << "a note at the bottom of the screen";
  if (HasFailure()) KeepPicture("tavrin-gg-note");
  Close();
}

// The menu opened from the keyboard, its item clicked with the mouse.
TEST_P(FirstMinute, TheFileChooserOpensAndClosesCleanly) {
  Launch({});
  if (HasFatalFailure()) return;
  int width = 0, height = 0;
  x.Size(strip, width, height);
  Menu(XK_f, {});
  // The menu is a window of its own, without a caption, mapped under the bar.
  Display* connection = x.Connection();
  const Window root = DefaultRootWindow(connection);
  int stripX = 0, bottom = 0;
  Window child = 0;
  XTranslateCoordinates(connection, strip, root, 0, height, &stripX, &bottom, &child);
  XWindowAttributes menu{};
  ASSERT_TRUE(WaitUntil([&] {
    Window rootReturn, parent;
    Window* children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (XQueryTree(connection, root, &rootReturn, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && !found; ++i) {
        found = XGetWindowAttributes(connection, children[i], &menu) && menu.override_redirect &&
                menu.map_state == IsViewable && menu.y >= bottom - 2 && menu.y < bottom + 40 && menu.height > 20;
      }
      if (children) XFree(children);
    }
    return found;
  }, kTimeoutMs));
  x.Click(root, menu.x + 30, menu.y + menu.height / 8);  // "Charger une ROM", the first of four items
  const Window chooser = x.WaitForWindow("Ouvrir", kTimeoutMs);
  ASSERT_NE(chooser, 0u);
  x.Focus(chooser);
  // A path typed into the chooser (lower case, digits and "/-._" only), then Return.
  const std::filesystem::path folder = folders.Make("/tmp/tavrinchooser" + std::to_string(::getpid()));
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "other.sms", std::filesystem::copy_options::overwrite_existing);
  for (char c : (folder / "other.sms").string()) {
    const unsigned long keysym = c == '/' ? XK_slash : c == '.' ? XK_period : c == '-' ? XK_minus
                                 : c == '_' ? XK_underscore : static_cast<unsigned long>(c);
    x.Key(keysym, true);
    x.Key(keysym, false);
  }
  x.Key(XK_Return, true);
  x.Key(XK_Return, false);
  EXPECT_TRUE(WaitUntil([&] { return x.WaitForWindow("Ouvrir", 0) == 0; }, kTimeoutMs));
  EXPECT_TRUE(CaptionIs("Sega Master System — other.sms")) << x.Caption(display);
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  Close();  // the program writes other.sav beside the image as it ends
}

// Every menu command and dialog gives the focus back to the game window
// when it ends: left on the strip, the game would wait for a click.
TEST_P(FirstMinute, MenuCommandsAndDialogsGiveTheFocusBack) {
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  struct Case {
    const char* name;
    unsigned long menu, item;
    const char* dialog;  // closed with Escape; nullptr for a plain command
  };
  const Case cases[] = {
      {"PAL", XK_o, XK_p, nullptr},
      {"Marque japonaise III", XK_o, XK_m, nullptr},
      {"Échelle entière", XK_o, XK_e, nullptr},
      {"Emplacement 3", XK_a, XK_3, nullptr},
      {"Touches…", XK_o, XK_u, "Touches"},
      {"Charger une ROM cancelled", XK_f, XK_c, "Ouvrir"},
  };
  for (const Case& step : cases) {
    SCOPED_TRACE(step.name);
    Menu(step.menu, {step.item});
    if (step.dialog) {
      const Window dialog = x.WaitForWindow(step.dialog, kTimeoutMs);
      ASSERT_NE(dialog, 0u);
      x.Focus(dialog);
      ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(dialog); }, kTimeoutMs));
      x.Key(XK_Escape, true);
      x.Key(XK_Escape, false);
      ASSERT_TRUE(WaitUntil([&] { return x.WaitForWindow(step.dialog, 0) == 0; }, kTimeoutMs));
    }
    EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
    EXPECT_TRUE(CaptionIs("Sega Master System — demo.sms"));
  }
  Close();
}

// A window manager hands a closed dialog's focus to its parent, the strip,
// when it gets round to it; a busy one does so after the program could have
// given the focus back to the game. The game window waits for that hand-over
// and then keeps the focus.
TEST_P(FirstMinute, ALateWindowManagerLeavesTheGameTheFocus) {
  if (!GetParam()) GTEST_SKIP() << "the hand-over is the window manager's";
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  Menu(XK_f, {XK_c});
  const Window dialog = x.WaitForWindow("Ouvrir", kTimeoutMs);
  ASSERT_NE(dialog, 0u);
  x.Focus(dialog);
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(dialog); }, kTimeoutMs));
  x.HoldWindowManager(true);
  x.Key(XK_Escape, true);
  x.Key(XK_Escape, false);
  const bool closed = WaitUntil([&] { return x.WaitForWindow("Ouvrir", 0) == 0; }, kTimeoutMs);
  // The manager sleeps on until the game has the focus, or for a second.
  WaitUntil([&] { return x.HasFocus(display); }, 1000);
  x.HoldWindowManager(false);
  ASSERT_TRUE(closed);
  const auto focusHolds = [&] {
    return WaitUntil([&] { return !x.HasFocus(display); }, 1000) == false;
  };
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display) && focusHolds(); }, kTimeoutMs));
  Close();
}

// Full screen hides the strip: Escape leaves it (the program goes on), and a
// right click opens the menus at the pointer; they go back to the bar after.
TEST_P(FirstMinute, FullScreenHasAWayOutAndItsMenus) {
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  // A click the program took while still busy may find the pointer not yet
  // free for the menu's grab: clicked again, as a player would.
  const auto rightClickOpensTheMenu = [&](int clickX, int clickY) {
    return WaitUntil([&] {
      x.Click(display, clickX, clickY, 3);
      return WaitUntil([&] { return x.PopupCount() > 0; }, 5000);
    }, kTimeoutMs);
  };
  ASSERT_TRUE(rightClickOpensTheMenu(100, 100)) << "a right click opens the menu";
  x.Key(XK_Escape, true);
  x.Key(XK_Escape, false);
  ASSERT_TRUE(WaitUntil([&] { return x.PopupCount() == 0; }, kTimeoutMs));
  EXPECT_TRUE(program->Running());
  Menu(XK_o, {XK_p});  // the bar has its menus again
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  // Full screen needs a window manager to fill the screen.
  if (!GetParam()) return Close();
  // A key is for the game window once it has the focus; one pressed while
  // the focus is still on its way back from the strip is pressed again.
  // The key toggles, so it is pressed again only while the window keeps its
  // size: a window already on its way is waited for.
  const auto tapUntilSized = [&](unsigned long key, int width, int height) {
    int fromWidth = 0, fromHeight = 0;
    x.Size(display, fromWidth, fromHeight);
    return WaitUntil([&] {
      int w = 0, h = 0;
      if (!x.Size(display, w, h) || w != fromWidth || h != fromHeight) return w == width && h == height;
      x.Key(key, true);
      x.Key(key, false);
      return WaitUntil([&] { return x.Size(display, w, h) && (w != fromWidth || h != fromHeight); }, 5000) &&
             w == width && h == height;
    }, kTimeoutMs);
  };
  ASSERT_TRUE(tapUntilSized(XK_F11, 1280, 1024));
  EXPECT_TRUE(rightClickOpensTheMenu(640, 512)) << "the menu shows over full screen";
  x.Key(XK_Escape, true);
  x.Key(XK_Escape, false);
  ASSERT_TRUE(WaitUntil([&] { return x.PopupCount() == 0; }, kTimeoutMs));
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  EXPECT_TRUE(tapUntilSized(XK_Escape, 512, 384)) << "Escape leaves full screen";
  EXPECT_TRUE(program->Running());
  Close();
}

// The chosen state slot and the window's place are kept: a run starts with
// those of the settings, and writes the place back as it ends.
TEST_P(FirstMinute, TheSlotAndTheWindowsPlaceAreKept) {
  std::filesystem::create_directories(scratch / ".config" / "tavrin");
  std::ofstream(scratch / ".config" / "tavrin" / "tavrin.conf") << "[window]\nx=100\ny=150\n\n[state]\nslot=4\n";
  Launch({});
  if (HasFatalFailure()) return;
  const auto place = [&] {
    int rootX = -1, rootY = -1;
    Window child = 0;
    XTranslateCoordinates(x.Connection(), display, DefaultRootWindow(x.Connection()), 0, 0, &rootX, &rootY, &child);
    return std::make_pair(rootX, rootY);
  };
  EXPECT_TRUE(WaitUntil([&] { return place() == std::make_pair(100, 150); }, kTimeoutMs))
      << place().first << "," << place().second;
  ASSERT_TRUE(Runs());
  Menu(XK_a, {XK_s});  // État > Sauvegarder l'état: slot 4
  EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(scratch / "tavrin" / "states" / "demo.sms.state4"); },
                        kTimeoutMs));
  // Moved by the player, the window's new place is what the settings keep.
  XMoveWindow(x.Connection(), display, 200, 220);
  XSync(x.Connection(), False);
  ASSERT_TRUE(WaitUntil([&] { return place() != std::make_pair(100, 150); }, kTimeoutMs));
  const auto moved = place();
  Close();
  std::ifstream in(scratch / ".config" / "tavrin" / "tavrin.conf");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("x=" + std::to_string(moved.first) + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("y=" + std::to_string(moved.second) + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("slot=4"), std::string::npos) << text;
}

// "Aide > À propos de Tavrin" (the box takes the focus and gives it back to
// the game as it closes) and "Fichier > Fermer la ROM" (the window goes
// black with the hint on loading a game).
TEST_P(FirstMinute, AboutBoxAndClosingTheRom) {
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  ASSERT_TRUE(Runs());
  Menu(XK_e, {XK_p});
  const Window about = x.WaitForWindow("À propos de Tavrin", kTimeoutMs);
  ASSERT_NE(about, 0u) << program->Errors();
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(about); }, kTimeoutMs)) << "the box takes the focus";
  x.Key(XK_Escape, true);
  x.Key(XK_Escape, false);
  EXPECT_TRUE(WaitUntil([&] { return x.WaitForWindow("À propos de Tavrin", 0) == 0; }, kTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));

  Menu(XK_f, {XK_f});
  EXPECT_TRUE(CaptionIs("Sega Master System")) << x.Caption(display);
  EXPECT_TRUE(WaitUntil([&] { return ShowsTheHint(); }, kTimeoutMs)) << "the display window is black with the hint";
  if (HasFailure()) KeepPicture("tavrin-closed");
  Close();
}

// A port's device chosen in "Options > Ports de manette" is written to the
// settings, and those of the run before are read back (port 1's light gun
// stays in the file the next choice writes).
TEST_P(FirstMinute, PortDevicesAreKept) {
  std::filesystem::create_directories(scratch / ".config" / "tavrin");
  std::ofstream(scratch / ".config" / "tavrin" / "tavrin.conf") << "[console]\nport1=lightgun\n";
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  Menu(XK_o, {XK_o, XK_2, XK_a});  // Ports de manette > Port 2 > Paddle
  const auto settings = [&] {
    std::ifstream in(scratch / ".config" / "tavrin" / "tavrin.conf");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  EXPECT_TRUE(WaitUntil([&] { return settings().find("port2=paddle") != std::string::npos; }, kTimeoutMs))
      << settings();
  EXPECT_NE(settings().find("port1=lightgun"), std::string::npos) << settings();
  EXPECT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  Close();
}

// "Options > Filtre" and "Options > Pixels 8:7": the scanlines darken the
// lower of each console line's two rows, the 8:7 pixels widen the window,
// and each choice is written to the settings at once.
TEST_P(FirstMinute, PictureFiltersAreDrawnAndKept) {
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  ASSERT_TRUE(Runs());
  const auto settings = [&] {
    std::ifstream in(scratch / ".config" / "tavrin" / "tavrin.conf");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  // Row pairs of the 512 x 384 picture: the lower row of a lit pair is
  // darker than the upper one (the shades multiply it), never lighter.
  const auto scanlined = [&] {
    const std::vector<std::uint32_t> p = Picture();
    if (p.size() != 512u * 384u) return false;
    int lit = 0, darker = 0;
    for (std::size_t row = 0; row < 384; row += 2) {
      for (std::size_t column = 0; column < 512; ++column) {
        const std::uint32_t upper = p[row * 512 + column], lower = p[(row + 1) * 512 + column];
        if ((upper & 0xFF00) < 0x4000) continue;  // too dark to tell
        ++lit;
        if ((lower & 0xFF00) < (upper & 0xFF00) * 3 / 4) ++darker;
      }
    }
    return lit > 1000 && darker > lit * 9 / 10;
  };
  EXPECT_FALSE(scanlined()) << "sharp pixels at first";
  struct Step {
    const char* name;
    std::initializer_list<unsigned long> path;
    const char* written;
    int width, height;
    bool scanlines;
  };
  const Step steps[] = {
      {"scanlines", {XK_i, XK_b}, "filter=scanlines", 512, 384, true},
      {"ghosting as well", {XK_i, XK_r}, "lcd-ghosting=true", 512, 384, true},
      {"8:7 pixels", {XK_x}, "pixel-aspect=true", 586, 384, false},
      {"sharp again", {XK_i, XK_n}, "filter=none", 586, 384, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    Menu(XK_o, step.path);
    EXPECT_TRUE(WaitUntil([&] { return settings().find(step.written) != std::string::npos; }, kTimeoutMs))
        << settings();
    EXPECT_TRUE(SizeIs(step.width, step.height));
    ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
    if (step.scanlines) {
      EXPECT_TRUE(WaitUntil(scanlined, kTimeoutMs));
    }
    if (HasFailure()) KeepPicture(std::string("tavrin-filter-") + step.name);
  }
  Close();
}

// The figures in the README's "Desktop figures": start to the first frame on
// screen, processor use running and paused, and the exit. Printed, never
// asserted; run with --gtest_also_run_disabled_tests. TAVRIN_FIGURES_SETTINGS,
// when set, is the settings file the program starts with (a window size and
// a filter, for docs/performance.md's filter figures).
TEST_P(FirstMinute, DISABLED_Figures) {
  using Clock = std::chrono::steady_clock;
  if (const char* settings = std::getenv("TAVRIN_FIGURES_SETTINGS")) {
    std::filesystem::create_directories(scratch / ".config" / "tavrin");
    std::ofstream(scratch / ".config" / "tavrin" / "tavrin.conf") << settings;
  }
  const auto started = Clock::now();
  Launch({});
  if (HasFatalFailure()) return;
  auto shows = [&] {
    const std::vector<std::uint32_t> p = Picture();
    return std::any_of(p.begin(), p.end(), [](std::uint32_t c) { return c != 0; });
  };
  double firstFrame = -1;  // stays -1 when nothing shows without a click
  if (WaitUntil(shows, 10000)) firstFrame = std::chrono::duration<double>(Clock::now() - started).count();
  x.Focus(display);
  ASSERT_TRUE(WaitUntil(shows, kTimeoutMs));
  auto cpuOver = [&](double seconds) {
    const double before = program->CpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return 100.0 * (program->CpuSeconds() - before) / seconds;
  };
  const double running = cpuOver(10);
  x.Focus(strip);
  WaitUntil([&] { return x.HasFocus(strip); }, kTimeoutMs);
  const double idle = cpuOver(10);
  x.Focus(display);
  WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs);
  const auto closing = Clock::now();
  x.RequestClose(display);
  int status = -1;
  ASSERT_TRUE(program->Wait(kTimeoutMs, status));
  const double exit = std::chrono::duration<double>(Clock::now() - closing).count();
  std::printf("first frame on screen %.2f s; CPU running %.1f %%, paused %.1f %%; exit %.3f s\n", firstFrame,
              running, idle, exit);
}

// The emulator's pause key (Pause/Break) holds the game with the focus still
// on it: the picture stands still, dimmed under the pause line, until the key
// again or a click on the picture.
TEST_P(FirstMinute, ThePauseKeyHoldsTheGameUntilTheKeyOrAClick) {
  Launch({});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  ASSERT_TRUE(Runs());
  const auto pressPause = [&] {
    x.Key(XK_Pause, true);
    x.Key(XK_Pause, false);
  };
  for (int way = 0; way < 2; ++way) {
    pressPause();
    ASSERT_TRUE(CaptionIs("Sega Master System — demo.sms — Pause")) << x.Caption(display);
    std::vector<std::uint32_t> still;
    EXPECT_TRUE(x.WaitForStill(display, 1500, kTimeoutMs, still)) << "the picture stands still";
    EXPECT_GT(std::count(still.begin(), still.end(), 0xFFFFFFu), 200) << "the pause line";
    EXPECT_TRUE(x.HasFocus(display)) << "the game window keeps the focus";
    if (HasFailure()) KeepPicture("tavrin-pause-key");
    if (way == 0) {
      pressPause();
    } else {
      x.Click(display, 100, 100);
    }
    EXPECT_TRUE(CaptionIs("Sega Master System — demo.sms")) << way;
    EXPECT_TRUE(Runs()) << way;
  }
  Close();
}

INSTANTIATE_TEST_SUITE_P(Desktop, FirstMinute, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "WindowManager" : "BareServer";
                         });

}  // namespace
