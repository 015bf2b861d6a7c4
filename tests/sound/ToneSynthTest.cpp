#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/ToneSynth.h"

namespace {

struct ChannelSetting {
  uint32_t channel;
  int frequency;
  int volume;
};

std::vector<uint8_t> Fill(SynthState& state, std::size_t count) {
  std::vector<uint8_t> samples(count, 0xAA);
  SynthFill(state, samples);
  return samples;
}

std::string Bytes(const std::vector<uint8_t>& samples, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count && i < samples.size(); ++i) {
    if (i) text += ' ';
    text += std::to_string(samples[i]);
  }
  return text;
}

}  // namespace

TEST(ToneSynth, SilentOutputIs128Everywhere) {
  struct Case {
    const char* name;
    std::vector<ChannelSetting> settings;
  };
  const Case cases[] = {
      {"freshly opened", {}},
      {"frequency without volume", {{0, 440, 0}, {3, 1747, 0}}},
      {"volume without frequency", {{1, 0, 240}, {3, 0, 240}}},
      {"every channel cut above half rate", {{0, 13982, 240}, {1, 11026, 240}, {2, 15000, 240}, {3, 12000, 240}}},
  };
  for (const Case& c : cases) {
    SynthState state;
    SynthOpen(state, 22050);
    for (const ChannelSetting& s : c.settings) SynthSetChannel(state, s.channel, SetChannelParam(s.frequency, s.volume));
    for (int buffer = 0; buffer < 3; ++buffer) {
      const std::vector<uint8_t> samples = Fill(state, SoundBufferSamples);
      EXPECT_EQ(samples, std::vector<uint8_t>(SoundBufferSamples, 128)) << c.name << ", buffer " << buffer;
    }
  }
}

TEST(ToneSynth, SquareWaveLevels) {
  // At 16 samples per second a 2 Hz tone moves its phase 0x2000 a sample:
  // three samples low, an edge, three samples high, an edge.
  struct Case {
    const char* name;
    std::vector<ChannelSetting> settings;
    const char* firstTen;
  };
  const Case cases[] = {
      {"one tone at 240 swings 29 about silence", {{0, 2, 240}}, "99 99 99 128 157 157 157 128 99 99"},
      {"each tone channel sounds the same", {{2, 2, 240}}, "99 99 99 128 157 157 157 128 99 99"},
      {"negative mix truncates toward zero", {{1, 2, 128}}, "113 113 113 128 143 143 143 128 113 113"},
      {"two tones in phase add", {{0, 2, 240}, {1, 2, 240}}, "69 69 69 128 187 187 187 128 69 69"},
      {"a tone at half rate sits on its edges", {{0, 8, 240}}, "128 128 128 128 128 128 128 128 128 128"},
      {"a tone at quarter rate is low, edge, high, edge", {{0, 4, 240}}, "99 128 157 128 99 128 157 128 99 128"},
      {"four channels at 255 reach 255 without wrapping",
       {{0, 2, 255}, {1, 2, 255}, {2, 2, 255}, {3, 1, 255}},
       "65 65 65 159 255 255 255 159 65 65"},
      {"four channels at 255 reach 1 without wrapping",
       {{0, 2, 255}, {1, 2, 255}, {2, 2, 255}, {3, 8, 255}},
       "65 1 1 97 191 191 191 97 1 1"},
  };
  for (const Case& c : cases) {
    SynthState state;
    SynthOpen(state, 16);
    for (const ChannelSetting& s : c.settings) SynthSetChannel(state, s.channel, SetChannelParam(s.frequency, s.volume));
    EXPECT_EQ(Bytes(Fill(state, SoundBufferSamples), 10), c.firstTen) << c.name;
  }
}

TEST(ToneSynth, OneToneAtFullRateUsesOnlyThreeLevels) {
  SynthState state;
  SynthOpen(state, 22050);
  SynthSetChannel(state, 0, SetChannelParam(1000, 240));
  int counts[256] = {};
  for (int buffer = 0; buffer < 8; ++buffer) {
    for (uint8_t sample : Fill(state, SoundBufferSamples)) ++counts[sample];
  }
  EXPECT_GT(counts[99], 900);
  EXPECT_GT(counts[157], 900);
  EXPECT_EQ(counts[99] + counts[157] + counts[128], 8 * SoundBufferSamples);
  // One edge sample per half cycle: about 2000 edges a second.
  EXPECT_NEAR(counts[128], 2000 * 8 * SoundBufferSamples / 22050, 3);
}

TEST(ToneSynth, SetChannelCutsAboveHalfRate) {
  struct Case {
    int rate;
    int frequency;
    int volume;
    int32_t expectFreq;
    int32_t expectVolume;
  };
  const Case cases[] = {
      {22050, 13982, 240, 0, 240},      // the PSG's highest tone is cut
      {22050, 11025, 240, 11025, 240},  // exactly half the rate stays
      {22050, 11026, 240, 0, 240},
      {44100, 13982, 240, 13982, 240},
      {22050, 109, 255, 109, 255},
      {22050, 6991, 16, 6991, 16},
      {22050, 440, 0x1F0, 440, 0xF0},  // volume is the low byte only
      {0, 440, 240, 0, 240},           // a closed output keeps everything silent
  };
  for (const Case& c : cases) {
    SynthState state;
    SynthOpen(state, c.rate);
    SynthSetChannel(state, 2, SetChannelParam(c.frequency, c.volume));
    EXPECT_EQ(state.chanFreq[2], c.expectFreq) << c.frequency << " Hz at " << c.rate;
    EXPECT_EQ(state.chanVolume[2], c.expectVolume) << c.frequency << " Hz at " << c.rate;
  }
}

