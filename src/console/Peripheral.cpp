// The peripherals beside the control pad, as the lines of a controller port
// see them.
#include "console/Peripheral.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kNames[kPeripheralCount] = {"pad", "lightgun", "paddle", "sportspad", "glasses"};

constexpr std::uint8_t kLineTl = 0x10;
constexpr std::uint8_t kLineTr = 0x20;

std::int8_t ClampMotion(int motion) { return static_cast<std::int8_t>(std::clamp(motion, -128, 127)); }

}  // namespace

const char* PeripheralName(Peripheral peripheral) {
  const int index = static_cast<int>(peripheral);
  return index >= 0 && index < kPeripheralCount ? kNames[index] : "pad";
}

bool PeripheralFromName(const char* name, Peripheral& peripheral) {
  if (name == nullptr) return false;
  for (int index = 0; index < kPeripheralCount; ++index) {
    if (std::strcmp(name, kNames[index]) == 0) {
      peripheral = static_cast<Peripheral>(index);
      return true;
    }
  }
  return false;
}

std::uint8_t PortDevice::DataLines() const {
  switch (kind) {
    case Peripheral::kPad:
      return padLines;
    case Peripheral::kLightGun:
      // Only the trigger: the direction lines and TR are left high.
      return static_cast<std::uint8_t>(pointer.button1 ? 0x3F & ~kLineTl : 0x3F);
    case Peripheral::kPaddle: {
      // The nibble on the four direction lines, as it is (not inverted); TR
      // says which nibble it is, TL is the button.
      const std::uint8_t nibble = paddleHigh ? paddleValue >> 4 : paddleValue & 0x0F;
      return static_cast<std::uint8_t>(nibble | (pointer.button1 ? 0 : kLineTl) | (paddleHigh ? kLineTr : 0));
    }
    case Peripheral::kSportsPad: {
      const std::uint8_t value = static_cast<std::uint8_t>(sportsStep < 2 ? sportsX : sportsY);
      const std::uint8_t nibble = (sportsStep & 1) ? value & 0x0F : value >> 4;
      return static_cast<std::uint8_t>(nibble | (pointer.button1 ? 0 : kLineTl) | (pointer.button2 ? 0 : kLineTr));
    }
    case Peripheral::kGlasses:
      break;
  }
  return 0x3F;
}

void PortDevice::Latch(std::uint8_t pad, const PointerInput& frame) {
  padLines = static_cast<std::uint8_t>(~pad & 0x3F);
  pointer = frame;
  // The paddle turns through its whole travel across the picture's width.
  if (frame.x >= 0) paddleValue = static_cast<std::uint8_t>(std::clamp(frame.x, 0, 255));
  sportsGatheredX = std::clamp(sportsGatheredX + frame.dx, -128, 127);
  sportsGatheredY = std::clamp(sportsGatheredY + frame.dy, -128, 127);
  // A sports pad program reads once a frame at most: with TH back high, a
  // sequence left unfinished starts over with the next fall of TH.
  if (thOutputHigh) sportsStep = 3;
}

void PortDevice::DriveTh(bool high) {
  if (high == thOutputHigh) return;
  thOutputHigh = high;
  sportsStep = static_cast<std::uint8_t>((sportsStep + 1) & 3);
  if (sportsStep == 0) {
    // The first step of a read takes the motion gathered since the last one.
    // Unverified: the sign the pad gives; here right and down count up.
    sportsX = ClampMotion(sportsGatheredX);
    sportsY = ClampMotion(sportsGatheredY);
    sportsGatheredX = 0;
    sportsGatheredY = 0;
  }
}
