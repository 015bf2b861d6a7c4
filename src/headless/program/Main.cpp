// tavrin-headless: the headless runner as a program of its own, for machines
// with no display, sound or toolkit libraries (a CI runner, a container). It
// takes the tavrin program's command line and always runs headless.
#include <cstdio>
#include <exception>
#include <new>

#include "headless/HeadlessRun.h"
#include "host/session/RunOptions.h"

int main(int argc, char** argv) {
  try {
    RunOptions options;
    const int status = ParseCommandLine(argc, argv, options);
    if (status >= 0) return status;
    options.headless = true;
    return RunHeadless(options);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tavrin: out of memory\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tavrin: %s\n", error.what());
  }
  return 1;
}