TEST(ToneSynth, MessageParameterLayout) {
  struct Case {
    int frequency;
    int volume;
    int32_t param;
  };
  const Case cases[] = {
      {0, 0, 0},
      {109, 240, (109 << 8) + 240},
      {15000, 255, (15000 << 8) + 255},
      {6991, 256, 6991 << 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetChannelParam(c.frequency, c.volume), c.param) << c.frequency << "/" << c.volume;
  }
}

TEST(ToneSynth, ChannelsOutsideZeroToThreeAreIgnored) {
  SynthState state;
  SynthOpen(state, 22050);
  for (uint32_t channel : {4u, 255u, 0xFFFFFFFFu}) SynthSetChannel(state, channel, SetChannelParam(440, 240));
  EXPECT_EQ(Fill(state, SoundBufferSamples), std::vector<uint8_t>(SoundBufferSamples, 128));
}

TEST(ToneSynth, SilentChannelsKeepTheirPhase) {
  SynthState state;
  SynthOpen(state, 16);
  SynthSetChannel(state, 0, SetChannelParam(2, 240));
  EXPECT_EQ(Bytes(Fill(state, 2), 2), "99 99");
  SynthSetChannel(state, 0, SetChannelParam(2, 0));
  EXPECT_EQ(Bytes(Fill(state, 5), 5), "128 128 128 128 128");
  SynthSetChannel(state, 0, SetChannelParam(2, 240));
  EXPECT_EQ(Bytes(Fill(state, 6), 6), "99 128 157 157 157 128");
}

TEST(ToneSynth, NoiseRegisterStepsOncePerPeriod) {
  // Noise at half the rate steps its register every second sample. From 1 it
  // shifts left; when bit 31 comes up it feeds back into bits 27 and 0.
  struct Case {
    int samples;
    uint32_t shift;
  };
  const Case cases[] = {
      {1, 0x00000001},  {2, 0x00000002},  {3, 0x00000002},  {20, 0x00000400},
      {62, 0x88000001}, {64, 0x10000002}, {72, 0x10000022},
  };
  for (const Case& c : cases) {
    SynthState state;
    SynthOpen(state, 16);
    SynthSetChannel(state, 3, SetChannelParam(8, 240));
    Fill(state, static_cast<std::size_t>(c.samples));
    EXPECT_EQ(state.noiseShift, c.shift) << "after " << c.samples << " samples";
  }
}

TEST(ToneSynth, NoiseLevelFollowsBitZero) {
  SynthState state;
  SynthOpen(state, 16);
  SynthSetChannel(state, 3, SetChannelParam(8, 240));
  const std::vector<uint8_t> samples = Fill(state, 66);
  EXPECT_EQ(Bytes(samples, 4), "157 99 99 99");
  // The 31st step feeds back into bit 0: sample 61 is the first high one again.
  EXPECT_EQ(samples[60], 99);
  EXPECT_EQ(samples[61], 157);
  EXPECT_EQ(samples[62], 157);
  EXPECT_EQ(samples[63], 99);
}

TEST(ToneSynth, SilentNoiseDoesNotStep) {
  SynthState state;
  SynthOpen(state, 16);
  SynthSetChannel(state, 3, SetChannelParam(8, 0));
  Fill(state, 100);
  EXPECT_EQ(state.noiseShift, 1u);
  EXPECT_EQ(state.phase[3], 0u);
}

TEST(ToneSynth, AnyLengthFillsLikeWholeBuffers) {
  const std::size_t lengths[] = {0, 1, 100, 256, 257, 600, 1024};
  for (std::size_t length : lengths) {
    SynthState whole;
    SynthState pieces;
    for (SynthState* state : {&whole, &pieces}) {
      SynthOpen(*state, 22050);
      SynthSetChannel(*state, 0, SetChannelParam(440, 240));
      SynthSetChannel(*state, 1, SetChannelParam(1000, 128));
      SynthSetChannel(*state, 3, SetChannelParam(3495, 64));
    }
    const std::vector<uint8_t> once = Fill(whole, length);
    std::vector<uint8_t> joined;
    for (std::size_t done = 0; done < length; done += 7) {
      const std::vector<uint8_t> part = Fill(pieces, std::min<std::size_t>(7, length - done));
      joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_EQ(once, joined) << "length " << length;
    for (int s = 0; s < SoundBufferSamples; ++s) {
      ASSERT_EQ(whole.mixBuffer[s], 0) << "mix entry " << s << " after length " << length;
    }
  }
}

TEST(ToneSynth, OpenStartsAfresh) {
  SynthState state;
  SynthOpen(state, 22050);
  SynthSetChannel(state, 0, SetChannelParam(440, 240));
  SynthSetChannel(state, 3, SetChannelParam(6991, 240));
  Fill(state, 300);
  SynthOpen(state, 11025);
  EXPECT_EQ(state.outputRate, 11025);
  EXPECT_EQ(state.noiseShift, 1u);
  for (int k = 0; k < SoundChannelCount; ++k) {
    EXPECT_EQ(state.chanFreq[k], 0) << k;
    EXPECT_EQ(state.chanVolume[k], 0) << k;
    EXPECT_EQ(state.phase[k], 0u) << k;
  }
  EXPECT_EQ(Fill(state, SoundBufferSamples), std::vector<uint8_t>(SoundBufferSamples, 128));
}
