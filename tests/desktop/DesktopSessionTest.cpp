// The program as a player meets it, on a private X server: windows and
// captions, the picture on screen, a key steering the demo's ship, the ways
// out, and a missing image on the command line.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "XSession.h"

namespace {

constexpr const char* kDisplayCaption = "Sega Master System";  // then the image's name
constexpr const char* kMainCaption = "Tavrin " TAVRIN_VERSION "    (Compilation : " TAVRIN_BUILD_DATE ")";
constexpr int kWindowTimeoutMs = kPatienceMs;
constexpr int kExitTimeoutMs = kPatienceMs;
constexpr std::size_t kBatteryBytes = 32768;

std::filesystem::path ScratchPath(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("tavrin-desktop-" + std::to_string(::getpid()) + "-" + name);
}

// A desktop session: Xvfb, and the program started on it with a fresh home
// (so the demo starts from a fresh battery file every time).
class DesktopSession : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    if (!x.Start(ServerDepth(), error)) GTEST_SKIP() << "desktop tests skipped: " << error;
  }

  virtual int ServerDepth() const { return 24; }

  bool Launch(const std::string& name, const std::vector<std::string>& arguments) {
    scratch = folders.Make(ScratchPath(name));
    return program.Start(TAVRIN_EXECUTABLE, arguments,
                         {"DISPLAY=" + x.DisplayName(), "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy",
                          "NO_AT_BRIDGE=1", "HOME=" + scratch.string(), "XDG_DATA_HOME=" + scratch.string(),
                          "XDG_CONFIG_HOME=" + scratch.string(),
                          // A sanitizer build checks the program's leaks, not the toolkits' caches.
                          std::string("LSAN_OPTIONS=suppressions=") + TAVRIN_LSAN_SUPPRESSIONS + ":print_suppressions=0"},
                         scratch.string());
  }

  // Waits for both windows; the test fails when either is missing.
  void WaitForWindows() {
    displayWindow = x.WaitForWindow(kDisplayCaption, kWindowTimeoutMs);
    mainWindow = x.WaitForWindow(kMainCaption, kWindowTimeoutMs);
    ASSERT_NE(displayWindow, 0u) << program.Errors();
    ASSERT_NE(mainWindow, 0u) << program.Errors();
  }

  void ExpectExitZero() {
    int status = -1;
    ASSERT_TRUE(program.Wait(kExitTimeoutMs, status)) << "still running, or killed\n" << program.Errors();
    EXPECT_EQ(status, 0) << program.Errors();
  }

  // The program ends first, then its X server; its folders go last.
  ScratchFolders folders;
  XSession x;
  Child program;
  std::filesystem::path scratch;
  Window displayWindow = 0;
  Window mainWindow = 0;
};

// The Master System's colours have two bits a channel, shown as 0x00, 0x55,
// 0xAA and 0xFF.
bool IsConsoleColour(std::uint32_t rgb) {
  for (int shift : {0, 8, 16}) {
    const std::uint32_t c = (rgb >> shift) & 0xFF;
    if (c != 0x00 && c != 0x55 && c != 0xAA && c != 0xFF) return false;
  }
  return true;
}

// Mean x of the ship's cyan (colour byte $3C) in the band of rows where it
// flies, in screen pixels; -1 when no cyan is there.
double ShipX(const std::vector<std::uint32_t>& pixels, int width, int height, int scale) {
  long long sum = 0, count = 0;
  const int top = 88 * scale, bottom = std::min(height, 120 * scale);
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < width; ++x) {
      if (pixels[static_cast<std::size_t>(y) * width + x] == 0x00FFFF) {
        sum += x;
        ++count;
      }
    }
  }
  return count ? static_cast<double>(sum) / static_cast<double>(count) : -1;
}

