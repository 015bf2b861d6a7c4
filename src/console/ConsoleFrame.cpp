// One frame of the console: the processor runs line by line, the video chip
// steps once per line, and the controls are latched where the frame's
// picture is complete.
#include <algorithm>
#include <cstring>

#include "console/Console.h"
#include "console/ConsoleLoop.h"
#include "vdp/VideoStep.h"
#include "z80/Z80Execute.h"

void Console::RunFramePlain(const FrameInput& input) {
  BeginFrame(input);
  for (int line = 0; line < timing.linesPerFrame; ++line) cpu.RunWith(*this);
  FinishFrame();
}

// The frame's start and end, shared with the debugger's frames.
void Console::BeginFrame(const FrameInput& input) {
  pendingInput = input;
  lineInFrame = 0;
  frameControl = audioControl;
  controlChangeCount = 0;
  soundWriteCount = 0;
  soundWritesLost = 0;
}

void Console::FinishFrame() {
  psg.EndFrame(static_cast<std::uint32_t>(timing.CyclesPerFrame()));
  if (fmUnit) {
    fm.EndFrame(static_cast<std::uint32_t>(timing.CyclesPerFrame()));
    MixSound();
  } else {
    mixing = false;
  }
  lineInFrame = 0;
  ++framesRun;
}


void Console::MixSound() {
  // The PSG alone through the whole frame with a silent FM chip: its own
  // samples as they are.
  mixing = !(fm.SilentFrame() && controlChangeCount == 0 && frameControl == 0);
  if (!mixing) return;
  const std::int16_t* tones = psg.Samples();
  const std::int16_t* voices = fm.Samples();
  const int count = psg.SampleCount();
  const int fmCount = fm.SampleCount();
  std::uint8_t control = frameControl;
  int next = 0;
  for (int i = 0; i < count; ++i) {
    while (next < controlChangeCount && controlChanges[next].sample <= static_cast<std::uint32_t>(i)) {
      control = controlChanges[next++].value;
    }
    // 0: PSG only, 1: FM only, 2: both muted, 3: both.
    std::int32_t sum = 0;
    if (control == 0 || control == 3) sum += tones[i];
    if ((control & 1) && i < fmCount) sum += voices[i];
    mixed[i] = static_cast<std::int16_t>(std::clamp<std::int32_t>(sum, -32768, 32767));
  }
}

std::uint16_t Console::LoopOutOfLine() { return Loop(); }

void Console::ApplyInput(const FrameInput& input) {
  const ControllerPorts ports = PortsFor(input);
  portDC = ports.dc;
  portDD = ports.dd & 0x3F;
  port00 = ports.gg;
  std::memcpy(keyRows, input.keyboard, sizeof keyRows);
  for (int port = 0; port < 2; ++port) device[port].Latch(input.pad[port], input.pointer[port]);
}

void Console::ComposeScreen() {
  const bool colours = GameGearColours();
  std::uint16_t* picture = work;
  if (GlassesOn()) {
    // The frame just drawn is for the eye whose shutter is open.
    FrameColours(video.frame, video.ShownColours(), colours, eyeColours[glassesShutter & 1]);
    if (glassesView == GlassesView::kAnaglyph) {
      MixAnaglyph(eyeColours[kLeftEye], eyeColours[kLeftEye ^ 1], picture);
    } else {
      picture = eyeColours[kLeftEye];
    }
  } else {
    FrameColours(video.frame, video.ShownColours(), colours, picture);
  }
  if (compatibility) {
    ScaleToGameGearScreen(picture, screen);
  } else {
    std::memcpy(screen, picture, sizeof screen);
  }
}
