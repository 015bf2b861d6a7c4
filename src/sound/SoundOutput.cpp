#include "sound/SoundOutput.h"

namespace {
SoundOutput* installedOutput = nullptr;
}

void SetSoundOutput(SoundOutput* output) { installedOutput = output; }

SoundOutput* CurrentSoundOutput() { return installedOutput; }

void SoundChannelUpdate(int channel, int frequency, int volume) {
  if (installedOutput != nullptr) installedOutput->ChannelUpdate(channel, frequency, volume);
}
