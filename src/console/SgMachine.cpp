// The SG-1000 and the SC-3000: the same processor, sound chip and (in its
// older modes) video chip as the Master System, on a simpler board. The
// cartridge fills 0x0000-0xBFFF (up to 48 KB without a mapper; larger images
// on the Sega board), the work RAM (1 KB, 2 KB on the SC-3000) repeats through
// 0xC000-0xFFFF, and some cartridges add 8 KB of RAM at 0x2000 or 0x8000.
// Ports are decoded by address lines 6 and 7 alone: 0x40-0x7F the sound
// chip, 0x80-0xBF the video chip (even data, odd control), 0xC0-0xFF the pads
// (even 0xDC, odd 0xDD) or, on the SC-3000, its 8255 (lines 0-1 choose the
// chip's port A, B, C or control word), which scans the keyboard.
#include <cstring>

#include "console/Console.h"

namespace {

struct KindNames {
  ConsoleKind kind;
  const char* name;
  const char* title;
};

constexpr KindNames kKindNames[] = {
    {ConsoleKind::kFromImage, "auto", "the image's console"},
    {ConsoleKind::kMasterSystem, "sms", "Master System"},
    {ConsoleKind::kGameGear, "gg", "Game Gear"},
    {ConsoleKind::kSg1000, "sg", "SG-1000"},
    {ConsoleKind::kSc3000, "sc", "SC-3000"},
};

bool SameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == 0 && *b == 0;
}

constexpr const char* kRamNames[] = {"auto", "none", "2000", "8000"};

// The ports 0xDC and 0xDD read at row 7: the two pads' lines, active low,
// as the Master System's pad ports give them; port B's upper lines read high.
constexpr std::uint8_t kPpiPortBHigh = 0xF0;

}  // namespace

const char* ConsoleKindName(ConsoleKind kind) {
  for (const KindNames& k : kKindNames) {
    if (k.kind == kind) return k.name;
  }
  return "auto";
}

const char* ConsoleKindTitle(ConsoleKind kind) {
  for (const KindNames& k : kKindNames) {
    if (k.kind == kind) return k.title;
  }
  return "Master System";
}

bool ConsoleKindFromName(const char* name, ConsoleKind& kind) {
  if (name == nullptr) return false;
  for (const KindNames& k : kKindNames) {
    if (SameName(name, k.name)) {
      kind = k.kind;
      return true;
    }
  }
  return false;
}

ConsoleKind ConsoleKindOfName(const char* name) {
  if (name == nullptr) return ConsoleKind::kMasterSystem;
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr) return ConsoleKind::kMasterSystem;
  if (SameName(dot, ".gg")) return ConsoleKind::kGameGear;
  if (SameName(dot, ".sg")) return ConsoleKind::kSg1000;
  if (SameName(dot, ".sc")) return ConsoleKind::kSc3000;
  return ConsoleKind::kMasterSystem;
}

const char* SgCartridgeRamName(SgCartridgeRam ram) { return kRamNames[static_cast<int>(ram) & 3]; }

bool SgCartridgeRamFromName(const char* name, SgCartridgeRam& ram) {
  if (name == nullptr) return false;
  for (int k = 0; k < 4; ++k) {
    if (SameName(name, kRamNames[k])) {
      ram = static_cast<SgCartridgeRam>(k);
      return true;
    }
  }
  return false;
}

void Console::RemapSg() {
  // Reads of the work RAM are direct; its writes take the slow path, which
  // writes every copy.
  readPage[6] = readPage[7] = systemRam;
  writePage[6] = writePage[7] = nullptr;
  biosShown = false;
  cartridgeShown = cartridge.Loaded();
  if (cartridgeShown) {
    cartridge.Map(readPage, writePage);
  } else {
    for (int k = 0; k < Cartridge::kPieces; ++k) {
      readPage[k] = openBus;
      writePage[k] = nullptr;
    }
  }
  if (sgRamAt == 0x20) {
    readPage[1] = writePage[1] = cartridge.ram;
  } else if (sgRamAt == 0x80) {
    readPage[4] = writePage[4] = cartridge.ram;
    readPage[5] = writePage[5] = cartridge.ram;
  }
}

