#pragma once

// The console's line hook, defined here so that whoever runs the processor
// on the console (the frame loop, the processor benchmark) has it inlined.
#include "console/Console.h"
#include "vdp/VideoStep.h"

// Once per scanline, after the processor's share of it.
inline std::uint16_t Console::Loop() {
  ++lineInFrame;
  if (device[0].kind == Peripheral::kLightGun || device[1].kind == Peripheral::kLightGun) [[unlikely]] {
    LatchGunCounter(true);
  }
  std::uint16_t request = video.StepLine();
  if (!video.frameDone) return request;

  // The last visible line is done: the frame's controls reach the ports.
  video.frameDone = false;
  if (ScreenInColours()) ComposeScreen();
  // In the Game Gear's Master System mode its Start button is the pause
  // button, and port 0x00 reads as the Master System's.
  if (compatibility) {
    pendingInput.pause = pendingInput.pause || pendingInput.start;
    pendingInput.start = false;
  }
  const bool pausePressed = pendingInput.pause && !pauseHeld;
  pauseHeld = pendingInput.pause;
  ApplyInput(pendingInput);
  // The pause button is wired to the processor's non-maskable interrupt,
  // which is edge-triggered: one interrupt per press.
  if (pausePressed) request = kNmiRequest;
  if (savePending) {
    savePending = false;
    saveRequest = true;
  }
  return request;
}
