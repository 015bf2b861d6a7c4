#include "machine/Machine.h"
#include "z80/Z80Execute.h"

// Once per scanline: advance the video chip; after the last visible line, do
// the once-per-frame work (sound flush, input, hotkeys, battery save).
std::uint16_t Machine::Loop() {
  ++linesRun;
  std::uint16_t request = video.StepLine();
  if (!video.frameDone) return request;

  video.frameDone = false;
  psg.Flush(FlushKeep);
  // The pause button is wired to the processor's non-maskable interrupt.
  if (input.Update()) request = kNmiRequest;
  if (input.hotkeys & HotkeyFrameRate) video.showFrameRate = !video.showFrameRate;
  if (input.hotkeys & HotkeySprites) video.hideSprites = !video.hideSprites;
  if (userRamSavePending) {
    userRamSavePending = 0;
    SaveUserRam();
  }
  return request;
}

// The hooks are bound statically here: the console is the processor's only
// caller on the hot path, so memory and port accesses can be inlined.
void Machine::RunLine() { RunAs<Machine>(); }
