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
#include "host/headless/WavRecorder.h"
#include "input/ScriptedInput.h"
#include "video/Video.h"

namespace {

constexpr int kLinesPerFrame = 262;

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

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "tavrin: cannot write '%s'\n", path.c_str());
    return false;
  }
  return true;
}

long PeakMemoryKilobytes() {
  struct rusage usage;
  return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

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
  HostParts host{display.get(), input.get()};
  Startup(host);
  // Nobody can switch away from a window that does not exist.
  display->active = true;
  if (options.japanese) theMachine.exportConsole = 0;
  theMachine.video.spriteLimit = !options.noSpriteLimit;

  std::unique_ptr<WavRecorder> recorder;
  if (!options.audio.empty()) {
    recorder = std::make_unique<WavRecorder>(theMachine, options.frames);
    SetSoundOutput(recorder.get());
  }

  if (!LoadAndReset(image.c_str())) {
    std::fprintf(stderr, "tavrin: cannot load cartridge image '%s'\n", image.c_str());
    SetSoundOutput(nullptr);
    Shutdown();
    return 1;
  }

  auto started = std::chrono::steady_clock::now();
  for (int frame = 0; frame < options.frames; ++frame) {
    input->ReleaseAll();
    for (std::uint8_t code : options.input.KeysAt(frame)) input->SetKey(code, true);
    for (int line = 0; line < kLinesPerFrame; ++line) IdleStep();
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (recorder) recorder->CatchUp();

  Shutdown();
  SetSoundOutput(nullptr);

  bool ok = true;
  if (!options.screenshot.empty()) {
    std::string error;
    if (!WriteScreenshot(*display, options.screenshot, error)) {
      std::fprintf(stderr, "tavrin: %s\n", error.c_str());
      ok = false;
    }
  }
  if (recorder && !WriteFile(options.audio, recorder->WavFile())) ok = false;

  if (options.bench) {
    double fps = seconds > 0 ? options.frames / seconds : 0;
    std::printf("%d frames in %.3f s: %.0f frames per second (%.1f times real speed), peak memory %ld KB\n",
                options.frames, seconds, fps, fps / 59.92, PeakMemoryKilobytes());
  }
  return ok ? 0 : 1;
}
