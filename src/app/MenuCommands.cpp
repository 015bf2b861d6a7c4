#include "app/MenuCommands.h"

#include "app/Application.h"
#include "app/DesktopPlay.h"
#include "app/StateSlots.h"
#include "host/video/Display.h"

namespace {
bool palMark = false;

Display* TheDisplay() { return activeSession ? activeSession->presenter.GetDisplay() : nullptr; }
}  // namespace

void MenuLoadCartridge(const char* path) {
  if (!path || !activeSession || !activeSession->LoadAndReset(path)) return;
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuReset() {
  if (activeSession) activeSession->Reset();
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuSetScale(int scale) {
  if (scale < 1 || scale > 4) return;
  if (Display* display = TheDisplay()) display->Resize(256 * scale, 192 * scale);
}

void MenuSetPal(bool on) { palMark = on; }

bool PalMark() { return palMark; }

void MenuSetNoSpriteLimit(bool on) {
  if (activeSession) activeSession->console.video.spriteLimit = !on;
}

void MenuSetJapanese(bool on) {
  if (activeSession) activeSession->console.SetJapanese(on);
}

void MenuSaveState() {
  if (activeSession && activeSession->cartridgeLoaded) SaveSlotWithNote(*activeSession, activeSession->stateSlot);
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuLoadState() {
  if (activeSession && activeSession->cartridgeLoaded) LoadSlotWithNote(*activeSession, activeSession->stateSlot);
  if (Display* display = TheDisplay()) display->Focus();
}

void MenuSetStateSlot(int slot) {
  if (activeSession && slot >= 1 && slot <= kStateSlotCount) activeSession->stateSlot = slot;
}

void MenuSetFastForward(bool on) {
  if (activeSession) activeSession->fastForward = on;
  if (Display* display = TheDisplay()) display->Focus();
}
