#include "host/clock/MillisecondClock.h"

#include <chrono>

std::uint32_t SteadyMilliseconds() {
  auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
  return static_cast<std::uint32_t>(ms);
}
