#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "desktop/DesktopRun.h"
#include "headless/HeadlessRun.h"
#include "host/session/RunOptions.h"
#include "host/i18n/Language.h"

namespace {

int Run(int argc, char** argv) {
  RunOptions options;
  int status = ParseCommandLine(argc, argv, options);
  if (status >= 0) return status;
  if (options.headless) return RunHeadless(options);

  // Menus, dialogs and notes in the player's language; headless runs write
  // only log lines and files, which read the same in every locale.
  SetUpLanguage();
  std::string noDisplay;
  status = RunDesktop(options, noDisplay);
  if (status >= 0) return status;

  // No windows can be opened here: run headless and leave the picture. Its
  // message boxes are log lines, written as the code says.
  UseTextsAsWritten();
  if (options.screenshot.empty()) options.screenshot = "tavrin.png";
  std::fprintf(stderr, "tavrin: no display (%s); running headless for %d frames, last frame in %s\n",
               noDisplay.c_str(), options.frames, options.screenshot.c_str());
  return RunHeadless(options);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing escapes as an abort: a failed allocation (an image or a
  // recording larger than memory) or any other error ends with one line.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tavrin: out of memory\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tavrin: %s\n", error.what());
  }
  return 1;
}
