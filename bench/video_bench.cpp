// Renders and converts full frames of a busy scene and prints the cost of one
// frame in microseconds: Video::RenderLine for the 192 visible lines, then
// FramePresenter::Convert of the indexed picture into a 32-bit buffer, as a
// host does for a frame it presents.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "host/display/FramePresenter.h"
#include "vdp/Video.h"

namespace {

void SetRegister(Video& video, int reg, std::uint8_t value) {
  video.WriteControl(value);
  video.WriteControl(static_cast<std::uint8_t>(0x80 | reg));
}

// Patterns full of colour, a name table using both palettes, both flips and
// priority, a scroll, and 64 sprites of 16 lines spread over the screen.
void BuildBusyScene(Video& video) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(seed >> 16);
  };
  for (int i = 0; i < 0x3800; ++i) video.vram[i] = next();
  for (int row = 0; row < 28; ++row) {
    for (int column = 0; column < 32; ++column) {
      int entry = 0x3800 + row * 64 + column * 2;
      video.vram[entry] = next();
      video.vram[entry + 1] = static_cast<std::uint8_t>(next() & 0x1F);
    }
  }
  SetRegister(video, 0, 0x24);  // mode 4, left column blank
  SetRegister(video, 1, 0x42);  // display on, 16-line sprites
  SetRegister(video, 2, 0x0E);  // name table at 0x3800
  SetRegister(video, 5, 0x7E);  // sprite table at 0x3F00
  SetRegister(video, 6, 0x04);  // sprite patterns at 0x2000
  SetRegister(video, 7, 0x03);
  SetRegister(video, 8, 37);
  SetRegister(video, 9, 50);
  for (int n = 0; n < 64; ++n) {
    video.vram[0x3F00 + n] = static_cast<std::uint8_t>((n * 37) % 176);
    video.vram[0x3F80 + n * 2] = static_cast<std::uint8_t>(n * 4 + 1);
    video.vram[0x3F81 + n * 2] = static_cast<std::uint8_t>(n * 2);
  }
  for (int c = 0; c < 32; ++c) {
    video.WriteControl(static_cast<std::uint8_t>(c));
    video.WriteControl(0xC0);
    video.WriteData(static_cast<std::uint8_t>(c * 7 + 1));
  }
  video.VramReplaced();  // video RAM was written directly above
}

double MicrosecondsPerFrame(Video& video, std::vector<std::uint32_t>& surface, int frames) {
  SurfaceLock lock;
  lock.bits = reinterpret_cast<std::uint8_t*>(surface.data());
  lock.pitch = Video::kWidth * 4;
  auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    SetRegister(video, 8, static_cast<std::uint8_t>(37 + f));  // keep the scroll moving
    for (int l = 0; l < Video::kHeight; ++l) video.RenderLine(l);
    FramePresenter::Convert(video.frame, video.cram, video.gameGear, lock, 32, false);
  }
  auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(stop - start).count() / frames;
}

}  // namespace

int main(int argc, char** argv) {
  auto video = std::make_unique<Video>();
  video->Reset();
  BuildBusyScene(*video);
  std::vector<std::uint32_t> surface(Video::kFrameSize);
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  MicrosecondsPerFrame(*video, surface, std::min(200, frames));  // warm up

  constexpr int kRuns = 5;
  double runs[kRuns];
  for (int r = 0; r < kRuns; ++r) {
    runs[r] = MicrosecondsPerFrame(*video, surface, frames);
    std::printf("run %d: %.1f us per frame\n", r + 1, runs[r]);
  }
  std::sort(runs, runs + kRuns);
  std::printf("video render + convert (depth 32): median %.1f us per frame over %d runs of %d frames\n",
              runs[kRuns / 2], kRuns, frames);
  // A picture that is all one value means the scene never reached the screen.
  const bool busy = std::any_of(surface.begin(), surface.end(), [&](std::uint32_t p) { return p != surface[0]; });
  return busy ? 0 : 1;
}
