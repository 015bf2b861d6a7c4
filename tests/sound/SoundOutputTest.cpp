#include <gtest/gtest.h>

#include <string>

#include "sound/PSG.h"
#include "sound/SoundOutput.h"

namespace {

class RecordingOutput : public SoundOutput {
 public:
  void ChannelUpdate(int channel, int frequency, int volume) override {
    calls += "(" + std::to_string(channel) + "," + std::to_string(frequency) + "," + std::to_string(volume) + ")";
  }
  std::string calls;
};

}  // namespace

TEST(SoundOutput, ChannelChangesReachOnlyAnInstalledOutput) {
  struct Case {
    const char* name;
    bool installed;
    const char* expected;
  };
  const Case cases[] = {
      {"closed output drops changes", false, ""},
      {"installed output hears reset and writes", true, "(0,0,0)(1,0,0)(2,0,0)(3,0,0)(0,109,0)(0,109,240)"},
  };
  for (const Case& c : cases) {
    RecordingOutput output;
    SetSoundOutput(c.installed ? &output : nullptr);
    PSG psg;
    psg.Reset(&SoundChannelUpdate);
    psg.Write(0x8F);
    psg.Write(0x3F);
    psg.Write(0x90);
    SetSoundOutput(nullptr);
    psg.Write(0x9F);  // after closing: dropped
    EXPECT_EQ(output.calls, c.expected) << c.name;
    EXPECT_EQ(CurrentSoundOutput(), nullptr) << c.name;
  }
}
