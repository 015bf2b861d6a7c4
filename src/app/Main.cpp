#include <cstdio>

#include "debug/DebugConsole.h"

int main() {
  ConsoleInit();
  LogPrintf("Tavrin -- Startup -- %s\n", "v0.3b [19]");
  return 0;
}
