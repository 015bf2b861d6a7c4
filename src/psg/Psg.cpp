#include "psg/Psg.h"

#include <algorithm>
#include <cstring>

namespace {

// Processor cycles per chip step: the chip divides its clock by 16.
constexpr std::uint32_t kCyclesPerStep = 16;

// Channel level (15 - attenuation) * 16, 0-240, linear as the old synthesiser
// had it, times this scale: four channels at full level swing +-11,520, and
// even a full swing against the DC filter's memory (twice that, plus the
// band-limited step's overshoot) stays inside 16 bits.
constexpr std::int32_t kVolumeScale = 12;


// Bounds for loaded state. In play a pending delta stays within about 2^29
// (each channel's changes alternate in sign, so their weighted sum stays near
// one full swing) and the sum within 2^28, both in 1/8192 of a level step;
// with these bounds no arithmetic on them can overflow.
constexpr std::int32_t kDeltaLimit = 1 << 28;
constexpr std::int64_t kIntegratorLimit = std::int64_t{1} << 32;

// White noise feeds back bits 0 and 3 (Sega's taps), periodic noise bit 0.
constexpr std::uint16_t kShiftReset = 0x8000;

}  // namespace

Psg::Psg() { Reset(); }

void Psg::Reset() {
  for (int k = 0; k < 3; ++k) tonePeriod[k] = 0;
  // The counters' power-on values are not known; at 1 every generator
  // reloads with its period on the first chip step.
  for (int k = 0; k < 4; ++k) {
    attenuation[k] = 0x0F;
    counter[k] = 1;
    flipFlop[k] = 0;
    flips[k] = 0;
  }
  noiseControl = 0;
  latch = 0;
  shiftRegister = kShiftReset;
  sampleFraction = 0;
  renderedCycle = 0;
  nextStepCycle = 0;
  writeLimit = kMaxFrameCycles;
  UpdatePositions();
  std::memset(deltas, 0, sizeof deltas);
  stepExtent.Cleared(0);
  integrator = 0;
  std::memset(samples, 0, sizeof samples);
  sampleCount = 0;
}

void Psg::SetClock(std::uint32_t cpuClockHz) {
  clock = std::clamp(cpuClockHz, kMinClock, kMaxClock);
  sampleFraction = std::min(sampleFraction, clock - 1);
  UpdatePositions();
}

void Psg::Write(std::uint32_t cycle, std::uint8_t value) {
  const std::uint32_t at = std::max(std::min(cycle, writeLimit), renderedCycle);
  Render(at);
  // A byte changes one register, of the channel it latches or, for a data
  // byte, of the channel latched before.
  const int channel = (value & 0x80) ? (value >> 5) & 3 : latch >> 1;
  const std::int32_t before = Contribution(channel);
  Decode(value);
  const std::int32_t delta = Contribution(channel) - before;
  if (delta != 0) AddStep(at, delta);
}

void Psg::Decode(std::uint8_t value) {
  if (value & 0x80) {
    // Latch/data byte: bits 6-5 channel, bit 4 attenuation (1) or tone/noise
    // (0), and the register's low four bits.
    latch = static_cast<std::uint8_t>((value >> 4) & 7);
    const int channel = latch >> 1;
    const std::uint8_t data = value & 0x0F;
    if (latch & 1) {
      attenuation[channel] = data;
    } else if (channel < 3) {
      tonePeriod[channel] = static_cast<std::uint16_t>((tonePeriod[channel] & 0x3F0) | data);
    } else {
      noiseControl = data & 7;
      shiftRegister = kShiftReset;
    }
    return;
  }
  // Data byte: a tone period takes it as its high six bits; an attenuation or
  // the noise control takes its low bits, as the Sega chip does.
  const int channel = latch >> 1;
  if (latch & 1) {
    attenuation[channel] = value & 0x0F;
  } else if (channel < 3) {
    tonePeriod[channel] = static_cast<std::uint16_t>((tonePeriod[channel] & 0x00F) | ((value & 0x3F) << 4));
  } else {
    noiseControl = value & 7;
    shiftRegister = kShiftReset;
  }
}

int Psg::Reload(int channel) const {
  // Period 0 counts as 1 on the Sega chip.
  if (channel < 3) return std::max<int>(tonePeriod[channel], 1);
  // At rate 3 the noise counts tone 2's period on its own counter: same
  // rate as tone 2's output, but the phase between the two is not verified.
  const int rate = noiseControl & 3;
  return rate == 3 ? std::max<int>(tonePeriod[2], 1) : 0x10 << rate;
}

