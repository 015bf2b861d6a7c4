#include "headless/HeadlessMessageBox.h"

#include "debug/DebugConsole.h"
#include "host/display/HostMessageBox.h"

void HeadlessMessageBox(const char* text, const char* caption) {
  LogPrintf("[%s] %s\n", caption ? caption : "", text ? text : "");
}

void InstallHeadlessMessageBox() { SetHostMessageBox(&HeadlessMessageBox); }
