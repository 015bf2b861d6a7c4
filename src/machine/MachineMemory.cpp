#include <cstring>

#include "debug/DebugConsole.h"
#include "machine/AppFlags.h"
#include "machine/Machine.h"
#include "sound/SoundOutput.h"

std::int32_t cartridgeLoaded = 0;
std::int32_t running = 0;

int Machine::Create(Display* display, InputSource* inputSource) {
  trapBadOps = 1;
  exportConsole = 1;
  LogPrintf("  Allocating RAM\n");
  userRam[0] = userRamStore[0];
  userRam[1] = userRamStore[1];
  std::memset(userRamStore, 0xFF, sizeof userRamStore);
  // Until a cartridge is mapped every slot points at memory that exists, so a
  // stray access before the first load can never follow an empty reference.
  for (int slot = 0; slot < 3; ++slot) {
    readPage[slot] = writeSink;
    writePage[slot] = writeSink;
  }
  readPage[3] = writePage[3] = systemRam;
  slotTwoRom = writeSink;
  video.Create(display);
  return input.Init(inputSource) ? 1 : 0;
}

void Machine::Destroy() {
  if (userRamDirty) SaveUserRam();
  video.Destroy();
  input.Shutdown();
  for (auto& page : romPage) page = nullptr;
  romData.reset();
  pageCount = 0;
}

void Machine::Reset() {
  userRamSavePending = 0;
  std::memset(slotZeroCopy, 0xFF, sizeof slotZeroCopy);
  std::memset(writeSink, 0xFF, sizeof writeSink);
  std::memset(systemRam, 0xFF, sizeof systemRam);
  cyclesPerLine = kCyclesPerLine;
  if (cartridgeLoaded && pageCount > 0) {
    std::memcpy(slotZeroCopy, romPage[0], kPageSize);
    readPage[0] = slotZeroCopy;
    readPage[1] = romPage[Bank(1)];
    writePage[0] = writePage[1] = writePage[2] = writeSink;
    systemRam[0x1FFD] = 0;
    systemRam[0x1FFE] = 1;
    systemRam[0x1FFF] = 0;
    readPage[2] = slotTwoRom = romPage[0];
    readPage[3] = writePage[3] = systemRam;
  }
  Z80Core::Reset();
  video.Reset();
  psg.Reset(SoundChannelUpdate);
  psg.Flush(FlushKeep);
}

int Machine::Bank(std::uint8_t value) const {
  // A bank below the page count selects that page. The mask is the next
  // power of two's, so with a page count that is no power of two the larger
  // bank numbers wrap onto the pages that exist.
  int bank = value & pageMask;
  return pageCount > 0 ? bank % pageCount : 0;
}

std::uint8_t Machine::ReadMem(std::uint16_t address) {
  if (address < 0xE000) return readPage[address >> 14][address & 0x3FFF];
  return systemRam[address - 0xE000];
}

void Machine::WriteMem(std::uint16_t address, std::uint8_t value) {
  if (address < 0xE000) {
    writePage[address >> 14][address & 0x3FFF] = value;
    return;
  }
  if (address >= 0xFFFC) {
    WriteMapper(address, value);
    return;
  }
  systemRam[address - 0xE000] = value;
}

void Machine::WriteMapper(std::uint16_t address, std::uint8_t value) {
  if (pageCount == 0) {
    // No cartridge: the registers are plain RAM.
    systemRam[address - 0xE000] = value;
    return;
  }
  switch (address) {
    case 0xFFFC:
      if (value & 0x08) {
        userRamSavePending = 0;
        userRamDirty = true;
        std::uint8_t* page = (value & 0x04) ? userRam[0] : userRam[1];
        readPage[2] = writePage[2] = page;
      } else {
        // Switching the RAM out is the cartridge's way of saying the save is
        // complete: the frame driver writes the battery file at frame end.
        if (readPage[2] == userRam[0] || readPage[2] == userRam[1]) userRamSavePending = 1;
        readPage[2] = slotTwoRom;
        writePage[2] = writeSink;
      }
      systemRam[0x1FFC] = value;
      break;
    case 0xFFFD: {
      // Slot 0 keeps ROM page 0's first 1 KB (the interrupt vectors) whatever
      // bank is selected, so the rest of the bank is copied behind it.
      int bank = Bank(value);
      std::memcpy(slotZeroCopy + 0x400, romPage[bank] + 0x400, kPageSize - 0x400);
      systemRam[0x1FFD] = static_cast<std::uint8_t>(value & pageMask);
      break;
    }
    case 0xFFFE:
      readPage[1] = romPage[Bank(value)];
      systemRam[0x1FFE] = static_cast<std::uint8_t>(value & pageMask);
      break;
    default:  // 0xFFFF
      slotTwoRom = readPage[2] = romPage[Bank(value)];
      systemRam[0x1FFF] = static_cast<std::uint8_t>(value & pageMask);
      break;
  }
}

void Machine::Patch() {}