// A channel is drawn transition by transition when it is heard and its
// transitions fall below the output's Nyquist limit; the others are only
// counted (Advance). Noise is always drawn when heard.
bool Psg::Drawn(int channel) const {
  if (attenuation[channel] == 0x0F) return false;
  if (channel == 3) return true;
  const std::uint32_t period = tonePeriod[channel];
  return period >= 2 && std::uint64_t{period} * kSampleRate * kCyclesPerStep > clock;
}

// What the channel adds to the mix now. Periods 0 and 1 hold the output high
// (games play samples through the volume this way); other tones above the
// Nyquist limit add their average, zero.
std::int32_t Psg::Amplitude(int channel) const { return (15 - attenuation[channel]) * 16 * kVolumeScale; }

std::int32_t Psg::Contribution(int channel) const {
  const std::int32_t amplitude = Amplitude(channel);
  if (channel == 3) return (shiftRegister & 1) ? amplitude : -amplitude;
  if (tonePeriod[channel] <= 1) return amplitude;
  if (!Drawn(channel)) return 0;
  return flipFlop[channel] ? amplitude : -amplitude;
}

void Psg::Shift() {
  const bool white = noiseControl & 4;
  const std::uint16_t feedback =
      white ? ((shiftRegister ^ (shiftRegister >> 3)) & 1) : (shiftRegister & 1);
  shiftRegister = static_cast<std::uint16_t>((shiftRegister >> 1) | (feedback << 15));
}

// A drawn channel's counter reached zero at `cycle`.
void Psg::Flip(int channel, std::uint32_t cycle) {
  counter[channel] = static_cast<std::uint16_t>(Reload(channel));
  flipFlop[channel] ^= 1;
  ++flips[channel];
  const std::int32_t swing = 2 * Amplitude(channel);
  if (channel < 3) {
    AddStep(cycle, flipFlop[channel] ? swing : -swing);
    return;
  }
  // The noise shifts on its flip-flop's rising edge.
  if (!flipFlop[3]) return;
  const int before = shiftRegister & 1;
  Shift();
  if ((shiftRegister & 1) != before) AddStep(cycle, before ? -swing : swing);
}

// Runs a channel's counter `steps` chip steps on in one go: the flips and,
// for the noise, the shifts happen, but nothing is drawn.
void Psg::Advance(int channel, std::uint32_t steps) {
  if (steps == 0) return;
  const std::uint32_t left = counter[channel];
  if (left > steps) {
    counter[channel] = static_cast<std::uint16_t>(left - steps);
    return;
  }
  const std::uint32_t over = steps - left;
  const std::uint32_t period = Reload(channel);
  const std::uint32_t count = 1 + over / period;
  counter[channel] = static_cast<std::uint16_t>(period - over % period);
  const std::uint32_t rising = flipFlop[channel] ? count / 2 : (count + 1) / 2;
  flipFlop[channel] ^= count & 1;
  flips[channel] += count;
  if (channel == 3) {
    for (std::uint32_t k = 0; k < rising; ++k) Shift();
  }
}

// Runs the generators from renderedCycle up to (not including) toCycle,
// jumping from one transition of a drawn channel to the next. The noise's
// falling edges change nothing audible, so they are passed on the way to its
// next rising edge instead of stopping there.
void Psg::Render(std::uint32_t toCycle) {
  if (toCycle <= renderedCycle) return;
  const std::uint32_t total =
      nextStepCycle < toCycle ? (toCycle - nextStepCycle + kCyclesPerStep - 1) / kCyclesPerStep : 0;
  int tones[3];
  int toneCount = 0;
  for (int k = 0; k < 3; ++k) {
    if (Drawn(k)) {
      tones[toneCount++] = k;
    } else {
      Advance(k, total);
    }
  }
  const bool noise = Drawn(3);
  if (!noise) Advance(3, total);
  const std::uint32_t noiseReload = static_cast<std::uint32_t>(Reload(3));

  std::uint32_t left = total;
  std::uint32_t stepCycle = nextStepCycle;
  while (left > 0 && (toneCount > 0 || noise)) {
    std::uint32_t jump = left;
    for (int i = 0; i < toneCount; ++i) jump = std::min<std::uint32_t>(jump, counter[tones[i]]);
    if (noise) jump = std::min<std::uint32_t>(jump, counter[3] + (flipFlop[3] ? noiseReload : 0));
    for (int i = 0; i < toneCount; ++i) counter[tones[i]] = static_cast<std::uint16_t>(counter[tones[i]] - jump);
    if (noise) {
      if (flipFlop[3] && counter[3] <= jump) {
        counter[3] = static_cast<std::uint16_t>(noiseReload - (jump - counter[3]));
        flipFlop[3] = 0;
        ++flips[3];
      } else {
        counter[3] = static_cast<std::uint16_t>(counter[3] - jump);
      }
    }
    left -= jump;
    stepCycle += (jump - 1) * kCyclesPerStep;
    for (int i = 0; i < toneCount; ++i) {
      if (counter[tones[i]] == 0) Flip(tones[i], stepCycle);
    }
    if (noise && counter[3] == 0) Flip(3, stepCycle);
    stepCycle += kCyclesPerStep;
  }
  nextStepCycle += total * kCyclesPerStep;
  renderedCycle = toCycle;
}

