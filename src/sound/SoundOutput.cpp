#include "sound/SoundOutput.h"

namespace {
SoundOutput* installedOutput = nullptr;
}

void SetSoundOutput(SoundOutput* output) { installedOutput = output; }

void SoundChannelUpdate(int channel, int frequency, int volume) {
  if (installedOutput) installedOutput->ChannelUpdate(channel, frequency, volume);
}
