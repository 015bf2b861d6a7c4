#pragma once

#include <cstdint>

// A free-running millisecond counter that wraps at 2^32, like a multimedia
// timer. The frame-rate figure measures with it. Tests (or a host) may put a
// clock of their own in its place.
using MillisecondClock = std::uint32_t (*)();

// Installs a clock; nullptr restores the steady system clock.
void SetMillisecondClock(MillisecondClock clock);

std::uint32_t MillisecondsNow();
