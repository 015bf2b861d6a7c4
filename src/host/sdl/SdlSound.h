#pragma once

#include "host/sdl/QueuedSynth.h"

// The desktop's wave output: SDL audio playing unsigned 8-bit mono samples
// from a QueuedSynth, which SoundOpen installs as the process's sound output.

// Samples in one device buffer (11.6 ms at 22050 Hz).
inline constexpr int kSoundDeviceSamples = 256;

// Opens the default audio device at `rate` samples per second (closing what
// was open first), with one 256-sample buffer being filled while the one
// before it plays: a change is heard 12-25 ms after it was written. `buffers`
// is kept for the callers' sake and clamped to 2-32; SDL keeps the queue.
// Returns 0 on failure, after a message box captioned "Waveout error";
// otherwise the rate.
int SoundOpen(int rate, int buffers);

// Stops the device and uninstalls the output; changes are dropped from then on.
void SoundClose();

// Delay figures of the output closed last (read after SoundClose).
QueuedSynth::DelayFigures SoundDelayFigures();
