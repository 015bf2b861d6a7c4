#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "input/JoyStick.h"
#include "sound/PSG.h"
#include "video/Video.h"
#include "z80/Z80Core.h"

class Display;
class InputSource;

// The console as one object: the processor, the console's memories, the
// cartridge's ROM pages and battery-backed RAM, the bank-switching mapper,
// and the video, sound and input parts. It overrides the processor's hooks:
// memory map, port map and the per-scanline step.
class Machine final : public Z80Core {
 public:
  static constexpr int kPageSize = 0x4000;
  static constexpr int kMaxPages = 64;
  static constexpr int kSystemRamSize = 0x2000;
  static constexpr int kUserRamSize = 2 * kPageSize;  // the battery RAM file
  static constexpr int kPathCapacity = 260;           // fileName, terminator included
  static constexpr int kCyclesPerLine = 228;

  // Builds memories, video (on the host's display) and input (on the host's
  // devices). Returns the input part's set-up result.
  int Create(Display* display, InputSource* inputSource);
  // Saves cartridge RAM that was mapped for writing since the last save, then
  // releases video, input and the cartridge.
  void Destroy();
  void Reset();

  void WriteMem(std::uint16_t address, std::uint8_t value) override;
  std::uint8_t ReadMem(std::uint16_t address) override;
  void OutPort(std::uint16_t port, std::uint8_t value) override;
  std::uint8_t InPort(std::uint16_t port) override;
  void Patch() override;
  std::uint16_t Loop() override;

  // Runs one scanline: the processor's Run with the hooks above bound
  // statically, which is what the idle loop calls.
  void RunLine();

  // Reads a cartridge image. False, with a log line and nothing changed, when
  // the image cannot be used.
  bool LoadCart(const char* path);
  // Writes both cartridge RAM pages to the image's battery RAM file, through
  // a temporary file renamed over the old one only when complete.
  void SaveUserRam();

  // Processor cycles run since the machine was built, the current line
  // included; it never goes back, so emulated-time consumers can follow it.
  std::uint64_t EmulatedCycles() const {
    return linesRun * kCyclesPerLine + static_cast<std::uint64_t>(cyclesPerLine - cyclesLeft);
  }

  JoyStick input;
  Video video;
  PSG psg;
  char fileName[kPathCapacity] = {};  // image whose battery RAM file is in use
  std::uint8_t userRamSavePending = 0;
  std::uint8_t exportConsole = 0;
  std::uint8_t* readPage[4] = {};
  std::uint8_t* writePage[4] = {};
  std::uint8_t* romPage[kMaxPages] = {};
  std::int32_t pageCount = 0;
  std::uint8_t pageMask = 0;
  std::uint8_t* userRam[2] = {};
  std::uint8_t* slotTwoRom = nullptr;
  std::uint8_t writeSink[kPageSize] = {};
  std::uint8_t systemRam[kSystemRamSize] = {};
  std::uint8_t slotZeroCopy[kPageSize] = {};

  // Cartridge RAM was mapped for writing since it was last saved: it is saved
  // again before the image is replaced and when the machine is destroyed.
  bool userRamDirty = false;
  // The battery RAM file exists but could not be read; it is never written
  // over, so a save the player cannot see is never lost to an empty one.
  bool userRamFileLocked = false;

 private:
  // The bank a mapper register value selects: masked, and folded onto the
  // pages that exist.
  int Bank(std::uint8_t value) const;
  void WriteMapper(std::uint16_t address, std::uint8_t value);
  void SetNationalisation(std::uint8_t value);

  std::uint8_t userRamStore[2][kPageSize] = {};
  std::unique_ptr<std::uint8_t[]> romData;  // pageCount pages, back to back
  std::uint64_t linesRun = 0;  // Loop calls since the machine was built
};
