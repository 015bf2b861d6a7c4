#pragma once

#include <cstdint>

// A free-running millisecond counter that wraps at 2^32, like a multimedia
// timer: notes on the picture are timed with it. Whoever reads the time holds
// one of these (the presenter does), so a test can hand it a clock of its own.
using MillisecondClock = std::uint32_t (*)();

// The steady system clock in milliseconds.
std::uint32_t SteadyMilliseconds();