TEST_F(DesktopSession, DemoShowsItsPictureAndArrowKeyMovesTheShip) {
  ASSERT_TRUE(Launch("picture", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;

  int width = 0, height = 0;
  ASSERT_TRUE(x.Size(displayWindow, width, height));
  EXPECT_EQ(width, 512);
  EXPECT_EQ(height, 384);

  // Wait for the demo's first frames (a loaded machine may start slowly).
  x.Focus(displayWindow);
  std::vector<std::uint32_t> before;
  double startX = -1;
  WaitUntil([&] {
    before = x.Grab(displayWindow, width, height);
    if (before.size() == 512u * 384u) startX = ShipX(before, width, height, 2);
    return startX >= 0;
  }, kWindowTimeoutMs);
  ASSERT_EQ(before.size(), 512u * 384u);
  ASSERT_GE(startX, 0) << "the ship is on screen";
  std::set<std::uint32_t> colours(before.begin(), before.end());
  std::size_t console = 0, sky = 0;
  for (std::uint32_t rgb : before) {
    console += IsConsoleColour(rgb);
    sky += rgb == 0x000055;  // the night sky, colour byte $10
  }
  EXPECT_GE(colours.size(), 8u) << "a flat picture is not the demo";
  std::string seen;
  for (std::uint32_t rgb : colours) seen += " " + std::to_string(rgb);
  EXPECT_EQ(console, before.size()) << "every pixel is one of the console's colours, stretched:" << seen;
  EXPECT_GT(sky, before.size() / 20) << "the night sky fills part of the picture";

  // Hold Right: at 2 pixels a frame the ship flies 20 console pixels (40 on
  // screen) in a sixth of a second; a loaded machine takes longer.
  x.Focus(displayWindow);
  x.Key(XK_Right, true);
  double endX = startX;
  WaitUntil([&] {
    std::vector<std::uint32_t> after = x.Grab(displayWindow, width, height);
    if (after.size() == 512u * 384u) endX = ShipX(after, width, height, 2);
    return endX > startX + 40;
  }, kWindowTimeoutMs);
  x.Key(XK_Right, false);
  EXPECT_GT(endX, startX + 40) << "ship at " << startX << " then " << endX;

  x.RequestClose(displayWindow);
  ExpectExitZero();
}

TEST_F(DesktopSession, AnInactiveDisplayFreezesTheConsoleAndTheLoopSleeps) {
  ASSERT_TRUE(Launch("inactive", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  int width = 0, height = 0;
  // Running: the landscape scrolls, so the picture moves.
  x.Focus(displayWindow);
  EXPECT_TRUE(x.WaitForChange(displayWindow, kWindowTimeoutMs)) << "the demo runs while its window is active";

  // The main window takes the focus: the caption says so, the picture stands
  // still and the program waits for events instead of spinning.
  x.Focus(mainWindow);
  ASSERT_TRUE(WaitUntil([&] { return x.Caption(displayWindow).find(" — Pause") != std::string::npos; },
                        kWindowTimeoutMs)) << x.Caption(displayWindow);
  std::vector<std::uint32_t> frozen;
  ASSERT_TRUE(x.WaitForStill(displayWindow, 1000, kWindowTimeoutMs, frozen)) << "the dimmed picture stays";
  // Two seconds is the window the processor use is measured over, not a wait.
  const double cpuBefore = program.CpuSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  const double cpuUsed = program.CpuSeconds() - cpuBefore;
  EXPECT_EQ(x.Grab(displayWindow, width, height), frozen) << "the console stops while inactive";
  EXPECT_LT(cpuUsed, 0.2) << "two idle seconds cost " << cpuUsed << " s of processor time";

  // Back to the display window: the demo goes on.
  x.Focus(displayWindow);
  EXPECT_TRUE(x.WaitForChange(displayWindow, kWindowTimeoutMs)) << "the demo resumes";

  x.RequestClose(displayWindow);
  ExpectExitZero();
}

TEST_F(DesktopSession, EscapeInTheMainWindowEndsTheProgram) {
  ASSERT_TRUE(Launch("escape", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  // The main window may take a moment to take the focus: try a few times.
  int status = -1;
  bool exited = false;
  for (int attempt = 0; attempt < 3 && !exited; ++attempt) {
    x.Focus(mainWindow);
    if (!WaitUntil([&] { return x.HasFocus(mainWindow); }, kWindowTimeoutMs / 3)) continue;
    x.Key(XK_Escape, true);
    x.Key(XK_Escape, false);
    exited = program.Wait(kExitTimeoutMs / 3, status);
  }
  ASSERT_TRUE(exited) << program.Errors();
  EXPECT_EQ(status, 0) << program.Errors();
  // Shutdown ran in order: machine, sound, display windows.
  const std::string log = program.Errors();
  EXPECT_NE(log.find("DisplayShutdown() -- Offline\n"), std::string::npos) << log;
}

TEST_F(DesktopSession, ClosingTheDisplayWindowEndsTheProgram) {
  ASSERT_TRUE(Launch("close", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  x.Focus(displayWindow);
  EXPECT_TRUE(x.WaitForChange(displayWindow, kWindowTimeoutMs)) << "the demo runs";
  x.RequestClose(displayWindow);
  ExpectExitZero();
}

TEST_F(DesktopSession, MissingImageLogsFileErrorAndKeepsRunning) {
  ASSERT_TRUE(Launch("missing", {"/nonexistent/cartridge.sms"}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  EXPECT_TRUE(WaitUntil([&] { return program.Errors().find("file error") != std::string::npos; }, kWindowTimeoutMs))
      << program.Errors();
  EXPECT_TRUE(program.Running());
  x.RequestClose(displayWindow);
  ExpectExitZero();
}

TEST_F(DesktopSession, StartUpLogsItsStepsInOrder) {
  ASSERT_TRUE(Launch("order", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(WaitUntil([&] { return program.Errors().find("Tavrin -- Ready to go!\n") != std::string::npos; },
                        kWindowTimeoutMs)) << program.Errors();
  x.RequestClose(displayWindow);
  ExpectExitZero();
  const std::string log = program.Errors();
  const char* steps[] = {
      "Allocated Console\n",          "Tavrin -- Startup -- v0.3b [19]\n", "Initializing Window Display Manager\n",
      "Creating Main Toolbar Window\n", "Tavrin -- Initializing the SMS ...\n", "Creating Display\n",
      "Joysticks attached:\n",        "Tavrin -- Ready to go!\n",          "DisplayShutdown() -- Terminate\n",
      "  Destroying Windows\n",       "  Freeing Memory\n",                "DisplayShutdown() -- Offline\n",
  };
  std::size_t at = 0;
  for (const char* step : steps) {
    SCOPED_TRACE(step);
    std::size_t found = log.find(step, at);
    ASSERT_NE(found, std::string::npos) << log;
    at = found;
  }
  EXPECT_NE(program.Output().find("JoyStick:Init()\n"), std::string::npos);
  EXPECT_NE(program.Output().find("JoyStick::Shutdown\n"), std::string::npos);
}

// A box that only tells (here: the battery file is held by another run) does
// not hold off a shutdown: SIGTERM closes it and the program ends as usual.
TEST_F(DesktopSession, SigtermEndsTheProgramUnderAMessageBox) {
  const std::filesystem::path folder = folders.Make(ScratchPath("held"));
  std::filesystem::copy_file(TAVRIN_DEMO_SMS, folder / "game.sms");
  std::ofstream(folder / "game.sav", std::ios::binary) << std::string(kBatteryBytes, '\xFF');
  const int lock = ::open((folder / "game.sav.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  ASSERT_TRUE(Launch("sigterm", {(folder / "game.sms").string()}));
  WaitForWindows();
  const Window box = x.WaitForWindow("Tavrin", kWindowTimeoutMs, true);
  EXPECT_NE(box, 0u) << program.Errors();
  program.Signal(SIGTERM);
  ExpectExitZero();
  ::close(lock);
}

// _NET_WM_ICON of a window: (width, height, pixels...) repeated, as longs.
std::vector<unsigned long> NetWmIcon(Display* display, Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> icon;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20, False,
                         XA_CARDINAL, &type, &format, &count, &after, &data) == Success && data) {
    if (format == 32) icon.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    XFree(data);
  }
  return icon;
}

// The 64 x 64 image among a window's icons; empty when it has none.
std::vector<unsigned long> Icon64(const std::vector<unsigned long>& icons) {
  for (std::size_t at = 0; at + 2 <= icons.size();) {
    const std::size_t size = icons[at] * icons[at + 1];
    if (at + 2 + size > icons.size()) break;
    if (icons[at] == 64 && icons[at + 1] == 64) return {icons.begin() + at + 2, icons.begin() + at + 2 + size};
    at += 2 + size;
  }
  return {};
}

// The desktop groups both windows as one program (one launcher, one task
// bar entry) only when they carry the same WM_CLASS and icon.
TEST_F(DesktopSession, BothWindowsCarryTheProgramsClassAndIcon) {
  ASSERT_TRUE(Launch("identity", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  std::vector<unsigned long> icons[2];
  const Window windows[2] = {mainWindow, displayWindow};
  EXPECT_TRUE(WaitUntil([&] {
    return Icon64(NetWmIcon(x.Connection(), mainWindow)).size() == 64u * 64u &&
           Icon64(NetWmIcon(x.Connection(), displayWindow)).size() == 64u * 64u;
  }, kWindowTimeoutMs)) << "both windows have their icons";
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i == 0 ? "main window" : "display window");
    XClassHint hint{};
    ASSERT_NE(XGetClassHint(x.Connection(), windows[i], &hint), 0);
    EXPECT_STREQ(hint.res_name, "tavrin");
    EXPECT_STREQ(hint.res_class, "Tavrin");
    XFree(hint.res_name);
    XFree(hint.res_class);
    icons[i] = Icon64(NetWmIcon(x.Connection(), windows[i]));
    ASSERT_EQ(icons[i].size(), 64u * 64u);
    // Not a blank square: the drawing has transparent corners and opaque colours.
    EXPECT_EQ((icons[i][0] >> 24) & 0xFF, 0u);
    EXPECT_EQ((icons[i][32 * 64 + 32] >> 24) & 0xFF, 0xFFu);
  }
  EXPECT_EQ(icons[0], icons[1]) << "both windows show the same icon";
  x.RequestClose(displayWindow);
  ExpectExitZero();
}

// The same program on a 16-bit desktop: the back surface takes its 5-6-5
// layout and the picture still shows.
class DesktopSession16 : public DesktopSession {
 protected:
  int ServerDepth() const override { return 16; }
};

TEST_F(DesktopSession16, ASixteenBitDesktopGetsA565BackSurface) {
  ASSERT_TRUE(Launch("depth16", {}));
  WaitForWindows();
  if (HasFatalFailure()) return;
  x.Focus(displayWindow);
  int width = 0, height = 0;
  std::size_t colours = 0;
  WaitUntil([&] {
    std::vector<std::uint32_t> picture = x.Grab(displayWindow, width, height);
    colours = std::set<std::uint32_t>(picture.begin(), picture.end()).size();
    return colours >= 8;
  }, kWindowTimeoutMs);
  EXPECT_GE(colours, 8u) << "the demo's picture shows";
  x.RequestClose(displayWindow);
  ExpectExitZero();
  const std::string log = program.Errors();
  EXPECT_NE(log.find("16bit 565 Display\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  Display Depth: 16\n"), std::string::npos) << log;
}

TEST(NoDisplay, FallsBackToAHeadlessRunWithAScreenshot) {
  ScratchFolders folders;  // before the program, so it goes after it
  const std::filesystem::path folder = folders.Make(ScratchPath("nodisplay"));
  std::filesystem::path shot = folder / "shot.png";
  Child program;
  ASSERT_TRUE(program.Start(TAVRIN_EXECUTABLE, {"--frames", "5", "--screenshot", shot.string()},
                            {"DISPLAY=", "WAYLAND_DISPLAY=", "HOME=" + folder.string(), "XDG_DATA_HOME=" + folder.string()},
                            folder.string()));
  int status = -1;
  ASSERT_TRUE(program.Wait(kExitTimeoutMs, status));
  EXPECT_EQ(status, 0) << program.Errors();
  EXPECT_NE(program.Errors().find("tavrin: no display ("), std::string::npos) << program.Errors();
  EXPECT_GT(std::filesystem::exists(shot) ? std::filesystem::file_size(shot) : 0u, 100u);
}

}  // namespace
