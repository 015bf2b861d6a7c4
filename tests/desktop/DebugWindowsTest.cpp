// The debugger's windows, with and without a window manager: each opens from
// the "Débogage" menu and shows something (the video window the demo's
// tiles), and a --break stop pauses the game and brings up the processor
// window by itself.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>

#include "XSession.h"

namespace {

constexpr const char* kMainCaption = "Tavrin " TAVRIN_VERSION "    (Compilation : ";
constexpr int kTimeoutMs = kPatienceMs;

class DebugWindows : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::string error;
    if (!x.Start(24, error)) GTEST_SKIP() << "desktop tests skipped: " << error;
    if (GetParam() && !x.StartWindowManager(error)) GTEST_SKIP() << error;
    scratch = folders.Make(std::filesystem::temp_directory_path() /
                           ("tavrin-debugwin-" + std::to_string(::getpid()) + (GetParam() ? "-wm" : "")));
  }

  void Launch(const std::vector<std::string>& arguments) {
    program.emplace();
    ASSERT_TRUE(program->Start(TAVRIN_EXECUTABLE, arguments,
                               {"DISPLAY=" + x.DisplayName(), "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy",
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

  // Waits for a window to show at least `least` colours; `vivid` counts only
  // those far from grey (the theme's and its text's are greys, the
  // console's pictures are not).
  bool ShowsColours(Window window, std::size_t least, bool vivid, std::size_t& count) {
    return WaitUntil(
        [&] {
          int width = 0, height = 0;
          std::set<std::uint32_t> colours;
          for (std::uint32_t p : x.Grab(window, width, height)) {
            const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            if (!vivid || std::max({r, g, b}) - std::min({r, g, b}) > 60) colours.insert(p);
          }
          count = colours.size();
          return count >= least;
        },
        kTimeoutMs);
  }

  void Close() {
    x.RequestClose(display);
    int status = -1;
    ASSERT_TRUE(program->Wait(kTimeoutMs, status)) << program->Errors();
    EXPECT_EQ(status, 0) << program->Errors();
    EXPECT_EQ(program->Errors().find("CRITICAL"), std::string::npos) << program->Errors();
  }

  ScratchFolders folders;
  XSession x;
  std::optional<Child> program;
  std::filesystem::path scratch;
  Window display = 0;
  Window strip = 0;
};

TEST_P(DebugWindows, EachOpensFromTheMenuAndShowsTheConsole) {
  Launch({});
  // The demo has drawn its first picture: its tiles are in video RAM (a
  // debugger window in front pauses it).
  ASSERT_TRUE(x.WaitForChange(display, kTimeoutMs));
  const struct {
    unsigned long key;
    const char* caption;
    std::size_t colours;  // at least: text on a background, or the demo's tiles (vivid colours)
    bool vivid;
  } windows[] = {
      {XK_p, "Processeur", 3, false}, {XK_m, "Mémoire", 3, false}, {XK_v, "Vidéo", 4, true},
      {XK_t, "Trace", 3, false},      {XK_s, "Console SDSC", 2, false},
  };
  for (const auto& w : windows) {
    SCOPED_TRACE(w.caption);
    ASSERT_TRUE(WaitUntil([&] { return x.PopupCount() == 0; }, kTimeoutMs)) << "menus still open";
    ASSERT_TRUE(x.OpenMenu(strip, XK_d, kTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return x.PopupCount() >= 1; }, kTimeoutMs));
    x.Key(w.key, true);
    x.Key(w.key, false);
    const Window window = x.WaitForWindow(w.caption, kTimeoutMs);
    ASSERT_NE(window, 0u) << program->Errors();
    std::size_t count = 0;
    // Raised over the game window, which may hide it.
    x.Focus(window);
    EXPECT_TRUE(ShowsColours(window, w.colours, w.vivid, count)) << count << " colours";
  }
  Close();
}

TEST_P(DebugWindows, ABreakpointPausesTheGameAndShowsTheProcessor) {
  Launch({"--break", "BalloonsDrift"});
  const Window processor = x.WaitForWindow("Processeur", kTimeoutMs);
  ASSERT_NE(processor, 0u) << program->Errors();
  EXPECT_TRUE(WaitUntil([&] { return program->Errors().find("Debugger: stopped: breakpoint at BalloonsDrift\n") !=
                                     std::string::npos; },
                        kTimeoutMs))
      << program->Errors();
  std::size_t count = 0;
  EXPECT_TRUE(ShowsColours(processor, 3, false, count)) << count << " colours";
  Close();
}

INSTANTIATE_TEST_SUITE_P(Desktop, DebugWindows, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Openbox" : "Bare"; });

}  // namespace