void Console::MirrorSgRam() {
  if (!SgFamily()) return;
  const int size = SgRamSize();
  for (int at = size; at < kSystemRamSize; at += size) std::memcpy(systemRam + at, systemRam, static_cast<std::size_t>(size));
}

void Console::WriteSlowSg(std::uint16_t address, std::uint8_t value) {
  if (address < 0xC000) {
    if (!cartridgeShown) return;
    if (!sgRamSettled) {
      // The first write to a part of the map the image leaves free places
      // the cartridge's extra RAM there.
      const int piece = address >> 13;
      if ((piece == 1 && sgRamMay2000) || ((piece == 4 || piece == 5) && sgRamMay8000)) {
        sgRamAt = piece == 1 ? 0x20 : 0x80;
        sgRamSettled = true;
        log.Printf("Cartridge RAM at %04X\n", sgRamAt << 8);
        Remap();
        WriteMem(address, value);
        return;
      }
    }
    WriteBoard(address, value);
    return;
  }
  const int size = SgRamSize();
  for (int at = address & (size - 1); at < kSystemRamSize; at += size) systemRam[at] = value;
  systemRamWritten = 0xFF;
  // A Sega board (an image over 48 KB) listens at 0xFFFC-0xFFFF as on the
  // Master System; the RAM behind keeps the bytes written.
  if (address >= 0xFFFC && cartridge.CurrentBoard() == Board::Sega) {
    WriteBoard(address, value);
  }
}

void Console::OutPortSg(std::uint8_t port, std::uint8_t value) {
  switch (port & 0xC0) {
    case 0x40:
      psg.Write(CyclesIntoFrame(), value);
      if (soundLog) [[unlikely]] NoteSoundWrite(0, 0, value);
      return;
    case 0x80:
      if (port & 1) {
        video.WriteControl(value);
      } else {
        video.WriteData(value);
      }
      return;
    case 0xC0:
      // The homebrew debug console answers here too: the SG-1000 has nothing
      // at 0xFC and 0xFD, and the SC-3000's 8255 ignores writes to its input
      // ports A and B, which they mirror.
      if (port == 0xFC) {
        sdsc.Control(value);
      } else if (port == 0xFD) {
        sdsc.Data(value, *this);
      } else if (running == ConsoleKind::kSc3000) {
        WritePpi(port & 3, value);
      }
      return;
    default:
      return;  // nothing answers at 0x00-0x3F
  }
}

std::uint8_t Console::InPortSg(std::uint8_t port) {
  switch (port & 0xC0) {
    case 0x80:
      return (port & 1) ? video.ReadStatus() : video.ReadData();
    case 0xC0:
      if (running == ConsoleKind::kSc3000) return ReadPpi(port & 3);
      return (port & 1) ? ReadPpi(1) : ReadPpi(0);
    default:
      return 0xFF;  // the sound chip cannot be read; nothing else answers
  }
}

std::uint8_t Console::ReadPpi(int port) {
  // With port C's low half an input (as at power-on), the row lines float
  // high: row 7, the pads, which is what SG-1000 programs read.
  const int row = (ppiControl & 0x01) || running != ConsoleKind::kSc3000 ? 7 : ppiPortC & 7;
  switch (port) {
    case 0:
      if (row == 7) return ReadPortDC();
      return static_cast<std::uint8_t>(~keyRows[row] & 0xFF);
    case 1:
      if (row == 7) return static_cast<std::uint8_t>(kPpiPortBHigh | ((device[1].DataLines() >> 2) & 0x0F));
      return static_cast<std::uint8_t>(kPpiPortBHigh | (~keyRows[row] >> 8 & 0x0F));
    case 2:
      return ppiPortC;
    default:
      return 0xFF;  // the control word cannot be read back
  }
}

void Console::WritePpi(int port, std::uint8_t value) {
  if (port == 2) {
    ppiPortC = value;
  } else if (port == 3) {
    if (value & 0x80) {
      // A mode word: the outputs start at 0.
      ppiControl = value;
      ppiPortC = 0;
    } else {
      // Sets or clears one bit of port C.
      const std::uint8_t bit = static_cast<std::uint8_t>(1u << ((value >> 1) & 7));
      ppiPortC = static_cast<std::uint8_t>((value & 1) ? ppiPortC | bit : ppiPortC & ~bit);
    }
  }
  // Ports A and B are the keyboard's inputs: writes to them change nothing.
}
