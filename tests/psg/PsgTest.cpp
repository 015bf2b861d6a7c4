#include "psg/Psg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

TEST(Psg, TonePitchIsExactAtEveryAudiblePeriod) {
  auto psg = std::make_unique<Psg>();
  for (int period = 5; period < 1024; ++period) {  // period 4 and below lie above 24 kHz
    psg->Reset();
    SetTone(*psg, period % 3, period, 0);
    const double expected = kNtscClock / (32.0 * period);
    const double measured = MeasuredFrequency(RenderSeconds(*psg, 1));
    EXPECT_NEAR(measured / expected, 1.0, 0.0005) << "period " << period;
  }
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

TEST(Psg, NoiseSoundsAtItsRateAndType) {
  struct Case {
    const char* name;
    std::initializer_list<int> bytes;
    double pulses;  // pulses per second of periodic noise; 0 for white
  };
  const Case cases[] = {
      {"periodic rate 0", {0xE0}, kNtscClock / 8192.0},
      {"periodic rate 2", {0xE2}, kNtscClock / 32768.0},
      {"periodic rate 3, tone 2 period 100", {0xC4, 0x06, 0xE3}, kNtscClock / (512.0 * 100)},
      {"white rate 0", {0xE4}, 0},
  };
  for (const Case& c : cases) {
    Psg psg;
    WriteAll(psg, c.bytes);
    WriteAll(psg, {0xF0});
    const std::vector<std::int16_t> s = RenderSeconds(psg, 1);
    // A quarter of full level: the pulses, not the steps' ringing near zero.
    const double measured = MeasuredFrequency(s, 720);
    if (c.pulses > 0) {
      EXPECT_NEAR(measured / c.pulses, 1.0, 0.0005) << c.name;
    } else {
      // White noise changes level on about every other shift: far more
      // edges than any periodic pattern at this rate.
      EXPECT_GT(measured, 1000) << c.name;
    }
    psg.Write(0, 0xE4);
    EXPECT_EQ(psg.ShiftRegister(), 0x8000) << c.name << ": writing the noise control resets the register";
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
  std::vector<std::int16_t> s = RenderSeconds(loud, 1);
  WriteAll(loud, {0x9F, 0xBF, 0xDF, 0xFF});
  const std::vector<std::int16_t> after = RenderSeconds(loud, 1);
  s.insert(s.end(), after.begin(), after.end());
  const auto [low, high] = std::minmax_element(s.begin(), s.end());
  EXPECT_GT(*low, -32768);
  EXPECT_LT(*high, 32767);
  EXPECT_EQ(std::count(after.end() - 1000, after.end(), 0), 1000);
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
    std::uint32_t clock;
    std::uint32_t frame;
  };
  for (const Case c : {Case{kNtscClock, kNtscFrame}, Case{3546893, 71364}}) {
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
struct Saver {
  std::vector<std::uint8_t> bytes;
  template <class T>
  void Field(T& v) {
    if constexpr (std::is_array_v<T>) {
      for (auto& e : v) Field(e);
    } else {
      for (std::size_t i = 0; i < sizeof v; ++i) bytes.push_back(static_cast<std::uint8_t>(std::uint64_t(v) >> 8 * i));
    }
  }
};
struct Loader {
  const std::vector<std::uint8_t>& bytes;
  std::size_t at = 0;
  template <class T>
  void Field(T& v) {
    if constexpr (std::is_array_v<T>) {
      for (auto& e : v) Field(e);
    } else {
      std::uint64_t u = 0;
      for (std::size_t i = 0; i < sizeof v; ++i) u |= std::uint64_t{at < bytes.size() ? bytes[at++] : 0u} << 8 * i;
      v = static_cast<T>(u);
    }
  }
};

// Three tones, noise and a few volume changes per frame, from a seed.
void BusyFrame(Psg& psg, std::mt19937& rng) {
  for (std::uint32_t cycle = 0; cycle < kNtscFrame; cycle += 1000 + rng() % 12000) {
    const int channel = static_cast<int>(rng() % 4);
    if (rng() % 2) {
      psg.Write(cycle, static_cast<std::uint8_t>(0x90 | channel << 5 | rng() % 16));
    } else if (channel < 3) {
      psg.Write(cycle, static_cast<std::uint8_t>(0x80 | channel << 5 | rng() % 16));
      psg.Write(cycle + 30, static_cast<std::uint8_t>(rng() % 64));
    } else {
      psg.Write(cycle, static_cast<std::uint8_t>(0xE0 | rng() % 8));
    }
  }
  psg.EndFrame(kNtscFrame);
}

TEST(Psg, SavedStateContinuesBitIdentically) {
  auto straight = std::make_unique<Psg>();
  auto twin = std::make_unique<Psg>();
  std::mt19937 script(7), twinScript(7), scriptAtSave;
  Saver saved;
  std::vector<std::int16_t> expected;
  for (int f = 0; f < 120; ++f) {
    BusyFrame(*straight, script);
    BusyFrame(*twin, twinScript);  // interleaved: no state shared between instances
    ASSERT_TRUE(std::equal(straight->Samples(), straight->Samples() + straight->SampleCount(), twin->Samples(),
                           twin->Samples() + twin->SampleCount()));
    if (f == 59) {
      straight->Serialize(saved);
      scriptAtSave = script;
    }
    if (f >= 60) expected.insert(expected.end(), straight->Samples(), straight->Samples() + straight->SampleCount());
  }
  auto restored = std::make_unique<Psg>();
  std::mt19937 other(99);
  for (int f = 0; f < 10; ++f) BusyFrame(*restored, other);  // unrelated history, to be overwritten
  Loader loader{saved.bytes};
  restored->Serialize(loader);
  restored->Sanitize();
  EXPECT_EQ(loader.at, saved.bytes.size());
  std::vector<std::int16_t> got;
  for (int f = 0; f < 60; ++f) {
    BusyFrame(*restored, scriptAtSave);
    got.insert(got.end(), restored->Samples(), restored->Samples() + restored->SampleCount());
  }
  EXPECT_EQ(got, expected);
}

TEST(Psg, AnyLoadedBytesRenderSafely) {
  std::mt19937 rng(1);
  auto psg = std::make_unique<Psg>();
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes(7000);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    Loader loader{bytes};
    psg->Serialize(loader);
    psg->Sanitize();
    for (int k = 0; k < 20; ++k) psg->Write(rng() % 200000, static_cast<std::uint8_t>(rng()));
    psg->EndFrame(rng() % 200000);
    ASSERT_LE(psg->SampleCount(), Psg::kMaxFrameSamples);
  }
}

}  // namespace
