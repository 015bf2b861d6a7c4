// The debug server in the desktop program: an editor attaches while the
// windows run, stops the console, looks, lets it go and leaves; the program
// runs on and closes as usual.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "DapTestClient.h"
#include "XSession.h"

namespace {

// Run on a bare X server and under a window manager.
class DesktopDebugServer : public testing::TestWithParam<bool> {};

TEST_P(DesktopDebugServer, AnEditorStopsAndResumesTheRunningProgram) {
  ScratchFolders folders;
  XSession x;
  Child program;
  std::string error;
  if (!x.Start(24, error)) GTEST_SKIP() << "desktop tests skipped: " << error;
  if (GetParam() && !x.StartWindowManager(error)) GTEST_SKIP() << "no window manager: " << error;
  const std::filesystem::path scratch =
      folders.Make(std::filesystem::temp_directory_path() / ("tavrin-desktop-dap-" + std::to_string(::getpid())));
  for (const char* extension : {".sms", ".cdb", ".noi"}) {
    std::filesystem::copy_file(std::filesystem::path(CART_C_PROBE).replace_extension(extension),
                               (scratch / "c_probe").replace_extension(extension));
  }
  ASSERT_TRUE(program.Start(TAVRIN_EXECUTABLE, {"--debug-server", "0", (scratch / "c_probe.sms").string()},
                            {"DISPLAY=" + x.DisplayName(), "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy",
                             "NO_AT_BRIDGE=1", "HOME=" + scratch.string(), "XDG_DATA_HOME=" + scratch.string(),
                             "XDG_CONFIG_HOME=" + scratch.string(),
                             std::string("LSAN_OPTIONS=suppressions=") + TAVRIN_LSAN_SUPPRESSIONS +
                                 ":print_suppressions=0"},
                            scratch.string()));
  const Window display = x.WaitForWindow("Sega Master System", kPatienceMs);
  ASSERT_NE(display, 0u) << program.Errors();
  x.Focus(display);
  int port = 0;
  ASSERT_TRUE(WaitUntil([&] {
    const std::string errors = program.Errors();
    const std::size_t at = errors.find("debug server on 127.0.0.1:");
    if (at != std::string::npos) port = std::atoi(errors.c_str() + at + 26);
    return port > 0;
  }, kPatienceMs)) << program.Errors();

  dap_test::Client client(port);
  ASSERT_TRUE(client.Connected());
  client.Request("initialize");
  client.Request("attach");
  client.Request("configurationDone");
  // The program has long finished its loop and spins at its end.
  ASSERT_TRUE(WaitUntil([&] { return client.Evaluate("counter") == "100"; }, kPatienceMs));
  client.Request("pause", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "pause");
  EXPECT_EQ(client.Where().first, "main");
  const std::string pc = client.Evaluate("pc");
  client.Request("next", {{"threadId", 1}});
  EXPECT_EQ(client.Event("stopped")["body"]["reason"], "step");
  EXPECT_EQ(client.Evaluate("pc"), pc) << "the last line jumps to itself";
  client.Request("continue", {{"threadId", 1}});
  client.Request("disconnect");

  x.RequestClose(display);
  int status = -1;
  ASSERT_TRUE(program.Wait(kPatienceMs, status)) << program.Errors();
  EXPECT_EQ(status, 0) << program.Errors();
}

INSTANTIATE_TEST_SUITE_P(Desktop, DesktopDebugServer, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "WindowManager" : "BareServer";
                         });

}  // namespace
