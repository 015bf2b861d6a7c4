#include "app/HeadlessRun.h"

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/Application.h"
#include "app/DemoImage.h"
#include "app/Screenshot.h"
#include "debug/DebugConsole.h"
#include "host/files/BatteryFile.h"
#include "host/files/ImageFile.h"
#include "host/files/OutputCheck.h"
#include "host/files/WavWriter.h"
#include "host/headless/HeadlessDisplay.h"
#include "host/headless/HeadlessMessageBox.h"
#include "host/headless/WavRecorder.h"
#include "input/ScriptedInput.h"
#include "video/Video.h"

namespace {

constexpr int kLinesPerFrame = 262;

// The console's frame rate: 262 lines of 228 cycles at 3579545 Hz.
constexpr double kFramesPerSecond = 3579545.0 / (228 * 262);

// Checks that an output file can be written before any emulation is spent,
// so a wrong path fails at once. Nothing is created: the file is written for
// real, whole, at the end.
bool CheckWritable(const std::string& path) {
  std::string error;
  if (path.empty() || CheckOutputWritable(path, error)) return true;
  std::fprintf(stderr, "tavrin: %s\n", error.c_str());
  return false;
}

// Everything about the files of a run that can be checked before it starts:
// the image can be read, its battery file is not the image, no output would
// overwrite the image, its battery file or another output, and the sound
// fits a WAV file.
bool CheckRunFiles(const RunOptions& options, const std::string& image) {
  std::string error;
  std::vector<std::uint8_t> bytes;
  if (!ReadImageFile(image, bytes, error)) {
    LogPrintf("file error\r\n");
    std::fprintf(stderr, "tavrin: cannot load cartridge image %s\n", error.c_str());
    return false;
  }
  std::string battery;
  bool ok = BatteryPathFor(image, battery, error) &&
            CheckOutputs(image, battery, {{"--screenshot", options.screenshot}, {"--audio", options.audio}},
                         error) &&
            (options.audio.empty() || WavWriter::CheckLength(static_cast<std::uint64_t>(options.frames),
                                                             kFramesPerSecond, error));
  if (!ok) std::fprintf(stderr, "tavrin: %s\n", error.c_str());
  return ok;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string error;
  if (WriteFileAtomically(path, bytes, LinkPolicy::kReplaceLink, error)) return true;
  std::fprintf(stderr, "tavrin: %s\n", error.c_str());
  return false;
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
  if (!CheckRunFiles(options, image)) return 1;

  InstallHeadlessMessageBox();
  auto display = std::make_unique<HeadlessDisplay>(options.depth, options.rgb565);
  auto input = std::make_unique<ScriptedInput>(0);
  HostParts host{display.get(), input.get()};
  Startup(host);
  // Nobody can switch away from a window that does not exist.
  display->active = true;
  if (options.japanese) theMachine.exportConsole = 0;

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
