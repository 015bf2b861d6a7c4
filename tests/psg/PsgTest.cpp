#include "psg/Psg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

namespace {

constexpr std::uint32_t kNtscClock = 3579545;
constexpr std::uint32_t kNtscFrame = 59736;

// Renders `seconds` of NTSC frames and returns every sample.
std::vector<std::int16_t> RenderSeconds(Psg& psg, int seconds) {
  std::vector<std::int16_t> out;
  for (int f = 0; f < 60 * seconds; ++f) {
    psg.EndFrame(kNtscFrame);
    out.insert(out.end(), psg.Samples(), psg.Samples() + psg.SampleCount());
  }
  return out;
}

// Frequency from the rising edges (from below 0 to above `threshold`) once
// the DC filter has settled: periods between the first and the last edge.
double MeasuredFrequency(const std::vector<std::int16_t>& s, int threshold = 0) {
  long first = -1, last = -1, edges = 0;
  bool low = false;
  for (std::size_t i = 2400; i < s.size(); ++i) {
    if (s[i] < 0) low = true;
    if (!low || s[i] <= threshold) continue;
    low = false;
    if (first < 0) first = static_cast<long>(i);
    last = static_cast<long>(i);
    ++edges;
  }
  return edges < 3 ? 0 : (edges - 1) / ((last - first) / 48000.0);
}

void WriteAll(Psg& psg, std::initializer_list<int> bytes) {
  for (int b : bytes) psg.Write(0, static_cast<std::uint8_t>(b));
}

void SetTone(Psg& psg, int channel, int period, int attenuation) {
  WriteAll(psg, {0x80 | channel << 5 | (period & 0xF), period >> 4, 0x90 | channel << 5 | attenuation});
}

TEST(Psg, TonesAndPeriodicNoiseSoundAtTheirPitch) {
  struct Case {
    std::vector<int> bytes;
    double hertz;
    int threshold;  // for noise a quarter of full level: its pulses, not the steps' ringing near zero
  };
  std::vector<Case> cases = {
      {{0xE0, 0xF0}, kNtscClock / 8192.0, 720},  // periodic noise: one pulse per 16 shifts
      {{0xE2, 0xF0}, kNtscClock / 32768.0, 720},
      {{0xC4, 0x06, 0xE3, 0xF0}, kNtscClock / (512.0 * 100), 720},  // rate 3 follows tone 2 (period 100)
  };
  for (int period = 5; period < 1024; ++period) {  // period 4 and below lie above 24 kHz
    const int channel = period % 3;
    cases.push_back({{0x80 | channel << 5 | (period & 0xF), period >> 4, 0x90 | channel << 5}, kNtscClock / (32.0 * period), 0});
  }
  auto psg = std::make_unique<Psg>();
  for (const Case& c : cases) {
    psg->Reset();
    for (int b : c.bytes) psg->Write(0, static_cast<std::uint8_t>(b));
    EXPECT_NEAR(MeasuredFrequency(RenderSeconds(*psg, 1), c.threshold) / c.hertz, 1.0, 0.0005) << c.hertz << " Hz";
  }
  // White noise changes level on about every other shift: far more edges
  // than any periodic pattern at the same rate.
  psg->Reset();
  WriteAll(*psg, {0xE4, 0xF0});
  EXPECT_GT(MeasuredFrequency(RenderSeconds(*psg, 1), 720), 1000);
  psg->Write(0, 0xE5);
  EXPECT_EQ(psg->ShiftRegister(), 0x8000) << "writing the noise control resets the register";
}

TEST(Psg, FlipFlopsFlipOncePerReload) {
  struct Case {
    const char* name;
    std::initializer_list<int> bytes;
    int channel;
    int steps;  // chip steps between flips
  };
  const Case cases[] = {
      {"period 0 counts as 1", {0x80, 0x00, 0x90}, 0, 1},
      {"period 1 (held high)", {0xA1, 0x00, 0xB0}, 1, 1},
      {"period 2 above Nyquist", {0xC2, 0x00, 0xD0}, 2, 2},
      {"period 4 above Nyquist", {0x84, 0x00, 0x90}, 0, 4},
      {"period 4 silent", {0x84, 0x00, 0x9F}, 0, 4},
      {"period 5 drawn", {0x85, 0x00, 0x90}, 0, 5},
      {"period 1023 drawn", {0x8F, 0x3F, 0x90}, 0, 1023},
      {"noise rate 0", {0xE0, 0xF0}, 3, 0x10},
      {"noise rate 1 silent", {0xE1, 0xFF}, 3, 0x20},
      {"noise rate 2", {0xE6, 0xF3}, 3, 0x40},
      {"noise rate 3 follows tone 2", {0xC7, 0x01, 0xE7, 0xF0}, 3, 0x17},
  };
  for (const Case& c : cases) {
    Psg psg;
    for (int b : c.bytes) psg.Write(0, static_cast<std::uint8_t>(b));
    int flipsPerFrame = 100000 / (16 * c.steps);
    if (flipsPerFrame >= 32) flipsPerFrame &= ~31;
    const std::uint32_t frame = 16 * c.steps * flipsPerFrame;  // a whole number of periods
    psg.EndFrame(frame);
    const std::uint32_t before = psg.Flips(c.channel);
    const std::uint16_t shiftBefore = psg.ShiftRegister();
    psg.EndFrame(frame);
    EXPECT_EQ(psg.Flips(c.channel) - before, static_cast<std::uint32_t>(flipsPerFrame)) << c.name;
    if (c.channel == 3 && flipsPerFrame % 32 == 0) {
      // Periodic noise repeats every 16 shifts, one shift per two flips.
      EXPECT_EQ(psg.ShiftRegister() == shiftBefore, (psg.NoiseControl() & 4) == 0) << c.name;
    }
  }
}

TEST(Psg, VolumeStepsAreLinearAndSilenceSettlesOnZero) {
  auto peakAt = [](int attenuation) {
    Psg psg;
    SetTone(psg, 1, 0, attenuation);  // period 0: held high, a plain step
    psg.EndFrame(kNtscFrame);
    return *std::max_element(psg.Samples(), psg.Samples() + psg.SampleCount());
  };
  const int full = peakAt(0);
  EXPECT_GT(full, 1000);
  for (int attenuation = 1; attenuation < 16; ++attenuation) {
    EXPECT_NEAR(peakAt(attenuation), full * (15 - attenuation) / 15.0, 2) << "attenuation " << attenuation;
  }
  // Every channel at full level, flipping together: no clipping; then all
  // off at once, and the DC filter drains the output to exactly 0.
  Psg loud;
  for (int k = 0; k < 3; ++k) SetTone(loud, k, 1023, 0);
  WriteAll(loud, {0xE0, 0xF0});
  const std::vector<std::int16_t> s = RenderSeconds(loud, 1);
  WriteAll(loud, {0x9F, 0xBF, 0xDF, 0xFF});
  const std::vector<std::int16_t> after = RenderSeconds(loud, 1);
  for (const auto* part : {&s, &after}) {
    EXPECT_LT(*std::max_element(part->begin(), part->end()), 32767);
    EXPECT_GT(*std::min_element(part->begin(), part->end()), -32768);
  }
  EXPECT_EQ(std::count(after.end() - 1000, after.end(), 0), 1000);
}

// Periods 0 and 1 hold the tone's output high rather than flipping too fast
// to hear: games play samples by writing the volume of such a channel, each
// volume a level of the output. Both periods play the same.
TEST(Psg, TonePeriodsZeroAndOneHoldTheOutputHigh) {
  std::vector<std::int16_t> played[2];
  for (int period : {0, 1}) {
    SCOPED_TRACE(period);
    int full = 0;
    for (int attenuation : {0, 5, 10}) {
      Psg psg;
      SetTone(psg, 2, period, attenuation);
      psg.EndFrame(kNtscFrame);
      const auto [low, high] = std::minmax_element(psg.Samples(), psg.Samples() + psg.SampleCount());
      if (attenuation == 0) full = *high;
      EXPECT_GT(full, 1000);
      EXPECT_NEAR(*high, full * (15 - attenuation) / 15.0, 2) << "attenuation " << attenuation;
      EXPECT_GT(*low, -*high / 20) << "attenuation " << attenuation;  // a step up, never a swing below zero
      played[period].insert(played[period].end(), psg.Samples(), psg.Samples() + psg.SampleCount());
    }
  }
  EXPECT_EQ(played[0], played[1]);
}

TEST(Psg, PortBytesReachTheirRegisters) {
  struct Case {
    const char* name;
    std::initializer_list<int> bytes;
    int tones[3];
    int attenuations[4];
    int noise;
    int latched;
  };
  const Case cases[] = {
      {"latch low bits, data high bits", {0x8E, 0x3F}, {0x3FE, 0, 0}, {15, 15, 15, 15}, 0, 0},
      {"a latch byte alone changes the low bits", {0xA5, 0x12, 0xAA}, {0, 0x12A, 0}, {15, 15, 15, 15}, 0, 2},
      {"data bit 6 is ignored", {0xC0, 0x7F}, {0, 0, 0x3F0}, {15, 15, 15, 15}, 0, 4},
      {"data after a volume latch", {0x93, 0x0A}, {0, 0, 0}, {10, 15, 15, 15}, 0, 1},
      {"data after a noise-volume latch", {0xFF, 0x25}, {0, 0, 0}, {15, 15, 15, 5}, 0, 7},
      {"data after a noise latch", {0xE5, 0x02}, {0, 0, 0}, {15, 15, 15, 15}, 2, 6},
      {"data goes to the last latch only", {0x8C, 0xB0, 0x01}, {0xC, 0, 0}, {15, 1, 15, 15}, 0, 3},
  };
  for (const Case& c : cases) {
    Psg psg;
    WriteAll(psg, c.bytes);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(psg.TonePeriod(k), c.tones[k]) << c.name << " tone " << k;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(psg.Attenuation(k), c.attenuations[k]) << c.name << " volume " << k;
    EXPECT_EQ(psg.NoiseControl(), c.noise) << c.name;
    EXPECT_EQ(psg.LatchedRegister(), c.latched) << c.name;
  }
}

TEST(Psg, ExactlyOneSecondOfSamplesPerSecondOfCycles) {
  struct Case {
    std::uint32_t clock, frame;
  };
  for (const Case c : {Case{kNtscClock, kNtscFrame}, Case{3546893, 71364}}) {  // NTSC, PAL
    Psg psg;
    psg.SetClock(c.clock);
    const int low = static_cast<int>(std::uint64_t{c.frame} * 48000 / c.clock);
    long total = 0;
    for (std::uint32_t done = 0; done < c.clock; done += c.frame) {
      psg.EndFrame(std::min(c.frame, c.clock - done));
      total += psg.SampleCount();
      if (c.clock - done >= c.frame) {
        EXPECT_TRUE(psg.SampleCount() == low || psg.SampleCount() == low + 1);
      }
    }
    EXPECT_EQ(total, 48000) << "clock " << c.clock;
  }
}

// A test archive: integers little-endian into a byte vector and back.
struct Archive {
  std::vector<std::uint8_t> bytes;
  bool loading = false;
  std::size_t at = 0;
  template <class T>
  void Field(T& v) {
    if constexpr (std::is_array_v<T>) {
      for (auto& e : v) Field(e);
    } else if (loading) {
      std::uint64_t u = 0;
      for (std::size_t i = 0; i < sizeof v; ++i) u |= std::uint64_t{at < bytes.size() ? bytes[at++] : 0u} << 8 * i;
      v = static_cast<T>(u);
    } else {
      for (std::size_t i = 0; i < sizeof v; ++i) bytes.push_back(static_cast<std::uint8_t>(std::uint64_t(v) >> 8 * i));
    }
  }
};

// Frame f of a busy script (tones, noise, volumes), its writes in [from, to).
void Script(Psg& psg, int frame, std::uint32_t from = 0, std::uint32_t to = kNtscFrame) {
  std::mt19937 rng(frame);
  for (std::uint32_t cycle = 0; cycle < kNtscFrame; cycle += 1000 + rng() % 12000) {
    const unsigned channel = rng() % 4, kind = rng() % 2, low = rng() % 16, high = rng() % 64;
    if (cycle < from || cycle >= to) continue;
    if (kind) {
      psg.Write(cycle, static_cast<std::uint8_t>(0x90 | channel << 5 | low));
    } else {
      psg.Write(cycle, static_cast<std::uint8_t>(0x80 | channel << 5 | low));
      psg.Write(cycle + 30, static_cast<std::uint8_t>(high));
    }
  }
}

std::vector<std::int16_t> RunScript(Psg& psg, int first, int last) {
  std::vector<std::int16_t> out;
  for (int f = first; f < last; ++f) {
    Script(psg, f);
    psg.EndFrame(kNtscFrame);
    out.insert(out.end(), psg.Samples(), psg.Samples() + psg.SampleCount());
  }
  return out;
}

TEST(Psg, SavedStateContinuesBitIdentically) {
  // Saved in the middle of frame 60, loaded into a chip with other history.
  auto straight = std::make_unique<Psg>(), restored = std::make_unique<Psg>();
  RunScript(*straight, 0, 60);
  RunScript(*restored, 500, 520);
  Script(*straight, 60, 0, 30000);
  Archive archive;
  straight->Serialize(archive);
  archive.loading = true;
  restored->Serialize(archive);
  restored->Sanitize();
  EXPECT_EQ(archive.at, archive.bytes.size());
  Script(*straight, 60, 30000);
  Script(*restored, 60, 30000);
  EXPECT_EQ(RunScript(*restored, 61, 120), RunScript(*straight, 61, 120));
}

// A clock slowed within a frame puts that frame's later steps past its
// sample count; the frame's end must still clear every one of them, or the
// chip carries stale steps that a chip loaded from its state does not.
TEST(Psg, StepsDrawnAfterAClockChangeAreAllCleared) {
  auto straight = std::make_unique<Psg>(), restored = std::make_unique<Psg>();
  RunScript(*straight, 0, 10);
  Script(*straight, 10, 0, 20000);
  straight->SetClock(Psg::kMinClock);
  Script(*straight, 10, 20000);
  straight->EndFrame(kNtscFrame);
  Script(*straight, 11, 0, 30000);
  Archive archive;
  straight->Serialize(archive);
  archive.loading = true;
  restored->Serialize(archive);
  restored->Sanitize();
  Script(*straight, 11, 30000);
  Script(*restored, 11, 30000);
  EXPECT_EQ(RunScript(*restored, 12, 40), RunScript(*straight, 12, 40));
}

TEST(Psg, AnyLoadedBytesRenderSafely) {
  std::mt19937 rng(1);
  auto psg = std::make_unique<Psg>();
  for (int round = 0; round < 300; ++round) {
    Archive archive{std::vector<std::uint8_t>(7000), true};
    for (auto& b : archive.bytes) b = static_cast<std::uint8_t>(rng());
    psg->Serialize(archive);
    psg->Sanitize();
    for (int k = 0; k < 20; ++k) psg->Write(rng() % 200000, static_cast<std::uint8_t>(rng()));
    psg->EndFrame(rng() % 200000);
    ASSERT_LE(psg->SampleCount(), Psg::kMaxFrameSamples);
  }
}

}  // namespace
