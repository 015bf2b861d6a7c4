#include "fm/Fm.h"

#include <algorithm>
#include <cstring>

#include "fm/FmTables.h"

namespace {

constexpr std::uint32_t kPhaseMask = (1u << 19) - 1;
constexpr int kPhaseShift = 9;  // phase bits below the wave's 10-bit index

// The amplitude modulation is a triangle from 0 to 13 steps of 0.375 dB
// (4.875 dB) and back, 210 positions of 64 samples each: 3.7 Hz.
constexpr std::uint32_t kAmPeriod = 210 * 64;
// The vibrato moves the pitch in eight positions of 1024 samples (6.1 Hz),
// by up to 2/256 of the frequency (13.5 cents) either way.
constexpr std::int32_t kVibrato[8] = {0, 1, 2, 1, 0, -1, -2, -1};

// How often an envelope moves at a rate: rates 4-47 move on one chip sample
// in 2^(12 - rate / 4), following an eight-position pattern in which the
// rate's low two bits turn 4, 5, 6 or 7 of the eight positions on; from 48
// up they move on every sample and the pattern's steps double per four.
constexpr std::uint8_t kRatePattern[4][8] = {
    {0, 1, 0, 1, 0, 1, 0, 1}, {0, 1, 0, 1, 1, 1, 0, 1}, {0, 1, 1, 1, 0, 1, 1, 1}, {0, 1, 1, 1, 1, 1, 1, 1}};

int RateSteps(int rate, std::uint32_t counter) {
  if (rate == 0) return 0;
  const int high = rate >> 2;
  const int low = rate & 3;
  if (high < 12) {
    const int shift = 12 - high;
    if (counter & ((1u << shift) - 1)) return 0;
    return kRatePattern[low][(counter >> shift) & 7];
  }
  return kRatePattern[low][counter & 7] << (high - 12);
}

// Output scale: a carrier at full level swings +-4096 in the console's
// sample range (a PSG channel at full level +-2880; the instruments' own
// levels sit 3 to 12 dB below full), and the sum is held to the DAC's range.
constexpr int kOutputShift = 0;
constexpr std::int32_t kOutputLimit = 24000;

// Bounds for loaded state: the output is held within kOutputLimit, so a
// pending delta stays within kOutputLimit times the step's total variation.
constexpr std::int32_t kDeltaLimit = 1 << 30;
constexpr std::int64_t kIntegratorLimit = std::int64_t{1} << 32;

}  // namespace

Fm::Fm() { Reset(); }

void Fm::Reset() {
  std::memset(regs, 0, sizeof regs);
  address = 0;
  for (Operator& o : ops) o = Operator{0, kOff, 127, 0};
  std::memset(feedback, 0, sizeof feedback);
  egCounter = 0;
  amCounter = 0;
  pmCounter = 0;
  noise = 1;
  sampleFraction = 0;
  renderedCycle = 0;
  nextSampleCycle = 0;
  writeLimit = kMaxFrameCycles;
  lastOutput = 0;
  std::memset(deltas, 0, sizeof deltas);
  stepExtent.Cleared(0);
  integrator = 0;
  std::memset(samples, 0, sizeof samples);
  sampleCount = 0;
  sounding = false;
  stepped = false;
  settled = true;
  silentFrame = false;
  UpdatePositions();
  UpdateVoices();
}

void Fm::SetClock(std::uint32_t cpuClockHz) {
  clock = std::clamp(cpuClockHz, Psg::kMinClock, Psg::kMaxClock);
  sampleFraction = std::min(sampleFraction, clock - 1);
  UpdatePositions();
}

void Fm::WriteData(std::uint32_t cycle, std::uint8_t value) {
  Render(std::max(std::min(cycle, writeLimit), renderedCycle));
  Store(address, value);
}

void Fm::Store(int reg, std::uint8_t value) {
  // Registers the chip has: the user instrument, rhythm, test, and per
  // channel the F-number, key / block and instrument / volume.
  const bool exists = reg <= 0x07 || reg == 0x0E || reg == 0x0F || ((reg & 0x0F) <= 8 && reg >= 0x10 && reg <= 0x38);
  if (!exists) return;
  regs[reg] = value;
  UpdateVoices();
  UpdateKeys();
}

