// Pushes a synthetic game's save states into a 32 MB rewind history, one per
// frame, then pops them back, and prints the cost of a push and a pop, the
// bytes one snapshot takes and how many seconds of play the budget holds.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "SyntheticConsoleStates.h"
#include "host/rewind/RewindHistory.h"

namespace {

constexpr double kFps = 59.92;
constexpr std::size_t kBudget = 32u << 20;

struct Spread {
  double median, p99, max;
};

Spread Measure(std::vector<double>& micros) {
  std::sort(micros.begin(), micros.end());
  return {micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back()};
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  SyntheticConsoleStates game;
  RewindHistory history(kBudget);
  const int frames = 45000;  // well past the budget, so eviction runs too

  std::vector<double> pushes;
  pushes.reserve(frames);
  std::size_t bytesAtMinute = 0;
  const int minute = static_cast<int>(60 * kFps);
  for (int f = 0; f < frames; ++f) {
    const auto state = game.Next();
    const auto start = std::chrono::steady_clock::now();
    history.Push(state);
    pushes.push_back(Since(start));
    if (f + 1 == minute) bytesAtMinute = history.BytesUsed();
  }
  const std::size_t kept = history.Count();
  const double perSnapshot = static_cast<double>(history.BytesUsed() - SyntheticConsoleStates::kSize) /
                             static_cast<double>(kept - 1);
  const double seconds = history.SecondsKept(kFps);

  // A frame where nothing changed: the compare pass alone.
  RewindHistory still(kBudget);
  std::vector<double> unchanged;
  for (int f = 0; f < 2000; ++f) {
    const auto start = std::chrono::steady_clock::now();
    still.Push(game.Current());
    unchanged.push_back(Since(start));
  }

  // What a plain copy of the state costs, for scale.
  std::vector<std::uint8_t> copy(SyntheticConsoleStates::kSize);
  std::vector<double> copies;
  for (int f = 0; f < 2000; ++f) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(copy.data(), game.Current().data(), copy.size());
    copies.push_back(Since(start));
    asm volatile("" : : "r"(copy.data()) : "memory");
  }

  std::vector<std::uint8_t> state;
  std::vector<double> pops;
  pops.reserve(kept);
  for (;;) {
    const auto start = std::chrono::steady_clock::now();
    if (!history.Pop(state)) break;
    pops.push_back(Since(start));
  }

  const Spread push = Measure(pushes), still0 = Measure(unchanged), pop = Measure(pops), cp = Measure(copies);
  std::printf("state %zu bytes, budget %zu bytes, %d frames pushed\n", SyntheticConsoleStates::kSize, kBudget, frames);
  std::printf("push (game frame)    median %.2f us, p99 %.2f us, max %.2f us\n", push.median, push.p99, push.max);
  std::printf("push (no change)     median %.2f us\n", still0.median);
  std::printf("memcpy of the state  median %.2f us\n", cp.median);
  std::printf("pop                  median %.2f us, p99 %.2f us, max %.2f us\n", pop.median, pop.p99, pop.max);
  std::printf("after 60 s: %zu bytes used\n", bytesAtMinute);
  std::printf("bytes per snapshot %.0f, %zu snapshots kept = %.1f s at %.2f fps in 32 MB\n", perSnapshot, kept,
              seconds, kFps);
  return 0;
}
