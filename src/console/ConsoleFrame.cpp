// One frame of the console: the processor runs line by line, the video chip
// steps once per line, and the controls are latched where the frame's
// picture is complete.
#include "console/Console.h"
#include "z80/Z80Execute.h"

void Console::RunFrame(const FrameInput& input) {
  pendingInput = input;
  lineInFrame = 0;
  for (int line = 0; line < timing.linesPerFrame; ++line) cpu.RunWith(*this);
  psg.EndFrame(static_cast<std::uint32_t>(timing.CyclesPerFrame()));
  lineInFrame = 0;
  ++framesRun;
}

// Once per scanline, after the processor's share of it.
std::uint16_t Console::Loop() {
  ++lineInFrame;
  std::uint16_t request = video.StepLine();
  if (!video.frameDone) return request;

  // The last visible line is done: the frame's controls reach the ports.
  video.frameDone = false;
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

void Console::ApplyInput(const FrameInput& input) {
  const ControllerPorts ports = PortsFor(input);
  portDC = ports.dc;
  portDD = ports.dd & 0x3F;
  port00 = ports.gg;
}
