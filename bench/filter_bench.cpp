// The picture filters' cost on the presenter's side: a Game Gear frame
// presented into a 32-bit (and a 16-bit) back surface with no filter, then
// with the LCD ghosting (each frame mixed with the one before), side by
// side, in microseconds a frame and as a share of one core at 59.92 frames
// a second. Smooth scaling and scanlines are the renderer's, measured with
// the desktop program itself (docs/performance.md).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "host/display/FramePresenter.h"

namespace {

// A back surface in memory, presented nowhere.
class MemoryDisplay final : public Display {
 public:
  MemoryDisplay(int chosenDepth, bool use565) {
    depth = chosenDepth;
    is565 = use565 ? 1 : 0;
  }
  bool OpenWindow(int, int, const char*) override { return true; }
  bool CreateBackSurface(int width, int height) override {
    pitch = width * BackBytesPerPixel(depth);
    bits.assign(static_cast<std::size_t>(pitch) * height, 0);
    return true;
  }
  void Show() override {}
  void Centre() override {}
  void Resize(int, int) override {}
  void Focus() override {}
  bool HasSurfaces() const override { return !bits.empty(); }
  bool LockBackBuffer(SurfaceLock& lock) override {
    lock.bits = bits.data();
    lock.pitch = pitch;
    return true;
  }
  bool UnlockBackBuffer() override { return true; }
  bool Present() override { return true; }

 private:
  std::vector<std::uint8_t> bits;
  int pitch = 0;
};

double MicrosecondsPerFrame(int depth, bool is565, bool ghosting, int frames) {
  MemoryDisplay display(depth, is565);
  display.CreateBackSurface(256, 240);
  display.picture = kGameGearPicture;
  FramePresenter presenter(&display);
  presenter.lcdGhosting = ghosting;
  std::vector<std::uint8_t> frame(256 * 192);
  std::uint32_t seed = 12345;
  for (std::uint8_t& index : frame) {
    seed = seed * 1103515245u + 12345u;
    index = static_cast<std::uint8_t>((seed >> 16) & 31);
  }
  std::uint8_t cram[64];
  for (int i = 0; i < 64; ++i) cram[i] = static_cast<std::uint8_t>(i * 37);
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < frames; ++n) {
    frame[static_cast<std::size_t>(n) % frame.size()] ^= 1;  // each frame differs a little
    presenter.Present(frame.data(), cram, true);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return seconds * 1e6 / frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
  constexpr double kFramePeriodUs = 1e6 / 59.92;
  for (const auto& [depth, is565, name] : {std::tuple{32, false, "32-bit"}, std::tuple{16, true, "16-bit 5-6-5"}}) {
    // Median of five rounds each, alternating, so a busy machine weighs on both.
    std::vector<double> plain, lcd;
    for (int round = 0; round < 5; ++round) {
      plain.push_back(MicrosecondsPerFrame(depth, is565, false, frames));
      lcd.push_back(MicrosecondsPerFrame(depth, is565, true, frames));
    }
    std::sort(plain.begin(), plain.end());
    std::sort(lcd.begin(), lcd.end());
    const double a = plain[2], b = lcd[2];
    std::printf("%s: no filter %.1f us a frame (%.2f%% of a core), LCD ghosting %.1f us (%.2f%%), the filter %.1f us "
                "(%.2f%%)\n",
                name, a, 100 * a / kFramePeriodUs, b, 100 * b / kFramePeriodUs, b - a, 100 * (b - a) / kFramePeriodUs);
  }
  return 0;
}
