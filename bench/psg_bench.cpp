// Cost of the sound chip per frame in microseconds: three tones and white
// noise at rate 0 all sounding, a melody changing a period every few frames
// and every channel's volume changing a few times per frame, rendered as the
// console drives it (port writes at their cycles, then EndFrame). Five runs,
// each figure and the median, in processor time of this process, so other
// programs busy on the machine do not inflate it.
#include <algorithm>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "psg/Psg.h"

namespace {

constexpr std::uint32_t kFrameCycles = 59736;
constexpr int kFrames = 20000;

std::int64_t RunFrames(Psg& psg) {
  std::int64_t checksum = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    if (frame % 4 == 0) {
      for (int channel = 0; channel < 3; ++channel) {
        const int period = 100 + (frame * 7 + channel * 211) % 700;
        psg.Write(100, static_cast<std::uint8_t>(0x80 | channel << 5 | (period & 0x0F)));
        psg.Write(140, static_cast<std::uint8_t>(period >> 4));
      }
    }
    // An envelope: each channel's volume steps four times per frame.
    for (int tick = 0; tick < 4; ++tick) {
      const std::uint32_t cycle = 1000 + static_cast<std::uint32_t>(tick) * 14000;
      for (int channel = 0; channel < 4; ++channel) {
        const int attenuation = (frame + tick + channel) % 8;
        psg.Write(cycle + static_cast<std::uint32_t>(channel) * 40,
                  static_cast<std::uint8_t>(0x90 | channel << 5 | attenuation));
      }
    }
    psg.EndFrame(kFrameCycles);
    checksum += psg.Samples()[psg.SampleCount() / 2];
  }
  return checksum;
}

}  // namespace

int main() {
  auto psg = std::make_unique<Psg>();
  double runs[5];
  std::int64_t checksum = 0;
  for (double& run : runs) {
    psg->Reset();
    psg->Write(0, 0xE4);  // white noise, rate 0
    const std::clock_t start = std::clock();
    checksum += RunFrames(*psg);
    const std::clock_t stop = std::clock();
    run = static_cast<double>(stop - start) * 1e6 / CLOCKS_PER_SEC / kFrames;
    std::printf("run: %.3f us/frame\n", run);
  }
  std::sort(runs, runs + 5);
  std::printf("psg: %.3f us per frame (median of 5, %d frames each; checksum %lld)\n", runs[2], kFrames,
              static_cast<long long>(checksum));
  return 0;
}
