#include "fm/Fm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double kClock = 3579545;
constexpr std::uint32_t kFrame = 59736;

void Write(Fm& fm, int reg, int value) {
  fm.WriteAddress(static_cast<std::uint8_t>(reg));
  fm.WriteData(0, static_cast<std::uint8_t>(value));
}

std::vector<std::int16_t> Render(Fm& fm, int frames) {
  std::vector<std::int16_t> out;
  for (int f = 0; f < frames; ++f) {
    fm.EndFrame(kFrame);
    out.insert(out.end(), fm.Samples(), fm.Samples() + fm.SampleCount());
  }
  return out;
}

// The strongest frequency within 1 % of `expected`, in Hz: the power of a
// Hann-windowed stretch of two whole vibrato cycles (8192 chip samples each,
// so a vibrato averages out) on a grid of 0.02 % steps, refined between the
// best point's neighbours.
double MeasuredHertz(const std::vector<std::int16_t>& s, double expected) {
  const std::size_t start = 4800;
  const std::size_t length = static_cast<std::size_t>(2 * 8192 * 72 * 48000.0 / kClock);
  constexpr double kPi = 3.14159265358979323846;
  std::vector<double> windowed(length);
  for (std::size_t i = 0; i < length; ++i) windowed[i] = (0.5 - 0.5 * std::cos(2 * kPi * i / length)) * s[start + i];
  auto power = [&](double hertz) {
    const double coefficient = 2 * std::cos(2 * kPi * hertz / 48000);
    double s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < length; ++i) {
      const double s0 = windowed[i] + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  };
  const double step = expected * 0.0002;
  double best = expected, bestPower = -1;
  for (double f = expected * 0.99; f <= expected * 1.01; f += step) {
    const double p = power(f);
    if (p > bestPower) {
      bestPower = p;
      best = f;
    }
  }
  const double before = power(best - step), after = power(best + step);
  return best + step * 0.5 * (before - after) / (before - 2 * bestPower + after);
}

// Frequency of F-number f at block b and multiple 1: f * 2^(b - 1) times the
// chip's sample rate (clock / 72) over 2^18.
double NoteHertz(int fnumber, int block) { return fnumber * std::ldexp(1.0, block - 1) * (kClock / 72) / (1 << 18); }

TEST(Fm, EveryInstrumentSoundsAtItsPitch) {
  struct Case {
    int instrument;  // 0: the user instrument as a plain sine at multiple `multiple`
    int multiple;    // the fundamental's multiple of the note, times 2
    int fnumber, block;
  };
  std::vector<Case> cases;
  // Every built-in instrument; the synthesizer bass's carrier runs at half
  // the note.
  for (int instrument = 1; instrument <= 15; ++instrument) {
    cases.push_back({instrument, instrument == 13 ? 1 : 2, 0x120 + instrument * 7, 4});
  }
  // A plain sine over the multiples and the blocks.
  const int multiples[16] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 20, 24, 24, 30, 30};
  for (int m = 0; m < 16; m += 3) cases.push_back({-m, multiples[m], 0x181, 3});
  for (int block = 0; block < 8; ++block) cases.push_back({-1, 2, 0x0C0 + block * 37, block});
  auto fm = std::make_unique<Fm>();
  for (const Case& c : cases) {
    fm->Reset();
    if (c.instrument <= 0) {
      // Modulator silent (total level 63, no attack); carrier at full level,
      // instant attack, held.
      Write(*fm, 0x00, 0x20);
      Write(*fm, 0x01, 0x20 | -c.instrument);
      Write(*fm, 0x02, 0x3F);
      Write(*fm, 0x05, 0xF0);
    }
    Write(*fm, 0x30, (c.instrument > 0 ? c.instrument : 0) << 4);
    Write(*fm, 0x10, c.fnumber & 0xFF);
    Write(*fm, 0x20, 0x30 | c.block << 1 | c.fnumber >> 8);  // key on, sustain
    const double hertz = NoteHertz(c.fnumber, c.block) * c.multiple / 2;
    const std::vector<std::int16_t> s = Render(*fm, 30);
    EXPECT_NEAR(MeasuredHertz(s, hertz) / hertz, 1.0, 0.001)
        << "instrument " << c.instrument << " F-number " << c.fnumber << " block " << c.block;
  }
}

