#include <cstdio>
#include <string>

#include "app/DesktopRun.h"
#include "app/HeadlessRun.h"
#include "app/RunOptions.h"

int main(int argc, char** argv) {
  RunOptions options;
  int status = ParseCommandLine(argc, argv, options);
  if (status >= 0) return status;
  if (options.headless) return RunHeadless(options);

  std::string noDisplay;
  status = RunDesktop(options, noDisplay);
  if (status >= 0) return status;

  // No windows can be opened here: run headless and leave the picture.
  if (options.screenshot.empty()) options.screenshot = "tavrin.png";
  std::fprintf(stderr, "tavrin: no display (%s); running headless for %d frames, last frame in %s\n",
               noDisplay.c_str(), options.frames, options.screenshot.c_str());
  return RunHeadless(options);
}
