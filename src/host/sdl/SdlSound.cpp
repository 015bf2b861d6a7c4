#include "host/sdl/SdlSound.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

#include "debug/DebugConsole.h"
#include "video/HostMessageBox.h"

namespace {

struct OpenOutput {
  SDL_AudioDeviceID device = 0;
  std::unique_ptr<QueuedSynth> synth;
  std::int64_t aheadNs = 0;  // audio the device plays before a buffer being filled
  QueuedSynth::DelayFigures lastFigures;
};

OpenOutput output;

void FillFromDevice(void* userdata, Uint8* stream, int length) {
  auto* open = static_cast<OpenOutput*>(userdata);
  open->synth->Fill(std::span<std::uint8_t>(stream, static_cast<std::size_t>(length)), open->aheadNs);
}

}  // namespace

void SoundClose() {
  SetSoundOutput(nullptr);
  if (output.device != 0) {
    SDL_CloseAudioDevice(output.device);  // waits for the callback to finish
    output.device = 0;
  }
  if (output.synth) {
    output.lastFigures = output.synth->Delay();
    output.synth.reset();
  }
}

int SoundOpen(int rate, int buffers) {
  SoundClose();
  buffers = std::clamp(buffers, 2, 32);

  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    LogPrintf("Sound: no audio driver: %s\n", SDL_GetError());
    ShowHostMessageBox("No Driver", "Waveout error");
    return 0;
  }

  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_U8;
  wanted.channels = 1;
  wanted.samples = kSoundDeviceSamples;
  wanted.callback = FillFromDevice;
  wanted.userdata = &output;
  SDL_AudioSpec obtained{};
  output.synth = std::make_unique<QueuedSynth>(rate);
  // The device must take exactly this format (the synthesiser makes nothing
  // else), but may pick its own buffer size.
  output.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (output.device == 0) {
    LogPrintf("Sound: cannot open the audio device: %s\n", SDL_GetError());
    output.synth.reset();
    ShowHostMessageBox("Unkown error", "Waveout error");
    return 0;
  }
  // The device asks for a buffer when the one before it starts playing:
  // that buffer is the audio in front of every change applied at the fill.
  output.aheadNs = static_cast<std::int64_t>(obtained.samples) * 1000000000LL / rate;
  LogPrintf("Sound: %d Hz, %d samples a buffer (%s)\n", obtained.freq, obtained.samples,
            SDL_GetCurrentAudioDriver());
  SetSoundOutput(output.synth.get());
  SDL_PauseAudioDevice(output.device, 0);
  return rate;
}

QueuedSynth::DelayFigures SoundDelayFigures() { return output.lastFigures; }
