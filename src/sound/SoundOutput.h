#pragma once

// Where the sound chip model's channel changes go: the host's sound output
// (a device fed by a sound thread on the desktop, a WAV recorder in emulated
// time headless). One output at most is installed for the process.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Called on the emulation thread for every channel change.
  virtual void ChannelUpdate(int channel, int frequency, int volume) = 0;
};

// Installs the output that SoundChannelUpdate feeds; nullptr closes it.
void SetSoundOutput(SoundOutput* output);

// The channel sink the machine gives the sound chip model: forwards the change
// to the installed output, and does nothing while none is open.
void SoundChannelUpdate(int channel, int frequency, int volume);
