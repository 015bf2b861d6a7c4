// Save-state cost on the built-in demo: the state's size, and the time to save
// and to load one, median of five runs of many; then the rewind history's cost
// per frame against a frame's emulation, two ways: a state saved whole and
// pushed whole, and a state refreshed where the console's memories changed
// and pushed with those ranges (what the desktop and the headless runner do).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "DemoCartridge.h"
#include "console/Console.h"
#include "console/SaveState.h"
#include "host/files/StateFile.h"
#include "host/rewind/RewindHistory.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  auto console = std::make_unique<Console>();
  if (!console->LoadCartridge(DemoCartridgeData(), DemoCartridgeSize(), "demo.sms")) return 1;
  console->Reset();
  FrameInput input;
  for (int n = 0; n < 300; ++n) console->RunFrame(input);
  std::vector<std::uint8_t> state(StateSize(*console));

  constexpr int kRuns = 5;
  constexpr int kCount = 5000;
  std::vector<double> save, load, frame, snapshot, refreshed;
  StateRanges changed;
  for (int r = 0; r < kRuns; ++r) {
    auto start = Clock::now();
    for (int n = 0; n < kCount; ++n) SaveState(*console, state.data(), state.size());
    save.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kCount);
    start = Clock::now();
    for (int n = 0; n < kCount; ++n) LoadState(*console, state.data(), state.size());
    load.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kCount);

    // A minute of play with the history, frame by frame, each way.
    double emulate = 0;
    for (bool whole : {true, false}) {
      RewindHistory history(kRewindBudgetBytes);
      double keep = 0;
      for (int n = 0; n < 3600; ++n) {
        input.pad[0] = static_cast<std::uint8_t>((n / 30) & 0x0F);
        const auto before = Clock::now();
        console->RunFrame(input);
        const auto between = Clock::now();
        if (whole) {
          SaveState(*console, state.data(), state.size());
          history.Push(state);
        } else {
          RefreshState(*console, state.data(), state.size(), n == 0, changed);
          history.Push(state, changed);
        }
        emulate += std::chrono::duration<double, std::micro>(between - before).count();
        keep += std::chrono::duration<double, std::micro>(Clock::now() - between).count();
      }
      (whole ? snapshot : refreshed).push_back(keep / 3600);
    }
    frame.push_back(emulate / 7200);
    std::printf("run %d: save %.2f us, load %.2f us, frame %.1f us, snapshot whole %.2f us, refreshed %.2f us\n",
                r + 1, save.back(), load.back(), frame.back(), snapshot.back(), refreshed.back());
  }
  std::printf("state %zu bytes: save median %.2f us, load median %.2f us; rewind snapshot saved whole %.2f us = "
              "%.1f%%, refreshed %.2f us = %.1f%% of a frame's emulation (%.1f us)\n",
              state.size(), Median(save), Median(load), Median(snapshot), 100.0 * Median(snapshot) / Median(frame),
              Median(refreshed), 100.0 * Median(refreshed) / Median(frame), Median(frame));
  return 0;
}
