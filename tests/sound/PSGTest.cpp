#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sound/PSG.h"

namespace {

struct SinkCall {
  int channel;
  int frequency;
  int volume;
  bool operator==(const SinkCall&) const = default;
};

std::vector<SinkCall>& Calls() {
  static std::vector<SinkCall> calls;
  return calls;
}

void RecordingSink(int channel, int frequency, int volume) { Calls().push_back({channel, frequency, volume}); }

std::string Describe(const std::vector<SinkCall>& calls) {
  std::string text;
  for (const SinkCall& c : calls) {
    text += "(" + std::to_string(c.channel) + "," + std::to_string(c.frequency) + "," + std::to_string(c.volume) + ")";
  }
  return text.empty() ? "none" : text;
}

// A step of a script: a byte for the sound port, or a flush with a mode.
struct Step {
  bool flush;
  int value;
};
constexpr Step W(int v) { return {false, v}; }
constexpr Step F(int mode) { return {true, mode}; }

struct ScriptCase {
  const char* name;
  std::vector<Step> steps;
  std::vector<SinkCall> expected;  // sink calls after the reset
};

void RunScripts(const std::vector<ScriptCase>& cases) {
  for (const ScriptCase& c : cases) {
    PSG psg;
    psg.Reset(&RecordingSink);
    Calls().clear();
    for (const Step& step : c.steps) {
      if (step.flush) {
        psg.Flush(step.value);
      } else {
        psg.Write(static_cast<uint8_t>(step.value));
      }
    }
    EXPECT_EQ(Describe(Calls()), Describe(c.expected)) << c.name;
  }
}

}  // namespace

TEST(PSG, ResetInstallsTheSinkAndSilencesEveryChannel) {
  PSG psg;
  psg.Reset(&RecordingSink);
  psg.Write(0x8F);
  psg.Write(0x3F);
  psg.Write(0x90);
  psg.Write(0xE2);
  Calls().clear();
  psg.Reset(&RecordingSink);
  EXPECT_EQ(Describe(Calls()), "(0,0,0)(1,0,0)(2,0,0)(3,0,0)");
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(psg.freq[k], 0) << "channel " << k;
    EXPECT_EQ(psg.volume[k], 0) << "channel " << k;
  }
  // The latch is forgotten too: a data byte now changes nothing.
  Calls().clear();
  psg.Write(0x3F);
  EXPECT_TRUE(Calls().empty());
}

TEST(PSG, WritesWithoutASinkAreHarmless) {
  PSG psg;
  psg.Write(0x8F);
  psg.Write(0x3F);
  psg.Write(0x90);
  psg.Flush(FlushKeep);
  EXPECT_EQ(psg.freq[0], 109);
  EXPECT_EQ(psg.volume[0], 240);
}

TEST(PSG, ToneLatchAndDataBytes) {
  RunScripts({
      {"0x8F 0x3F: period 1023 gives 109 Hz", {W(0x8F), W(0x3F)}, {{0, 109, 0}}},
      {"0x80 0x00: period 0 is silent", {W(0x8F), W(0x3F), W(0x80), W(0x00)}, {{0, 109, 0}, {0, 0, 0}}},
      {"data byte before any latch is ignored", {W(0x3F), W(0x15)}, {}},
      {"latch alone changes nothing", {W(0x85)}, {}},
      {"0x85 0x10: period 0x105 gives 426 Hz", {W(0x85), W(0x10)}, {{0, 426, 0}}},
      {"data bits 6-7 are not part of the period", {W(0x85), W(0xD0 & 0x7F)}, {{0, 426, 0}}},
      {"latch 0xAF goes to channel 1", {W(0xAF), W(0x3F)}, {{1, 109, 0}}},
      {"latch 0xC5 goes to channel 2", {W(0xC5), W(0x10)}, {{2, 426, 0}}},
      {"period 7 is the highest tone, 13982 Hz", {W(0x87), W(0x00)}, {{0, 13982, 0}}},
      {"period 6 is cut to silence", {W(0x87), W(0x00), W(0x86), W(0x00)}, {{0, 13982, 0}, {0, 0, 0}}},
      {"same frequency twice calls once", {W(0x85), W(0x10), W(0x10)}, {{0, 426, 0}}},
      {"later data bytes reuse the latch", {W(0x85), W(0x10), W(0x11)}, {{0, 426, 0}, {0, 402, 0}}},
      {"a volume byte does not move the latch",
       {W(0x90), W(0xC5), W(0x9F), W(0x10)},
       {{0, 0, 240}, {0, 0, 0}, {2, 426, 0}}},
      {"a noise byte does not move the latch", {W(0xA5), W(0xE1), W(0x10)}, {{3, 3495, 0}, {1, 426, 0}}},
      {"volume carries over into frequency calls", {W(0xB3), W(0xA5), W(0x10)}, {{1, 0, 192}, {1, 426, 192}}},
  });
}

