#include "desktop/sdl/SdlSound.h"

#include <algorithm>

#include "timing/Timing.h"
#include "debug/DebugConsole.h"

namespace {

// How far the rate control may stretch a frame: a fifth of a percent, far
// below what an ear notices as pitch.
constexpr double kMaxCorrection = 0.002;

}  // namespace

SdlSound::~SdlSound() { Close(); }

Result SdlSound::Open() {
  Close();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    const Reason why = LogReason(std::string("no audio driver: ") + SDL_GetError());
    LogPrintf("Sound: %s\n", why.log.c_str());
    return why;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = kRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = kDeviceSamples;
  SDL_AudioSpec obtained{};
  device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) {
    const Reason why = LogReason(std::string("cannot open the audio device: ") + SDL_GetError());
    LogPrintf("Sound: %s\n", why.log.c_str());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return why;
  }
  LogPrintf("Sound: %d Hz, %d samples a buffer (%s)\n", obtained.freq, obtained.samples, SDL_GetCurrentAudioDriver());
  SDL_PauseAudioDevice(device, 0);
  return {};
}

void SdlSound::Close() {
  if (device == 0) return;
  SDL_CloseAudioDevice(device);
  device = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSound::Flush() {
  if (device != 0) SDL_ClearQueuedAudio(device);
}

void SdlSound::SetLevel(int volume, bool muted) { level = muted ? 0 : std::clamp(volume, 0, 100); }

double SdlSound::RatioFor(int queued) {
  // Proportional control: a queue one target too long plays 0.2 % faster.
  const double error = static_cast<double>(queued - kTargetSamples) / kTargetSamples;
  return 1.0 + std::clamp(error * kMaxCorrection, -kMaxCorrection, kMaxCorrection);
}

void SdlSound::Samples(const std::int16_t* samples, int count) {
  if (device == 0 || count <= 0) return;
  int queued = static_cast<int>(SDL_GetQueuedAudioSize(device) / sizeof(std::int16_t));
  if (queued > kMaxQueuedSamples) {
    // The device fell far behind (a stalled sound server): what is queued
    // would only be heard late, so it is dropped and the queue starts again.
    SDL_ClearQueuedAudio(device);
    queued = 0;
  }
  if (queued < kDeviceSamples / 2) {
    // Starting, or after a stall: put the target in front so the device
    // does not starve at the next wake-up's jitter.
    const int lead = kTargetSamples - queued;
    std::fill_n(buffer, lead, AtLevel(previous, level));
    SDL_QueueAudio(device, buffer, static_cast<Uint32>(lead * sizeof(std::int16_t)));
    queued += lead;
  }
  ratio = RatioFor(queued);

  // Linear interpolation at `ratio` input samples per output sample.
  int produced = 0;
  while (position < count && produced < static_cast<int>(sizeof buffer / sizeof buffer[0])) {
    const int index = static_cast<int>(position);
    const double fraction = position - index;
    const double before = index == 0 ? previous : samples[index - 1];
    const double after = samples[index];
    // Sample i of the frame sits at position i + 1 after the previous frame's last.
    buffer[produced++] = AtLevel(static_cast<int>(before + (after - before) * fraction), level);
    position += ratio;
  }
  position -= count;
  previous = samples[count - 1];
  SDL_QueueAudio(device, buffer, static_cast<Uint32>(produced * sizeof(std::int16_t)));

  // A write at the frame's start waits for the queue in front of it, and
  // one at its end for a frame more; the device buffer playing adds one more.
  const double queuedMs = queued * 1000.0 / kRate;
  const double deviceMs = kDeviceSamples * 1000.0 / kRate;
  delaySum += queuedMs + frameMs / 2 + deviceMs;
  delayMax = std::max(delayMax, queuedMs + frameMs + deviceMs);
  ++frames;
}

SdlSound::DelayFigures SdlSound::Delay() const {
  DelayFigures figures;
  figures.frames = frames;
  figures.meanMs = frames > 0 ? delaySum / static_cast<double>(frames) : 0;
  figures.maxMs = delayMax;
  return figures;
}