// ---- Instruments and keys ----

const std::uint8_t* Fm::Patch(int channel) const {
  if (Rhythm() && channel >= 6) return fm::kInstruments[15 + channel - 6];
  const int instrument = regs[0x30 + channel] >> 4;
  return instrument == 0 ? regs : fm::kInstruments[instrument - 1];
}

void Fm::UpdateVoices() {
  for (int channel = 0; channel < kChannels; ++channel) {
    const std::uint8_t* patch = Patch(channel);
    const int fnumber = regs[0x10 + channel] | (regs[0x20 + channel] & 1) << 8;
    const int block = (regs[0x20 + channel] >> 1) & 7;
    const bool channelSustain = (regs[0x20 + channel] & 0x20) != 0;
    const int keyScale = std::max(0, fm::kKeyScaleLevel[fnumber >> 5] - 8 * (7 - block));
    const std::uint8_t volumes = regs[0x30 + channel];
    const bool rhythmChannel = Rhythm() && channel >= 6;
    for (int k = 0; k < 2; ++k) {
      Voice& v = voices[channel * 2 + k];
      const std::uint8_t flags = patch[k];
      const bool sustained = (flags & 0x20) != 0;
      v.am = (flags & 0x80) != 0;
      v.vibrato = (flags & 0x40) != 0;
      v.increment = (static_cast<std::uint32_t>(fnumber << block) * fm::kMultipleTimesTwo[flags & 0x0F]) >> 1;
      // Rate key scaling: the block and the F-number's top bit, or only the
      // block's top two bits.
      const int rateScale = (flags & 0x10) ? (block << 1 | fnumber >> 8) : block >> 1;
      auto rate = [rateScale](int r) { return r == 0 ? 0 : std::min(63, 4 * r + rateScale); };
      const int release = patch[6 + k] & 0x0F;
      v.rate[kAttack] = static_cast<std::uint8_t>(rate(patch[4 + k] >> 4));
      v.rate[kDecay] = static_cast<std::uint8_t>(rate(patch[4 + k] & 0x0F));
      // A percussive instrument keeps falling at its release rate once at
      // its sustain level; a sustained one holds there while the key is on.
      v.rate[kSustain] = static_cast<std::uint8_t>(sustained ? 0 : rate(release));
      // After the key is released: rate 5 with the channel's sustain bit,
      // else the release rate for sustained instruments and 7 for
      // percussive ones.
      v.rate[kRelease] = static_cast<std::uint8_t>(rate(channelSustain ? 5 : sustained ? release : 7));
      v.sustainLevel = static_cast<std::uint8_t>((patch[6 + k] >> 4) * 8);
      const int levelScaling = patch[2 + k] >> 6;
      const int scaled = levelScaling == 0 ? 0 : (keyScale << (levelScaling - 1)) >> 1;
      // The modulator's total level (0.75 dB steps) or a volume (3 dB steps).
      // In rhythm mode the hi-hat and tom-tom take the high volume nibbles.
      int level;
      if (k == 0 && !(rhythmChannel && channel > 6)) {
        level = (patch[2] & 0x3F) * 2;
      } else if (k == 0) {
        level = (volumes >> 4) * 8;
      } else {
        level = (volumes & 0x0F) * 8;
      }
      v.attenuation = static_cast<std::uint16_t>(level + scaled);
      v.halfSine = (patch[3] & (k == 0 ? 0x08 : 0x10)) != 0;
      v.feedback = static_cast<std::uint8_t>(k == 0 ? patch[3] & 7 : 0);
    }
  }
}

