#include "app/MenuCommands.h"

#include "app/Application.h"
#include "video/Display.h"

namespace {
bool palMark = false;

Display* TheDisplay() { return theMachine.video.display; }
}  // namespace

void MenuLoadCartridge(const char* path) {
  if (!path || !LoadAndReset(path)) return;
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuReset() {
  theMachine.Reset();
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuSetScale(int scale) {
  if (scale < 1 || scale > 4) return;
  if (Display* display = TheDisplay()) display->Resize(256 * scale, 192 * scale);
}

void MenuSetPal(bool on) { palMark = on; }

bool PalMark() { return palMark; }

void MenuSetJapanese(bool on) { theMachine.exportConsole = on ? 0 : 1; }

void MenuSetNoSpriteLimit(bool on) { theMachine.video.spriteLimit = !on; }
