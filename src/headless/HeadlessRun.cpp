#include "headless/HeadlessRun.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/session/Session.h"
#include "host/session/DemoImage.h"
#include "headless/Screenshot.h"
#include "headless/DebugSession.h"
#include "console/SaveState.h"
#include "debug/DebugConsole.h"
#include "host/files/ArchiveImage.h"
#include "host/files/BatteryFile.h"
#include "host/files/ImageFile.h"
#include "host/files/OutputCheck.h"
#include "host/files/StateFile.h"
#include "host/files/WavWriter.h"
#include "headless/HeadlessDisplay.h"
#include "headless/HeadlessMessageBox.h"
#include "headless/ScriptedInput.h"
#include "host/dap/DapServer.h"
#include "host/rewind/RewindHistory.h"

namespace {

// Checks that an output file can be written before any emulation is spent,
// so a wrong path fails at once. Nothing is created: the file is written for
// real, whole, at the end.
bool CheckWritable(const std::string& path) {
  if (path.empty()) return true;
  const Result writable = CheckOutputWritable(path);
  if (!writable) std::fprintf(stderr, "tavrin: %s\n", writable.Log().c_str());
  return static_cast<bool>(writable);
}

// Everything about the files of a run that can be checked before it starts:
// the image can be read, its battery file is not the image, no output would
// overwrite the image, its battery file or another output, and the sound
// fits a WAV file.
bool CheckRunFiles(const RunOptions& options, const std::string& image) {
  std::vector<std::uint8_t> bytes;
  std::string entry;
  const std::uint64_t minimum = ImageMinimum(CommandLineConsole(options), image);
  if (Result read = IsArchivePath(image) ? ReadArchiveImage(image, bytes, entry, minimum)
                                         : ReadImageFile(image, bytes, minimum);
      !read) {
    LogPrintf("file error\r\n");
    std::fprintf(stderr, "tavrin: cannot load cartridge image %s\n", read.Log().c_str());
    return false;
  }
  std::string battery;
  std::vector<OutputFile> outputs;
  outputs.push_back(OutputFile{"--screenshot", options.screenshot});
  outputs.push_back(OutputFile{"--audio", options.audio});
  outputs.push_back(OutputFile{"--vgm", options.vgm});
  outputs.push_back(OutputFile{"--save-state", options.saveState});
  outputs.push_back(OutputFile{"--trace", options.trace});
  Result checked = BatteryPathFor(image, battery);
  if (checked) checked = CheckOutputs(image, battery, outputs);
  if (checked && !options.audio.empty()) {
    const Region region = options.region == "eu" ? Region::kExportPal : Region::kExport;
    checked = WavWriter::CheckLength(static_cast<std::uint64_t>(options.frames), TimingOf(region).FramesPerSecond());
  }
  if (!checked) std::fprintf(stderr, "tavrin: %s\n", checked.Log().c_str());
  return static_cast<bool>(checked);
}

long PeakMemoryKilobytes() {
  struct rusage usage;
  return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

// Hands every frame's samples to the WAV file as they are made.
class WavSink final : public SampleSink {
 public:
  explicit WavSink(WavWriter& writer) : wav(writer) {}
  void Samples(const std::int16_t* samples, int count) override {
    if (appended) appended = wav.Append(samples, static_cast<std::size_t>(count));
  }
  Result appended;  // the first failure, after which nothing more is written

 private:
  WavWriter& wav;
};

// Prints a failure the run cannot go on from; returns false for the caller
// to pass on.
bool Complain(const std::string& error) {
  std::fprintf(stderr, "tavrin: %s\n", error.c_str());
  return false;
}

// The same for a step that ends the run with an exit status.
int Complain(const std::string& error, int status) {
  Complain(error);
  return status;
}

// One run without a window, from its checks to its exit status, in the steps
// it takes: open the console and its outputs, run the frames, write what the
// run made.
class HeadlessRun {
 public:
  explicit HeadlessRun(const RunOptions& runOptions) : options(runOptions), wavSink(wav) {}

  int Run() {
    if (!CheckWritable(options.screenshot) || !CheckWritable(options.audio) ||
        !CheckWritable(options.saveState) || !CheckWritable(options.trace)) {
      return 1;
    }
    if (!FindImage() || !CheckRunFiles(options, image)) return 1;
    StartConsole();
    if (const int status = OpenInputsAndOutputs(); status != 0) {
      wav.Abort();
      session->Shutdown();
      return status;
    }
    StartRewind();
    const double seconds = RunFrames();
    const bool ok = WriteOutputs();
    if (options.bench) PrintBench(seconds);
    const int status = !ok ? 1 : stoppedForGood ? kExitAtBreakpoint : programStatus.value_or(0);
    if (server) server->Finish(status);
    return status;
  }

 private:
  // The image asked for, or the demo cartridge when none was.
  bool FindImage() {
    image = options.image;
    demo = image.empty();
    if (!demo) return true;
    const Result installed = InstallDemoImage(image);
    return installed || Complain(installed.Log());
  }

  void StartConsole() {
    display = std::make_unique<HeadlessDisplay>(options.depth, options.rgb565);
    input = std::make_unique<ScriptedInput>(0);
    session = std::make_unique<Session>();
    HostParts host{display.get(), input.get(), &messageBox};
    host.console = CommandLineConsole(options);
    session->input.bannersToLog = true;
    session->Startup(host);
    // Nobody can switch away from a window that does not exist.
    display->active = true;
    session->console.video.spriteLimit = !options.noSpriteLimit;
  }

  // The boot program, peripherals, sound recording, image, saved state, sound
  // log, debugger and debug server, in that order. Returns 0, or the exit
  // status of the first that fails.
  int OpenInputsAndOutputs() {
    if (const Result applied = ApplyConsoleOptions(options, session->console); !applied) {
      std::fprintf(stderr, "tavrin: cannot use the boot program: %s\n", applied.Log().c_str());
      return 1;
    }
    for (int port = 0; port < 2; ++port) session->console.SetPeripheral(port, options.port[port]);
    session->console.SetGlassesView(options.glassesView);
    if (!options.audio.empty()) {
      if (const Result opened = wav.Open(options.audio); !opened) return Complain(opened.Log(), 1);
      session->sound = &wavSink;
    }
    if (!session->LoadAndReset(image.c_str())) {
      std::fprintf(stderr, "tavrin: cannot load cartridge image '%s'\n", image.c_str());
      return 1;
    }
    if (!options.loadState.empty()) {
      if (const Result read = ReadStateFile(options.loadState, session->console); !read) {
        std::fprintf(stderr, "tavrin: cannot load state '%s': %s\n", options.loadState.c_str(), read.Log().c_str());
        return 1;
      }
    }
    if (!options.vgm.empty()) {
      if (const Result started = session->StartSoundLog(options.vgm); !started) return Complain(started.Log(), 1);
    }
    // Breakpoints and the trace run on the debugger's interpreter; without
    // them the frames take the plain one.
    if (DebugSession::Wanted(options)) {
      if (const Result started = debug.Start(options, image, demo, session->console); !started) {
        return Complain(started.Log(), 2);
      }
    }
    return StartDebugServer() ? 0 : 2;
  }

  // An editor's debugger over the Debug Adapter Protocol: the run waits for
  // its client to set its breakpoints before the first frame.
  bool StartDebugServer() {
    if (options.debugServer < 0) return true;
    server = std::make_unique<DapServer>(session->console, *debug.GetDebugger(), debug.Lines(), debug.SourceFolder());
    if (const Result listening = server->Listen(options.debugServer); !listening) return Complain(listening.Log());
    std::fprintf(stderr, "tavrin: debug server on 127.0.0.1:%d, waiting for a client\n", server->Port());
    while (server->WaitingForStart()) server->Poll(100);
    return true;
  }

  // The rewind history a desktop player would have: a snapshot a frame.
  void StartRewind() {
    if (options.rewindSeconds <= 0) return;
    history = std::make_unique<RewindHistory>(kRewindBudgetBytes);
    snapshot.resize(StateSize(session->console));
  }

  // What the program printed on the debug console, as it comes (and to the
  // debugger's client before it hears of a stop).
  void PassOnPrinted() {
    SdscConsole& sdsc = session->console.sdsc;
    if (sdsc.Text().empty()) return;
    std::fwrite(sdsc.Text().data(), 1, sdsc.Text().size(), stdout);
    std::fflush(stdout);
    if (server) server->Output(sdsc.Text());
    sdsc.ClearText();
  }

  // Runs the frames until the last, a stop for good, a failed trace or the
  // program's exit status. Returns the seconds they took.
  double RunFrames() {
    const auto started = std::chrono::steady_clock::now();
    for (int frame = 0; frame < options.frames; ++frame) {
      input->ReleaseAll();
      for (std::uint8_t code : options.input.KeysAt(frame)) input->SetKey(code, true);
      for (int port = 0; port < 2; ++port) session->input.pointer[port] = options.input.PointerAt(port, frame);
      // Only the last frame is ever looked at: the others are not converted.
      session->present = frame == options.frames - 1;
      session->RunFrame();
      ResumeFromStops();
      PassOnPrinted();
      const SdscConsole& sdsc = session->console.sdsc;
      if (server) server->Poll(0);
      if (stoppedForGood || debug.TraceFailed()) break;
      // A test program ends the run by writing its status to the debug console.
      if (sdsc.ExitStatus()) {
        programStatus = *sdsc.ExitStatus();
        break;
      }
      if (history) TakeSnapshot();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  }

  // A stop the debugger's client or the debugger goes on from finishes the
  // frame; any other stop is for good (--on-break exit).
  void ResumeFromStops() {
    while (session->console.Stopped() && !stoppedForGood) {
      PassOnPrinted();
      if (server && server->NoteStop()) {
        while (server->Holding()) server->Poll(100);
        session->RunFrame();
      } else if (debug.Stopped()) {
        session->RunFrame();
      } else {
        stoppedForGood = true;
      }
    }
  }

  void TakeSnapshot() {
    const auto before = std::chrono::steady_clock::now();
    if (RefreshState(session->console, snapshot.data(), snapshot.size(), snapshotWhole, changed) ==
        StateError::None) {
      history->Push(snapshot, changed);
      snapshotWhole = false;
    } else {
      snapshotWhole = true;
    }
    snapshotSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
  }

  // The saved state, sound log, battery save, trace, screenshot and sound
  // recording; false when any of them failed.
  bool WriteOutputs() {
    bool ok = true;
    if (!options.saveState.empty()) {
      if (const Result written = WriteStateFile(options.saveState, session->console); !written) {
        std::fprintf(stderr, "tavrin: cannot save state '%s': %s\n", options.saveState.c_str(), written.Log().c_str());
        ok = false;
      }
    }
    if (!options.vgm.empty()) {
      if (const Result stopped = session->StopSoundLog(); !stopped) ok = Complain(stopped.Log());
    }
    session->Shutdown();
    // A battery save the run owed and could not make is a failed run.
    if (session->saveFailed) ok = false;
    if (const Result finished = debug.Finish(); !finished) ok = Complain(finished.Log());
    const PictureRect visible = VisiblePicture(session->console.GameGear());
    if (!options.screenshot.empty()) {
      if (const Result written = WriteScreenshot(*display, options.screenshot, options.crop ? &visible : nullptr);
          !written) {
        ok = Complain(written.Log());
      }
    }
    if (!options.audio.empty()) {
      Result recorded = wavSink.appended;
      if (recorded) recorded = wav.Finish();
      if (!recorded) {
        wav.Abort();
        ok = Complain(recorded.Log());
      }
    }
    return ok;
  }

  void PrintBench(double seconds) const {
    const double fps = seconds > 0 ? options.frames / seconds : 0;
    std::printf("%d frames in %.3f s: %.0f frames per second (%.1f times real speed), peak memory %ld KB\n",
                options.frames, seconds, fps, fps / session->console.timing.FramesPerSecond(), PeakMemoryKilobytes());
    if (!history) return;
    const double kept = std::min(static_cast<double>(options.rewindSeconds),
                                 history->SecondsKept(session->console.timing.FramesPerSecond()));
    std::printf("rewind: %.1f s kept in %.1f MB, snapshots %.1f%% of run time\n", kept,
                static_cast<double>(history->BytesUsed()) / (1024.0 * 1024.0),
                seconds > 0 ? 100.0 * snapshotSeconds / seconds : 0.0);
  }

  const RunOptions& options;
  std::string image;
  bool demo = false;
  HeadlessMessageBox messageBox;
  std::unique_ptr<HeadlessDisplay> display;
  std::unique_ptr<ScriptedInput> input;
  std::unique_ptr<Session> session;
  WavWriter wav;
  WavSink wavSink;
  DebugSession debug;
  std::unique_ptr<DapServer> server;
  std::unique_ptr<RewindHistory> history;
  std::vector<std::uint8_t> snapshot;
  StateRanges changed;
  bool snapshotWhole = true;  // the snapshot buffer holds nothing yet
  double snapshotSeconds = 0;
  std::optional<int> programStatus;
  bool stoppedForGood = false;  // --on-break exit
};

}  // namespace

int RunHeadless(const RunOptions& options) { return HeadlessRun(options).Run(); }