// The key line of an operator: the channel's key bit, and in rhythm mode the
// rhythm instrument's own bit for the last three channels' operators.
bool Fm::KeyLine(int op) const {
  const int channel = op >> 1;
  if ((regs[0x20 + channel] & 0x10) != 0) return true;
  if (!Rhythm() || channel < 6) return false;
  // Bass drum: both of channel 6; hi-hat, snare; tom-tom, top cymbal.
  static constexpr std::uint8_t kRhythmBit[6] = {0x10, 0x10, 0x01, 0x08, 0x04, 0x02};
  return (regs[0x0E] & kRhythmBit[op - 12]) != 0;
}

void Fm::UpdateKeys() {
  for (int op = 0; op < kOperators; ++op) {
    Operator& o = ops[op];
    const bool line = KeyLine(op);
    if (line && !o.keyed) {
      // Key on: the wave starts over and the attack begins from the level
      // the envelope has; the fastest attack rates jump to full level.
      o.phase = 0;
      o.stage = kAttack;
      if (voices[op].rate[kAttack] >= 60) {
        o.level = 0;
        o.stage = kDecay;
      }
      sounding = true;
    } else if (!line && o.keyed && o.stage != kOff) {
      o.stage = kRelease;
    }
    o.keyed = line ? 1 : 0;
  }
}

// ---- Operators ----

void Fm::StepEnvelope(Operator& o, const Voice& v) {
  if (o.stage == kOff) return;
  const int steps = RateSteps(v.rate[o.stage], egCounter);
  if (steps == 0) return;
  int level = o.level;
  if (o.stage == kAttack) {
    // The attack closes an eighth of the remaining distance per step: an
    // exponential rise, in the log domain the sound is made in.
    for (int k = 0; k < steps && level > 0; ++k) level -= (level >> 3) + 1;
    o.level = static_cast<std::uint8_t>(std::max(level, 0));
    if (o.level == 0) o.stage = kDecay;
    return;
  }
  level += steps;
  if (o.stage == kDecay && level >= v.sustainLevel) o.stage = kSustain;
  if (level >= 127) {
    level = 127;
    if (o.stage != kDecay) o.stage = kOff;
  }
  o.level = static_cast<std::uint8_t>(level);
}

std::int32_t Fm::Output(const Operator& o, const Voice& v, std::int32_t phaseIndex) const {
  if (o.stage == kOff) return 0;
  const int index = phaseIndex & (fm::kSineSize - 1);
  const bool negative = (index & 0x200) != 0;
  if (negative && v.halfSine) return 0;
  const int quarter = (index & 0x100) ? 0xFF - (index & 0xFF) : index & 0xFF;
  const int attenuation = fm::kCurves.logSine[quarter] + (o.level + v.attenuation + (v.am ? amDepth : 0)) * 16;
  if (attenuation >= fm::kSilentAttenuation) return 0;
  const std::int32_t magnitude = fm::kCurves.power[attenuation & 0xFF] >> (attenuation >> 8);
  return negative ? -magnitude : magnitude;
}

std::uint32_t Fm::PhaseStep(const Voice& v) const {
  if (!v.vibrato) return v.increment;
  const std::int32_t increment = static_cast<std::int32_t>(v.increment);
  return static_cast<std::uint32_t>(increment + ((increment * kVibrato[pmStep]) >> 8));
}

// The rhythm section's four one-operator instruments (hi-hat, snare drum,
// tom-tom, top cymbal), whose carriers are operators 14 to 17.
bool Fm::RhythmSounding() const {
  const Operator* r = ops + 14;
  return r[0].stage != kOff || r[1].stage != kOff || r[2].stage != kOff || r[3].stage != kOff;
}

