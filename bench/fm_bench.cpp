// Cost of the FM unit per frame in microseconds, and its share of a frame's
// 16,688 us at 59.92 frames a second: all nine channels playing (a new note
// on each every eight frames, every built-in instrument, vibrato and
// tremolo among them), then six channels and the five drums in rhythm mode,
// then the unit with nothing keyed. Rendered as the console drives it (port
// writes at their cycles, then EndFrame). Five runs of each, the median, in
// processor time of this process.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>

#include "fm/Fm.h"

namespace {

constexpr std::uint32_t kFrameCycles = 59736;
constexpr double kFrameMicroseconds = 1e6 / 59.922;
constexpr int kFrames = 3000;

void Write(Fm& fm, std::uint32_t cycle, int reg, int value) {
  fm.WriteAddress(static_cast<std::uint8_t>(reg));
  fm.WriteData(cycle, static_cast<std::uint8_t>(value));
}

std::int64_t RunFrames(Fm& fm, bool rhythm, bool keyed) {
  std::int64_t checksum = 0;
  if (rhythm) {
    Write(fm, 0, 0x16, 0x20);
    Write(fm, 0, 0x26, 0x05);
    Write(fm, 0, 0x17, 0x50);
    Write(fm, 0, 0x27, 0x05);
    Write(fm, 0, 0x18, 0xC0);
    Write(fm, 0, 0x28, 0x01);
  }
  const int melodic = rhythm ? 6 : 9;
  for (int frame = 0; frame < kFrames; ++frame) {
    if (keyed && frame % 8 == 0) {
      for (int channel = 0; channel < melodic; ++channel) {
        const std::uint32_t cycle = 200 + static_cast<std::uint32_t>(channel) * 300;
        const int fnumber = 0x100 + (frame * 13 + channel * 71) % 0x100;
        Write(fm, cycle, 0x20 + channel, 0x00);
        Write(fm, cycle + 40, 0x30 + channel, (1 + (frame / 8 + channel) % 15) << 4);
        Write(fm, cycle + 80, 0x10 + channel, fnumber & 0xFF);
        Write(fm, cycle + 120, 0x20 + channel, 0x10 | (2 + channel % 4) << 1 | fnumber >> 8);
      }
      if (rhythm) {
        Write(fm, 3000, 0x0E, 0x20);
        Write(fm, 3040, 0x0E, 0x3F);
      }
    }
    fm.EndFrame(kFrameCycles);
    checksum += fm.Samples()[fm.SampleCount() / 2];
  }
  return checksum;
}

double Measure(const char* name, bool rhythm, bool keyed) {
  auto fm = std::make_unique<Fm>();
  double runs[5];
  std::int64_t checksum = 0;
  for (double& run : runs) {
    fm->Reset();
    const std::clock_t start = std::clock();
    checksum += RunFrames(*fm, rhythm, keyed);
    const std::clock_t stop = std::clock();
    run = static_cast<double>(stop - start) * 1e6 / CLOCKS_PER_SEC / kFrames;
  }
  std::sort(runs, runs + 5);
  std::printf("fm, %s: %.2f us per frame, %.2f %% of a frame's time (median of 5, %d frames each; checksum %lld)\n",
              name, runs[2], 100 * runs[2] / kFrameMicroseconds, kFrames, static_cast<long long>(checksum));
  return runs[2];
}

}  // namespace

int main() {
  Measure("nine channels", false, true);
  Measure("six channels and the drums", true, true);
  Measure("nothing keyed", false, false);
  return 0;
}
