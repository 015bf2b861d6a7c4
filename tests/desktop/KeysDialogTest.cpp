// "Touches…" from the menu, with and without a window manager: a key rebound
// in the dialog drives the console at once and is written to the settings.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "XSession.h"

namespace {

constexpr int kTimeoutMs = kPatienceMs;

class KeysDialog : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::string error;
    if (!x.Start(24, error)) GTEST_SKIP() << "desktop tests skipped: " << error;
    if (GetParam() && !x.StartWindowManager(error)) GTEST_SKIP() << error;
    scratch = folders.Make(std::filesystem::temp_directory_path() /
                           ("tavrin-keys-" + std::to_string(::getpid()) + (GetParam() ? "-wm" : "-bare")));
  }
  void Press(unsigned long keysym) {
    x.Key(keysym, true);
    x.Key(keysym, false);
  }
  // Mean x of the demo ship's cyan in its band of rows (scale 2), -1 when absent.
  double ShipX() {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = x.Grab(display, width, height);
    long long sum = 0, count = 0;
    for (std::size_t at = 88 * 2 * 512; at < std::min<std::size_t>(pixels.size(), 120 * 2 * 512); ++at) {
      if (pixels[at] == 0x00FFFF) sum += static_cast<long long>(at % 512), ++count;
    }
    return count ? static_cast<double>(sum) / static_cast<double>(count) : -1;
  }
  std::string Settings() {
    std::ifstream in(scratch / "config" / "tavrin" / "tavrin.conf");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The program ends first, then its X server; its folders go last.
  ScratchFolders folders;
  XSession x;
  std::optional<Child> program;
  std::filesystem::path scratch;
  Window display = 0;
};

TEST_P(KeysDialog, AKeyReboundInTheDialogDrivesThePadAndIsSaved) {
  program.emplace();
  ASSERT_TRUE(program->Start(TAVRIN_EXECUTABLE, {},
                             {"DISPLAY=" + x.DisplayName(), "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy",
                              "NO_AT_BRIDGE=1", "HOME=" + scratch.string(), "XDG_DATA_HOME=" + scratch.string(),
                              "XDG_CONFIG_HOME=" + (scratch / "config").string(),
                              std::string("LSAN_OPTIONS=suppressions=") + TAVRIN_LSAN_SUPPRESSIONS +
                                  ":print_suppressions=0"},
                             scratch.string()));
  display = x.WaitForWindow("Sega ", kTimeoutMs);
  const Window strip = x.WaitForWindow("Tavrin " TAVRIN_VERSION "    (Compilation : ", kTimeoutMs);
  ASSERT_NE(display, 0u) << program->Errors();
  ASSERT_NE(strip, 0u) << program->Errors();
  double startX = -1;
  ASSERT_TRUE(WaitUntil([&] { return (startX = ShipX()) >= 0; }, kTimeoutMs));

  // Options > Touches…
  ASSERT_TRUE(x.OpenMenu(strip, XK_o, kTimeoutMs));
  Press(XK_u);
  const Window dialog = x.WaitForWindow("Touches", kTimeoutMs);
  ASSERT_NE(dialog, 0u) << program->Errors();
  x.Focus(dialog);
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(dialog); }, kTimeoutMs));

  // The focus starts on pad 1's "up" key; three rows down is "right".
  for (int row = 0; row < 3; ++row) Press(XK_Down);
  Press(XK_Return);
  ASSERT_TRUE(WaitUntil([&] { return x.Caption(dialog) != "Touches"; }, kTimeoutMs)) << "waiting for a key";
  Press(XK_d);
  EXPECT_TRUE(WaitUntil([&] { return x.Caption(dialog) == "Touches"; }, kTimeoutMs)) << x.Caption(dialog);
  EXPECT_TRUE(WaitUntil([&] { return Settings().find("pad1-right=D\n") != std::string::npos; }, kTimeoutMs))
      << Settings();
  Press(XK_Escape);
  EXPECT_TRUE(WaitUntil([&] { return x.WaitForWindow("Touches", 0) == 0; }, kTimeoutMs));

  x.Focus(display);
  ASSERT_TRUE(WaitUntil([&] { return x.HasFocus(display); }, kTimeoutMs));
  x.Key(XK_d, true);
  EXPECT_TRUE(WaitUntil([&] { return ShipX() > startX + 40; }, kTimeoutMs)) << "D steers the ship right";
  x.Key(XK_d, false);

  x.RequestClose(display);
  int status = -1;
  ASSERT_TRUE(program->Wait(kTimeoutMs, status)) << program->Errors();
  EXPECT_EQ(status, 0) << program->Errors();
  EXPECT_EQ(program->Errors().find("CRITICAL"), std::string::npos) << program->Errors();
}

INSTANTIATE_TEST_SUITE_P(Desktop, KeysDialog, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "WindowManager" : "BareServer";
                         });

}  // namespace
