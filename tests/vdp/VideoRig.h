#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "vdp/Video.h"
#include "vdp/VideoStep.h"

// A video chip after reset, with helpers that drive it through its ports
// the way a cartridge would.
struct VideoRig {
  VideoRig() : video(std::make_unique<Video>()) { video->Reset(); }

  void SetRegister(int reg, std::uint8_t value) {
    video->WriteControl(value);
    video->WriteControl(static_cast<std::uint8_t>(0x80 | reg));
  }
  void SetAddress(int code, std::uint16_t address) {
    video->WriteControl(static_cast<std::uint8_t>(address & 0xFF));
    video->WriteControl(static_cast<std::uint8_t>((code << 6) | ((address >> 8) & 0x3F)));
  }
  void WriteColour(int address, std::uint8_t value) {
    SetAddress(3, static_cast<std::uint16_t>(address));
    video->WriteData(value);
  }
  void WriteVram(int address, std::uint8_t value) {
    SetAddress(1, static_cast<std::uint16_t>(address));
    video->WriteData(value);
  }
  // Steps until the step that finishes the given line has run.
  std::uint16_t StepTo(int line) {
    std::uint16_t request = 0xFFFF;
    do request = video->StepLine();
    while (video->line != line);
    return request;
  }

  std::unique_ptr<Video> video;
};

// Encodes eight colours 0-15 as one pattern row of four bit planes.
inline void PutPatternRow(std::uint8_t* vram, int address, const std::array<std::uint8_t, 8>& pixels) {
  for (int plane = 0; plane < 4; ++plane) {
    std::uint8_t bits = 0;
    for (int i = 0; i < 8; ++i) {
      if (pixels[i] & (1 << plane)) bits |= static_cast<std::uint8_t>(0x80 >> i);
    }
    vram[(address + plane) & 0x3FFF] = bits;
  }
}
