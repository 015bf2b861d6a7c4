#include "app/HeadlessRun.h"

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "app/Application.h"
#include "app/DemoImage.h"
#include "app/Screenshot.h"
#include "host/headless/HeadlessDisplay.h"
#include "host/headless/HeadlessMessageBox.h"
#include "host/headless/ScriptedInput.h"
#include "host/headless/WavStream.h"

namespace {

// Checks that an output file can be written before any emulation is spent,
// so a wrong path fails at once. The file is written for real at the end.
bool CheckWritable(const std::string& path) {
  if (path.empty()) return true;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) {
    std::fprintf(stderr, "tavrin: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  std::fclose(file);
  return true;
}

long PeakMemoryKilobytes() {
  struct rusage usage;
  return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

}  // namespace

namespace {

// Hands every frame's samples to the WAV file as they are made.
class WavSink final : public SampleSink {
 public:
  explicit WavSink(WavStream& stream) : wav(stream) {}
  void Samples(const std::int16_t* samples, int count) override { wav.Append(samples, count); }

 private:
  WavStream& wav;
};

}  // namespace

int RunHeadless(const RunOptions& options) {
  if (!CheckWritable(options.screenshot) || !CheckWritable(options.audio)) return 1;

  std::string image = options.image;
  if (image.empty()) {
    std::string error;
    image = InstallDemoImage(error);
    if (image.empty()) {
      std::fprintf(stderr, "tavrin: %s\n", error.c_str());
      return 1;
    }
  }

  InstallHeadlessMessageBox();
  auto display = std::make_unique<HeadlessDisplay>(options.depth, options.rgb565);
  auto input = std::make_unique<ScriptedInput>(0);
  auto session = std::make_unique<Session>();
  HostParts host{display.get(), input.get()};
  session->Startup(host);
  // Nobody can switch away from a window that does not exist.
  display->active = true;
  session->console.SetJapanese(options.japanese);

  WavStream wav;
  WavSink wavSink(wav);
  if (!options.audio.empty()) {
    std::string error;
    if (!wav.Open(options.audio, Psg::kSampleRate, error)) {
      std::fprintf(stderr, "tavrin: %s\n", error.c_str());
      session->Shutdown();
      return 1;
    }
    session->sound = &wavSink;
  }

  if (!session->LoadAndReset(image.c_str())) {
    std::fprintf(stderr, "tavrin: cannot load cartridge image '%s'\n", image.c_str());
    session->Shutdown();
    return 1;
  }

  auto started = std::chrono::steady_clock::now();
  for (int frame = 0; frame < options.frames; ++frame) {
    input->ReleaseAll();
    for (std::uint8_t code : options.input.KeysAt(frame)) input->SetKey(code, true);
    // Only the last frame is ever looked at: the others are not converted.
    session->present = frame == options.frames - 1;
    session->RunFrame();
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  session->Shutdown();

  bool ok = true;
  if (!options.screenshot.empty()) {
    std::string error;
    const PictureRect visible = VisiblePicture(session->console.GameGear());
    if (!WriteScreenshot(*display, options.screenshot, error, options.crop ? &visible : nullptr)) {
      std::fprintf(stderr, "tavrin: %s\n", error.c_str());
      ok = false;
    }
  }
  if (!options.audio.empty()) {
    std::string error;
    if (!wav.Finish(error)) {
      std::fprintf(stderr, "tavrin: %s\n", error.c_str());
      ok = false;
    }
  }

  if (options.bench) {
    double fps = seconds > 0 ? options.frames / seconds : 0;
    std::printf("%d frames in %.3f s: %.0f frames per second (%.1f times real speed), peak memory %ld KB\n",
                options.frames, seconds, fps, fps / kNtscTiming.FramesPerSecond(), PeakMemoryKilobytes());
  }
  return ok ? 0 : 1;
}
