#pragma once

// Where the PSG's channel changes go to be heard. There is one sound output
// per process at most: the desktop host's device thread, or the headless
// recorder. While none is installed the output counts as closed and changes
// are dropped.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Called on the emulation thread for every channel change (channel 0-3,
  // frequency in Hz, volume 0-240).
  virtual void ChannelUpdate(int channel, int frequency, int volume) = 0;
};

// Installs the process's sound output (not owned); nullptr closes it.
void SetSoundOutput(SoundOutput* output);
SoundOutput* CurrentSoundOutput();

// The ChannelSink the machine installs into its PSG: hands the change to the
// installed sound output, or drops it while none is installed.
void SoundChannelUpdate(int channel, int frequency, int volume);