std::int32_t Fm::RhythmSample() {
  Operator* r = ops + 14;
  for (int k = 0; k < 4; ++k) StepEnvelope(r[k], voices[14 + k]);
  // The noise and the hi-hat's and cymbal's phases make the metallic
  // instruments' waves: the wave index flips between a few fixed points.
  const std::uint32_t bit = (noise ^ (noise >> 14)) & 1;
  noise = (noise >> 1) | bit << 22;
  const std::uint32_t noiseBit = noise & 1;
  const std::uint32_t hat = r[0].phase >> kPhaseShift;
  const std::uint32_t cymbal = r[3].phase >> kPhaseShift;
  const std::uint32_t ring = (((hat >> 2) ^ (hat >> 7)) | (hat >> 3) | ((cymbal >> 3) ^ (cymbal >> 5))) & 1;
  const std::int32_t hatIndex = static_cast<std::int32_t>((ring ? 0x200 : 0) | (noiseBit ? 0xD0 : 0x34));
  const std::int32_t snareIndex = static_cast<std::int32_t>((((hat >> 8) & 1) ? 0x200 : 0x100) ^ (noiseBit << 8));
  const std::int32_t cymbalIndex = ring ? 0x300 : 0x100;
  const std::int32_t sum = Output(r[0], voices[14], hatIndex) + Output(r[1], voices[15], snareIndex) +
                           Output(r[2], voices[16], static_cast<std::int32_t>(r[2].phase >> kPhaseShift)) +
                           Output(r[3], voices[17], cymbalIndex);
  for (int k = 0; k < 4; ++k) r[k].phase = (r[k].phase + PhaseStep(voices[14 + k])) & kPhaseMask;
  // The rhythm section's instruments sound twice as loud as a melody's.
  return sum * 2;
}

// One chip sample: every channel's operators, then the counters move on.
// Operators that are off keep their phase (a key on starts it over).
std::int32_t Fm::Sample() {
  const std::uint32_t amIndex = amCounter >> 6;
  amDepth = static_cast<int>((amIndex < 105 ? amIndex : 209 - amIndex) >> 3);
  pmStep = static_cast<int>((pmCounter >> 10) & 7);

  bool any = false;
  std::int32_t out = 0;
  const bool rhythm = Rhythm();
  const int twoOperator = rhythm ? 7 : kChannels;  // the bass drum is one too
  for (int channel = 0; channel < twoOperator; ++channel) {
    Operator& m = ops[channel * 2];
    Operator& c = ops[channel * 2 + 1];
    // A channel whose carrier is silent is skipped whole: nothing of it is
    // heard, and its modulator waits where it is until the next key on
    // starts both over.
    if (c.stage == kOff) continue;
    any = true;
    const Voice& vm = voices[channel * 2];
    const Voice& vc = voices[channel * 2 + 1];
    StepEnvelope(m, vm);
    StepEnvelope(c, vc);
    std::int32_t self = 0;
    if (vm.feedback) self = (feedback[channel][0] + feedback[channel][1]) >> (kPhaseShift - vm.feedback);
    const std::int32_t modulator = Output(m, vm, static_cast<std::int32_t>(m.phase >> kPhaseShift) + self);
    feedback[channel][1] = feedback[channel][0];
    feedback[channel][0] = static_cast<std::int16_t>(modulator);
    // The modulator's full swing moves the carrier's phase two turns (4 pi).
    const std::int32_t carrier = Output(c, vc, static_cast<std::int32_t>(c.phase >> kPhaseShift) + (modulator >> 1));
    m.phase = (m.phase + PhaseStep(vm)) & kPhaseMask;
    c.phase = (c.phase + PhaseStep(vc)) & kPhaseMask;
    // The rhythm section's instruments sound twice as loud as a melody's.
    out += rhythm && channel == 6 ? carrier * 2 : carrier;
  }

  if (rhythm && RhythmSounding()) {
    any = true;
    out += RhythmSample();
  }

  sounding = any;
  ++egCounter;
  ++pmCounter;
  if (++amCounter == kAmPeriod) amCounter = 0;
  return std::clamp(out >> kOutputShift, -kOutputLimit, kOutputLimit);
}

// ---- Time and output ----

