#include "app/HeadlessRun.h"
#include "app/RunOptions.h"

int main(int argc, char** argv) {
  RunOptions options;
  int status = ParseCommandLine(argc, argv, options);
  if (status >= 0) return status;
  // The desktop front end is not part of this build yet: every run is headless.
  return RunHeadless(options);
}
