#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

// The band-limited step: every change of the chip's output is drawn as the
// difference of a windowed-sinc impulse, spread over kStepTaps output samples.
// The table holds kStepPhases copies of the impulse, one per sub-sample
// position of the change, in fixed point. Each row sums to exactly
// 1 << kStepUnitBits, so the running sum of the deltas settles on the exact
// step height and never drifts.
//
// The table is computed by the compiler from the small constexpr routines
// below (no library sine, so it is the same on every platform).
namespace psg {

inline constexpr int kStepTaps = 16;
inline constexpr int kStepPhases = 64;
inline constexpr int kStepUnitBits = 13;
// Output samples from a change to the middle of its drawn step.
inline constexpr int kStepDelay = kStepTaps / 2 - 1;

struct StepTable {
  std::int16_t taps[kStepPhases][kStepTaps];
};

namespace detail {

inline constexpr double kPi = 3.14159265358979323846;

// Sine by Taylor series after reducing the argument to [-pi, pi]; accurate to
// far below the table's 13 bits.
constexpr double Sine(double x) {
  while (x > kPi) x -= 2 * kPi;
  while (x < -kPi) x += 2 * kPi;
  double term = x;
  double sum = x;
  for (int n = 1; n < 20; ++n) {
    term *= -x * x / ((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

constexpr double Cosine(double x) { return Sine(x + kPi / 2); }

// Cut-off as a fraction of the sample rate: a little below half, so the
// window's transition band keeps most of the images above the limit out.
inline constexpr double kCutoff = 0.45;

// Impulse value at time t (in samples) from the impulse's middle: a sinc with
// the cut-off above, under a Blackman window reaching zero at +-kStepTaps/2.
constexpr double Impulse(double t) {
  constexpr double half = kStepTaps / 2;
  if (t <= -half || t >= half) return 0.0;
  const double x = 2 * kPi * kCutoff * t;
  const double sinc = t == 0.0 ? 2 * kCutoff : Sine(x) / (kPi * t);
  const double window = 0.42 + 0.5 * Cosine(kPi * t / half) + 0.08 * Cosine(2 * kPi * t / half);
  return sinc * window;
}

constexpr StepTable MakeStepTable() {
  StepTable table{};
  constexpr int unit = 1 << kStepUnitBits;
  for (int phase = 0; phase < kStepPhases; ++phase) {
    const double offset = static_cast<double>(phase) / kStepPhases;
    double raw[kStepTaps] = {};
    double total = 0;
    for (int k = 0; k < kStepTaps; ++k) {
      raw[k] = Impulse(k - kStepDelay - offset);
      total += raw[k];
    }
    int sum = 0;
    int largest = 0;
    for (int k = 0; k < kStepTaps; ++k) {
      const double scaled = raw[k] / total * unit;
      const int rounded = static_cast<int>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
      table.taps[phase][k] = static_cast<std::int16_t>(rounded);
      sum += rounded;
      if (rounded > table.taps[phase][largest]) largest = k;
    }
    // Rounding leaves the row a few units off: the largest tap takes the rest.
    table.taps[phase][largest] = static_cast<std::int16_t>(table.taps[phase][largest] + unit - sum);
  }
  return table;
}

constexpr bool RowsSumToUnit(const StepTable& table) {
  for (const auto& row : table.taps) {
    int sum = 0;
    for (const std::int16_t tap : row) sum += tap;
    if (sum != 1 << kStepUnitBits) return false;
  }
  return true;
}

}  // namespace detail

inline constexpr StepTable kStepTable = detail::MakeStepTable();
static_assert(detail::RowsSumToUnit(kStepTable), "every step must settle on its exact height");

inline constexpr int kStepPhaseBits = 6;
static_assert(1 << kStepPhaseBits == kStepPhases);

// Draws a change of `delta` at `position` (in output samples, 32.32 fixed
// point) into `deltas`, which holds `lastIndex + kStepTaps` entries: a change
// past the last sample lands on it. Both parts of the position round down,
// so a change never lands after the sample a frame's exact count puts it in.
// Returns the end of the entries written.
inline int AddStep(std::int32_t* deltas, std::uint32_t lastIndex, std::uint64_t position, std::int32_t delta) {
  const std::uint32_t index = std::min(static_cast<std::uint32_t>(position >> 32), lastIndex);
  const std::uint32_t phase = static_cast<std::uint32_t>(position >> (32 - kStepPhaseBits)) & (kStepPhases - 1);
  const std::int16_t* taps = kStepTable.taps[phase];
  std::int32_t* out = deltas + index;
  for (int k = 0; k < kStepTaps; ++k) out[k] += delta * taps[k];
  return static_cast<int>(index) + kStepTaps;
}

// The DC filter: the running sum loses 1/512 + 1/2048 of itself per sample,
// a one-pole high-pass at 48,000 * 0.00244 / (2 pi), about 19 Hz. The loss
// rounds down: a positive rest below 512 shows as 0, a negative one drains,
// so silence settles on exactly 0.
inline constexpr int kLeakShiftA = 9;
inline constexpr int kLeakShiftB = 11;

// Turns a frame's first `count` deltas into samples: the running sum (carried
// from frame to frame in `sum`) read out in level units, leaking as above.
// Returns the sum after the last sample.
inline std::int64_t IntegrateSteps(const std::int32_t* deltas, int count, std::int64_t sum, std::int16_t* samples) {
  for (int i = 0; i < count; ++i) {
    sum += deltas[i];
    const std::int64_t value = sum >> kStepUnitBits;
    samples[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
    sum -= (sum >> kLeakShiftA) + (sum >> kLeakShiftB);
  }
  return sum;
}

// Once a frame's `count` samples are out: the steps drawn near its end reach
// into the next frame's first samples, and move there. The rest of the
// `size` entries is cleared whole: after a clock change within the frame,
// steps may have landed past the frame's count. True when a step carried over.
// `size` is at least kStepTaps.
inline bool CarrySteps(std::int32_t* deltas, int count, int size) {
  bool carried = false;
  for (int k = 0; k < kStepTaps; ++k) {
    deltas[k] = deltas[count + k];
    if (deltas[k] != 0) carried = true;
  }
  std::fill(deltas + kStepTaps, deltas + size, 0);
  return carried;
}

// Bookkeeping of a delta buffer, not saved: how far its entries may be
// nonzero, so that the end of a frame clears only those, and how far they
// changed since the last Take, so that a snapshot taken every frame compares
// only those.
class StepExtent {
 public:
  explicit StepExtent(int size) : end(size), changedEnd(size) {}

  // Entries at or past this one are zero.
  int End() const { return end; }
  // Entries before `drawnEnd` were written.
  void Drew(int drawnEnd) { end = std::max(end, drawnEnd); }
  // Every entry before End() was written; those at or past `nonzeroEnd` are
  // now zero.
  void Cleared(int nonzeroEnd) {
    changedEnd = std::max(changedEnd, end);
    end = nonzeroEnd;
  }
  // Entries changed since the last Take lie before the returned one.
  int Take() {
    const int taken = std::max(changedEnd, end);
    changedEnd = 0;
    return taken;
  }

 private:
  int end;
  int changedEnd;
};

// CarrySteps, clearing only the entries that may be nonzero.
inline bool CarrySteps(std::int32_t* deltas, int count, StepExtent& extent) {
  const bool carried = CarrySteps(deltas, count, std::max(extent.End(), kStepTaps));
  extent.Cleared(kStepTaps);
  return carried;
}

// Saves or loads a delta buffer; an archive that can make use of its extent
// (a snapshot taken every frame) is given it.
template <class Archive, std::size_t kSize>
void SerializeSteps(Archive& a, std::int32_t (&deltas)[kSize], StepExtent& extent) {
  if constexpr (requires { a.Steps(deltas, extent); }) {
    a.Steps(deltas, extent);
  } else {
    a.Field(deltas);
  }
}

}  // namespace psg
