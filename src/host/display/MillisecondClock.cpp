#include "host/display/MillisecondClock.h"

#include <chrono>

namespace {

std::uint32_t SteadyMilliseconds() {
  auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
  return static_cast<std::uint32_t>(ms);
}

MillisecondClock installedClock = &SteadyMilliseconds;

}  // namespace

void SetMillisecondClock(MillisecondClock clock) { installedClock = clock ? clock : &SteadyMilliseconds; }

std::uint32_t MillisecondsNow() { return installedClock(); }