TEST(PSG, VolumeBytes) {
  RunScripts({
      {"0x90 is loudest on channel 0", {W(0x90)}, {{0, 0, 240}}},
      {"0x9F after 0x90 is silent", {W(0x90), W(0x9F)}, {{0, 0, 240}, {0, 0, 0}}},
      {"0x9F right after reset is no change", {W(0x9F)}, {}},
      {"0x90 twice calls once", {W(0x90), W(0x90)}, {{0, 0, 240}}},
      {"0xB8 is channel 1 at 112", {W(0xB8)}, {{1, 0, 112}}},
      {"0xD1 is channel 2 at 224", {W(0xD1)}, {{2, 0, 224}}},
      {"0xFE is channel 3 at 16", {W(0xFE)}, {{3, 0, 16}}},
  });
}

TEST(PSG, NoiseControl) {
  RunScripts({
      {"rate 0 first after reset takes effect", {W(0xE0)}, {{3, 6991, 0}}},
      {"noise type bit is ignored", {W(0xE4)}, {{3, 6991, 0}}},
      {"rate 1", {W(0xE1)}, {{3, 3495, 0}}},
      {"rate 2", {W(0xE2)}, {{3, 1747, 0}}},
      {"0xE5 after 0xE1 is the same rate", {W(0xE1), W(0xE5)}, {{3, 3495, 0}}},
      {"rate 3 takes tone 2's frequency", {W(0xC5), W(0x10), W(0xE3)}, {{2, 426, 0}, {3, 426, 0}}},
      {"after rate 3, tone 2 changes move noise first",
       {W(0xE7), W(0xC5), W(0x10), W(0xCF), W(0x3F)},
       {{3, 0, 0}, {3, 426, 0}, {2, 426, 0}, {3, 109, 0}, {2, 109, 0}}},
      {"after rate 3, tones 0 and 1 leave noise alone", {W(0xE3), W(0x85), W(0x10), W(0xA5), W(0x10)},
       {{3, 0, 0}, {0, 426, 0}, {1, 426, 0}}},
      {"leaving rate 3 stops the following", {W(0xE3), W(0xE0), W(0xC5), W(0x10)},
       {{3, 0, 0}, {3, 6991, 0}, {2, 426, 0}}},
      {"noise volume rides along", {W(0xF0), W(0xE2)}, {{3, 0, 240}, {3, 1747, 240}}},
  });
}

TEST(PSG, FlushModes) {
  RunScripts({
      {"keep mode with nothing deferred delivers at once", {F(2), W(0x90), F(2)}, {{0, 0, 240}}},
      {"deferred changes wait for the flush", {F(1), W(0x90), W(0xB0)}, {}},
      {"flush delivers pending channels in ascending order",
       {F(1), W(0xF0), W(0xB0), W(0x90), F(2)},
       {{0, 0, 240}, {1, 0, 240}, {3, 0, 240}}},
      {"a channel changed twice is delivered once with its last state",
       {F(1), W(0x90), W(0x98), F(2)},
       {{0, 0, 112}}},
      {"keep mode stays deferred", {F(1), W(0x90), F(2), W(0xB0)}, {{0, 0, 240}}},
      {"mode 0 flushes and returns to immediate delivery",
       {F(1), W(0x90), F(0), W(0xB0)},
       {{0, 0, 240}, {1, 0, 240}}},
      {"any other mode defers", {F(7), W(0x90), F(2)}, {{0, 0, 240}}},
      {"rate 3 marks noise pending with tone 2",
       {W(0xE3), F(1), W(0xC5), W(0x10), F(2)},
       {{3, 0, 0}, {2, 426, 0}, {3, 426, 0}}},
  });
}

TEST(PSG, ResetReturnsToImmediateDelivery) {
  PSG psg;
  psg.Reset(&RecordingSink);
  psg.Flush(FlushDeferred);
  psg.Write(0x90);
  Calls().clear();
  psg.Reset(&RecordingSink);
  psg.Write(0xB0);
  EXPECT_EQ(Describe(Calls()), "(0,0,0)(1,0,0)(2,0,0)(3,0,0)(1,0,240)");
  EXPECT_EQ(psg.pending, 0);
}