void Fm::Render(std::uint32_t toCycle) {
  if (toCycle <= renderedCycle) return;
  while (nextSampleCycle < toCycle) {
    if (!sounding) {
      // Nothing sounds: only the counters move, in one step.
      const std::uint32_t count = (toCycle - nextSampleCycle + kCyclesPerSample - 1) / kCyclesPerSample;
      if (lastOutput != 0) {
        AddStep(nextSampleCycle, -lastOutput);
        lastOutput = 0;
      }
      egCounter += count;
      pmCounter += count;
      amCounter = (amCounter + count) % kAmPeriod;
      nextSampleCycle += count * kCyclesPerSample;
      break;
    }
    const std::int32_t out = Sample();
    if (out != lastOutput) {
      AddStep(nextSampleCycle, out - lastOutput);
      lastOutput = out;
    }
    nextSampleCycle += kCyclesPerSample;
  }
  renderedCycle = toCycle;
}

void Fm::UpdatePositions() {
  cycleSpan = (std::uint64_t{kSampleRate} << 32) / clock;
  frameStart = (std::uint64_t{sampleFraction} << 32) / clock;
}

void Fm::AddStep(std::uint32_t cycle, std::int32_t delta) {
  stepExtent.Drew(psg::AddStep(deltas, kMaxFrameSamples - 1, frameStart + cycle * cycleSpan, delta));
  stepped = true;
}

void Fm::EndFrame(std::uint32_t frameCycles) {
  const std::uint32_t length = std::max(std::min(frameCycles, kMaxFrameCycles), renderedCycle);
  Render(length);

  const std::uint64_t end = sampleFraction + std::uint64_t{length} * kSampleRate;
  const int count = static_cast<int>(end / clock);
  sampleFraction = static_cast<std::uint32_t>(end % clock);
  UpdatePositions();
  renderedCycle -= length;
  nextSampleCycle = nextSampleCycle > length ? nextSampleCycle - length : 0;
  writeLimit = length > 0 ? length : kMaxFrameCycles;
  sampleCount = count;

  // Silent and at rest: every sample is 0 and the buffers stay as they are.
  if (settled && !stepped && !sounding) {
    if (!silentFrame) std::memset(samples, 0, sizeof samples);
    silentFrame = true;
    return;
  }
  silentFrame = false;

  integrator = psg::IntegrateSteps(deltas, count, integrator, samples);
  // Settled: the leak no longer moves the sum, it reads as 0, and no step
  // reaches into the next frame.
  const bool carried = psg::CarrySteps(deltas, count, stepExtent);
  settled = integrator >= 0 && integrator < (1 << psg::kLeakShiftA) && !carried;
  stepped = false;
}

void Fm::Sanitize() {
  sounding = false;
  for (Operator& o : ops) {
    o.phase &= kPhaseMask;
    o.stage = std::min<std::uint8_t>(o.stage, kOff);
    o.level = std::min<std::uint8_t>(o.level, 127);
    o.keyed &= 1;
    if (o.stage != kOff) sounding = true;
  }
  for (auto& pair : feedback) {
    for (std::int16_t& f : pair) f = std::clamp<std::int16_t>(f, -(1 << fm::kLinearBits), 1 << fm::kLinearBits);
  }
  amCounter %= kAmPeriod;
  noise &= (1u << 23) - 1;
  if (noise == 0) noise = 1;

  clock = std::clamp(clock, Psg::kMinClock, Psg::kMaxClock);
  sampleFraction = std::min(sampleFraction, clock - 1);
  UpdatePositions();
  renderedCycle = std::min(renderedCycle, kMaxFrameCycles);
  nextSampleCycle = std::clamp(nextSampleCycle, renderedCycle, renderedCycle + kCyclesPerSample - 1);
  writeLimit = std::clamp<std::uint32_t>(writeLimit, 1, kMaxFrameCycles);
  lastOutput = std::clamp(lastOutput, -kOutputLimit, kOutputLimit);
  for (std::int32_t& d : deltas) d = std::clamp(d, -kDeltaLimit, kDeltaLimit);
  stepExtent.Drew(kMaxFrameSamples + psg::kStepTaps);  // loaded: every entry was written
  integrator = std::clamp(integrator, -kIntegratorLimit, kIntegratorLimit);
  sampleCount = std::clamp(sampleCount, 0, kMaxFrameSamples);
  stepped = true;  // the loaded buffers are integrated at least once
  settled = false;
  silentFrame = false;
  UpdateVoices();
}
