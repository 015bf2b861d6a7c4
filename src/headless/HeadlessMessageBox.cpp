#include "headless/HeadlessMessageBox.h"

#include "debug/DebugConsole.h"

void HeadlessMessageBox::Show(const char* text, const char* caption) {
  LogPrintf("[%s] %s\n", caption ? caption : "", text ? text : "");
}
