#pragma once

#include <cstdint>

// Fixed tables of the YM2413: its instrument ROM and the curves its operators
// are built from. The sine and exponential curves are computed by the compiler
// from the small constexpr routines below (no library functions), so they are
// the same on every platform and a rendered sound hashes the same everywhere.
namespace fm {

// The fifteen built-in instruments, then the three rhythm instruments (bass
// drum; hi-hat and snare drum; tom-tom and top cymbal). Each is laid out as
// the user instrument's registers 0x00-0x07: per operator (modulator,
// carrier) AM / vibrato / sustained / rate key scaling / multiple, then the
// modulator's level key scaling and total level, the carrier's level key
// scaling, half-sine bits and feedback, attack / decay and sustain / release.
inline constexpr std::uint8_t kInstruments[18][8] = {
    {0x71, 0x61, 0x1E, 0x17, 0xD0, 0x78, 0x00, 0x17},  // 1 violin
    {0x13, 0x41, 0x1A, 0x0D, 0xD8, 0xF7, 0x23, 0x13},  // 2 guitar
    {0x13, 0x01, 0x99, 0x00, 0xF2, 0xC4, 0x21, 0x23},  // 3 piano
    {0x11, 0x61, 0x0E, 0x07, 0x8D, 0x64, 0x70, 0x27},  // 4 flute
    {0x32, 0x21, 0x1E, 0x06, 0xE1, 0x76, 0x01, 0x28},  // 5 clarinet
    {0x31, 0x22, 0x16, 0x05, 0xE0, 0x71, 0x00, 0x18},  // 6 oboe
    {0x21, 0x61, 0x1D, 0x07, 0x82, 0x81, 0x11, 0x07},  // 7 trumpet
    {0x33, 0x21, 0x2D, 0x13, 0xB0, 0x70, 0x00, 0x07},  // 8 organ
    {0x61, 0x61, 0x1B, 0x06, 0x64, 0x65, 0x10, 0x17},  // 9 horn
    {0x41, 0x61, 0x0B, 0x18, 0x85, 0xF0, 0x81, 0x07},  // 10 synthesizer
    {0x33, 0x01, 0x83, 0x11, 0xEA, 0xEF, 0x10, 0x04},  // 11 harpsichord
    {0x17, 0xC1, 0x24, 0x07, 0xF8, 0xF8, 0x22, 0x12},  // 12 vibraphone
    {0x61, 0x50, 0x0C, 0x05, 0xD2, 0xF5, 0x40, 0x42},  // 13 synthesizer bass
    {0x01, 0x01, 0x55, 0x03, 0xE9, 0x90, 0x03, 0x02},  // 14 acoustic bass
    {0x41, 0x41, 0x89, 0x03, 0xF1, 0xE4, 0xC0, 0x13},  // 15 electric guitar
    {0x01, 0x01, 0x18, 0x0F, 0xDF, 0xF8, 0x6A, 0x6D},  // bass drum
    {0x01, 0x01, 0x00, 0x00, 0xC8, 0xD8, 0xA7, 0x68},  // hi-hat (modulator), snare drum (carrier)
    {0x05, 0x01, 0x00, 0x00, 0xF8, 0xAA, 0x59, 0x55},  // tom-tom (modulator), top cymbal (carrier)
};

// Frequency multiple, doubled so that the 1/2 setting is an integer.
inline constexpr std::uint8_t kMultipleTimesTwo[16] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 20, 24, 24, 30, 30};

// Level key scaling at block 7 by the F-number's top four bits, in steps of
// 0.375 dB at 3 dB per octave (0 to 21 dB); each block below takes 3 dB off.
inline constexpr std::uint8_t kKeyScaleLevel[16] = {0, 24, 32, 37, 40, 43, 45, 47, 48, 50, 51, 52, 53, 54, 55, 56};

// The operators work in the log domain: a quarter of the sine wave as an
// attenuation in 1/256 of an octave (factor 2^(-x/256)), then back to a
// linear level through a table of 2^(-x/256) over one octave and a shift.
inline constexpr int kSineSize = 1024;       // entries per wave (10-bit phase)
inline constexpr int kLinearBits = 12;        // full level is 1 << kLinearBits
inline constexpr int kSilentAttenuation = 13 * 256;  // from here on a level is 0

struct Curves {
  std::uint16_t logSine[256];  // quarter wave
  std::uint16_t power[256];    // 2^(-x/256) << kLinearBits
};

namespace detail {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kLn2 = 0.69314718055994530942;

constexpr double Sine(double x) {
  double term = x;
  double sum = x;
  for (int n = 1; n < 24; ++n) {
    term *= -x * x / ((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

// Natural logarithm of x in (0, 1] by halving into [0.5, 1], then the series
// of atanh.
constexpr double Log(double x) {
  double halvings = 0;
  while (x < 0.5) {
    x *= 2;
    halvings += 1;
  }
  const double y = (x - 1) / (x + 1);
  double term = y;
  double sum = 0;
  for (int n = 1; n < 80; n += 2) {
    sum += term / n;
    term *= y * y;
  }
  return 2 * sum - halvings * kLn2;
}

// 2^x for x in [-1, 0].
constexpr double Exp2(double x) {
  const double z = x * kLn2;
  double term = 1;
  double sum = 1;
  for (int n = 1; n < 30; ++n) {
    term *= z / n;
    sum += term;
  }
  return sum;
}

constexpr int Round(double x) { return static_cast<int>(x + 0.5); }

constexpr Curves MakeCurves() {
  Curves c{};
  for (int i = 0; i < 256; ++i) {
    const double s = Sine((i + 0.5) * kPi / (kSineSize / 2));
    c.logSine[i] = static_cast<std::uint16_t>(Round(-Log(s) / kLn2 * 256));
    c.power[i] = static_cast<std::uint16_t>(Round(Exp2(-i / 256.0) * (1 << kLinearBits)));
  }
  return c;
}

}  // namespace detail

inline constexpr Curves kCurves = detail::MakeCurves();
static_assert(kCurves.power[0] == 1 << kLinearBits && kCurves.logSine[255] == 0);

}  // namespace fm