// The decay and release move 0.375 dB per step; at rate 4 (a rate of 1 with
// no key scaling) a step comes every 4096 chip samples, each further four
// halve that, and the low two bits of a rate make 5, 6 or 7 steps out of 4.
TEST(Fm, EnvelopesFollowTheirRates) {
  struct Case {
    const char* name;
    int decay, release;
    bool keyScaling;
    int block, fnumber;
    bool released;  // measure the release after the key is let go
    int rate;       // rate the test expects (4 * setting + key scaling)
  };
  const Case cases[] = {
      {"decay 1", 1, 0, false, 0, 0x100, false, 4},
      {"decay 3", 3, 0, false, 1, 0x100, false, 12},
      {"decay 6", 6, 0, false, 0, 0x100, false, 24},
      {"decay 9", 9, 0, false, 3, 0x100, false, 37},  // block 3: key scaling of 1 without KSR
      {"decay 2, rate key scaling at block 5", 2, 0, true, 5, 0x100, false, 19},
      {"decay 8, rate key scaling at block 2", 8, 0, true, 2, 0x080, false, 36},
      {"release 4", 0, 4, false, 0, 0x100, true, 16},
      {"release 10, key scaling", 0, 10, true, 1, 0x080, true, 42},
  };
  for (const Case& c : cases) {
    Fm fm;
    Write(fm, 0x00, 0x20);
    Write(fm, 0x01, 0x20 | (c.keyScaling ? 0x10 : 0) | 1);
    Write(fm, 0x02, 0x3F);
    Write(fm, 0x05, 0xF0 | c.decay);
    Write(fm, 0x07, (c.released ? 0x00 : 0xF0) | c.release);  // sustain level 45 dB or 0 dB
    Write(fm, 0x10, c.fnumber & 0xFF);
    Write(fm, 0x20, 0x10 | c.block << 1 | c.fnumber >> 8);
    if (c.released) {
      fm.EndFrame(720);
      Write(fm, 0x20, c.block << 1 | c.fnumber >> 8);
    }
    // Chip samples from full level until 120 steps (45 dB) down.
    const int high = c.rate >> 2, low = c.rate & 3;
    const double perStep = high < 12 ? std::ldexp(8.0 / (4 + low), 12 - high) : 8.0 / (4 + low);
    const double expected = 120 * perStep;
    long samples = 0;
    const int start = fm.EnvelopeLevel(1);
    while (fm.EnvelopeLevel(1) < start + 120 && samples < 40 * 1000 * 1000) {
      fm.EndFrame(720);  // ten chip samples
      samples += 10;
    }
    EXPECT_NEAR(samples / expected, 1.0, 0.05) << c.name;
  }
  // The fastest attack is instant; a slow one takes a while.
  Fm fm;
  Write(fm, 0x05, 0xF0);
  Write(fm, 0x20, 0x10);
  EXPECT_EQ(fm.EnvelopeLevel(1), 0);
  Write(fm, 0x04, 0x30);
  Write(fm, 0x20, 0x00);
  Write(fm, 0x20, 0x10);
  fm.EndFrame(kFrame);
  EXPECT_GT(fm.EnvelopeLevel(0), 0);
}

TEST(Fm, RegistersTheChipHasAreKeptOthersIgnored) {
  struct Case {
    int reg, value, kept;
  };
  const Case cases[] = {
      {0x00, 0x61, 0x61}, {0x07, 0x14, 0x14}, {0x0E, 0x31, 0x31}, {0x10, 0xAC, 0xAC}, {0x18, 0x55, 0x55},
      {0x19, 0x55, 0x00}, {0x28, 0x1F, 0x1F}, {0x29, 0x1F, 0x00}, {0x38, 0xF0, 0xF0}, {0x39, 0x12, 0x00},
      {0x08, 0x12, 0x00}, {0x3F, 0x12, 0x00},
  };
  for (const Case& c : cases) {
    Fm fm;
    Write(fm, c.reg, c.value);
    EXPECT_EQ(fm.Register(c.reg), c.kept) << "register " << c.reg;
  }
}

// Silence costs nothing and stays exactly 0; a note released in full dies
// away to exactly 0 again.
TEST(Fm, SilenceIsExactAndNotesDieAway) {
  Fm fm;
  std::vector<std::int16_t> s = Render(fm, 10);
  EXPECT_TRUE(fm.SilentFrame());
  EXPECT_EQ(std::count(s.begin(), s.end(), 0), static_cast<long>(s.size()));
  Write(fm, 0x30, 0x10);  // violin, full volume
  Write(fm, 0x10, 0xAC);
  Write(fm, 0x20, 0x18);
  s = Render(fm, 30);
  const auto [low, high] = std::minmax_element(s.begin(), s.end());
  EXPECT_GT(*high - *low, 2000);
  Write(fm, 0x20, 0x08);  // key off
  s = Render(fm, 600);
  EXPECT_FALSE(fm.Sounding());
  EXPECT_EQ(std::count(s.end() - 1000, s.end(), 0), 1000);
}

}  // namespace