void Psg::UpdatePositions() {
  cycleSpan = (std::uint64_t{kSampleRate} << 32) / clock;
  frameStart = (std::uint64_t{sampleFraction} << 32) / clock;
}

void Psg::AddStep(std::uint32_t cycle, std::int32_t delta) {
  // The error of the 32.32 position is below 2^-15 sample.
  stepExtent.Drew(psg::AddStep(deltas, kMaxFrameSamples - 1, frameStart + cycle * cycleSpan, delta));
}

void Psg::EndFrame(std::uint32_t frameCycles) {
  // A write past the previous frame's length (only possible when frames get
  // shorter) has already been rendered: that frame then ends at the write.
  const std::uint32_t length = std::max(std::min(frameCycles, kMaxFrameCycles), renderedCycle);
  Render(length);

  const std::uint64_t end = sampleFraction + std::uint64_t{length} * kSampleRate;
  const int count = static_cast<int>(end / clock);
  sampleFraction = static_cast<std::uint32_t>(end % clock);
  UpdatePositions();

  integrator = psg::IntegrateSteps(deltas, count, integrator, samples);
  sampleCount = count;
  psg::CarrySteps(deltas, count, stepExtent);

  renderedCycle -= length;
  nextStepCycle -= length;
  writeLimit = length > 0 ? length : kMaxFrameCycles;
}

int Psg::PendingDeltas() const {
  // Written to work on unchecked fields too: Serialize calls it while loading.
  const std::uint32_t safeClock = std::clamp(clock, kMinClock, kMaxClock);
  const std::uint64_t fraction = std::min(sampleFraction, safeClock - 1);
  const std::uint64_t cycle = std::min(renderedCycle, kMaxFrameCycles);
  const std::uint64_t index = (fraction + cycle * kSampleRate) / safeClock;
  return static_cast<int>(std::min<std::uint64_t>(index + psg::kStepTaps, kMaxFrameSamples + psg::kStepTaps));
}

void Psg::Sanitize() {
  for (int k = 0; k < 3; ++k) tonePeriod[k] &= 0x3FF;
  for (int k = 0; k < 4; ++k) {
    attenuation[k] &= 0x0F;
    flipFlop[k] &= 1;
  }
  noiseControl &= 7;
  latch &= 7;
  for (int k = 0; k < 4; ++k) counter[k] = static_cast<std::uint16_t>(std::clamp<int>(counter[k], 1, 0x3FF));
  if (shiftRegister == 0) shiftRegister = kShiftReset;  // an empty register would never sound again

  clock = std::clamp(clock, kMinClock, kMaxClock);
  sampleFraction = std::min(sampleFraction, clock - 1);
  UpdatePositions();
  renderedCycle = std::min(renderedCycle, kMaxFrameCycles);
  nextStepCycle = std::clamp(nextStepCycle, renderedCycle, renderedCycle + kCyclesPerStep - 1);
  writeLimit = std::clamp<std::uint32_t>(writeLimit, 1, kMaxFrameCycles);

  const int pending = PendingDeltas();
  for (int k = 0; k < pending; ++k) deltas[k] = std::clamp(deltas[k], -kDeltaLimit, kDeltaLimit);
  std::fill(deltas + pending, deltas + kMaxFrameSamples + psg::kStepTaps, 0);
  stepExtent.Drew(kMaxFrameSamples + psg::kStepTaps);  // loaded: every entry was written
  stepExtent.Cleared(pending);
  integrator = std::clamp(integrator, -kIntegratorLimit, kIntegratorLimit);
  sampleCount = std::clamp(sampleCount, 0, kMaxFrameSamples);
}
