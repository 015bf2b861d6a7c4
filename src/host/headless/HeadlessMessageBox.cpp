#include "host/headless/HeadlessMessageBox.h"

#include "debug/DebugConsole.h"
#include "host/video/HostMessageBox.h"

void HeadlessMessageBox(const char* text, const char* caption) {
  LogPrintf("[%s] %s\n", caption ? caption : "", text ? text : "");
}

void InstallHeadlessMessageBox() { SetHostMessageBox(&HeadlessMessageBox); }
