// The console's memory map: system RAM, the cartridge slots and the mapper
// registers at 0xFFFC-0xFFFF; loading an image and the console's reset.
#include <cstring>

#include "console/Console.h"

namespace {

// A Game Gear image is named *.gg in any mix of case.
bool IsGameGearName(const char* name) {
  const std::size_t length = std::strlen(name);
  if (length < 3 || name[length - 3] != '.') return false;
  auto isG = [](char c) { return c == 'g' || c == 'G'; };
  return isG(name[length - 2]) && isG(name[length - 1]);
}

void LogRegion(const Logger& log, std::uint8_t code) {
  switch (code & 0xF0) {
    case 0x50: log.Printf("Japan\n"); break;
    case 0x60: log.Printf("Japan/USA/Europe\n"); break;
    case 0x70: log.Printf("USA/Europe\n"); break;
    default: log.Printf("Unknown: %02X\n", code & 0xF0); break;
  }
}

}  // namespace

Console::Console(const Timing& consoleTiming) : timing(consoleTiming) {
  cpu.trapBadOps = 1;
  cpu.cyclesPerLine = timing.cyclesPerLine;
  video.SetTiming(timing);
  psg.SetClock(timing.clockHz);
  std::memset(cartridge.ram, 0xFF, sizeof cartridge.ram);
  std::memset(writeSink, 0xFF, sizeof writeSink);
  std::memset(systemRam, 0xFF, sizeof systemRam);
  Remap();
  Reset();
}

void Console::SetLogger(const Logger& logger) {
  log = logger;
  cpu.log = logger;
}

void Console::Create() {
  log.Printf("  Allocating RAM\n");
  std::memset(cartridge.ram, 0xFF, sizeof cartridge.ram);
}

bool Console::LoadCartridge(const std::uint8_t* bytes, std::size_t size, const char* name) {
  if (name == nullptr) name = "";
  if (!cartridge.Load(bytes, size, log)) return false;
  log.Printf("Loaded %s, %d pages.\r\n", name, cartridge.PageCount());
  // A Game Gear image always runs with Game Gear colours unless the player
  // asked for a Master System; a Master System image on a Game Gear runs in
  // the handheld's Master System mode.
  const bool gameGearImage = IsGameGearName(name);
  const bool handheld = consoleKind == ConsoleKind::kFromImage ? gameGearImage : consoleKind == ConsoleKind::kGameGear;
  video.gameGear = handheld && gameGearImage;
  compatibility = handheld && !gameGearImage;
  if (compatibility) log.Printf("Game Gear in Master System mode\n");
  if (video.gameGear) {
    log.Printf("Game Gear Mode: ");
    LogRegion(log, cartridge.Page(cartridge.Bank(1))[0x3FFF]);
  }
  std::memset(cartridge.ram, 0xFF, sizeof cartridge.ram);
  cartridgeRamDirty = false;
  saveRequest = false;
  return true;
}

void Console::Reset() {
  savePending = false;
  std::memset(writeSink, 0xFF, sizeof writeSink);
  std::memset(systemRam, 0xFF, sizeof systemRam);
  cpu.cyclesPerLine = timing.cyclesPerLine;
  if (cartridge.Loaded()) {
    ramControl = 0;
    bankRegister[0] = 0;
    bankRegister[1] = 1;
    bankRegister[2] = 0;
    systemRam[0x1FFD] = 0;
    systemRam[0x1FFE] = 1;
    systemRam[0x1FFF] = 0;
  }
  Remap();
  cpu.Reset();
  video.Reset();
  psg.Reset();
  pauseHeld = false;
  lineInFrame = 0;
  ioControl = 0xFF;
  hCounterLatch = 0;
  hCounterLatched = false;
  glassesShutter = 0;
}

void Console::MapSlot(int slot, std::uint8_t* read, std::uint8_t* write) {
  readPage[slot * 2] = read;
  readPage[slot * 2 + 1] = read + kPieceSize;
  writePage[slot * 2] = write;
  writePage[slot * 2 + 1] = write + kPieceSize;
}

void Console::Remap() {
  static_assert(kSystemRamSize == kPieceSize, "the system RAM fills one piece and its mirror");
  readPage[6] = writePage[6] = systemRam;
  readPage[7] = writePage[7] = systemRam;
  if (!cartridge.Loaded()) {
    // Until a cartridge is mapped every slot points at memory that exists,
    // so a stray access can never follow an empty reference.
    for (int slot = 0; slot < 3; ++slot) MapSlot(slot, writeSink, writeSink);
    slotTwoRom = writeSink;
    return;
  }
  std::memset(slotZeroCopy, 0xFF, sizeof slotZeroCopy);
  std::memcpy(slotZeroCopy, cartridge.Page(0), 0x400);
  std::memcpy(slotZeroCopy + 0x400, cartridge.Page(cartridge.Bank(bankRegister[0])) + 0x400, kPageSize - 0x400);
  MapSlot(0, slotZeroCopy, writeSink);
  MapSlot(1, cartridge.Page(cartridge.Bank(bankRegister[1])), writeSink);
  slotTwoRom = cartridge.Page(cartridge.Bank(bankRegister[2]));
  if (ramControl & 0x08) {
    std::uint8_t* page = (ramControl & 0x04) ? cartridge.ram : cartridge.ram + kPageSize;
    MapSlot(2, page, page);
  } else {
    MapSlot(2, slotTwoRom, writeSink);
  }
}

void Console::WriteMapper(std::uint16_t address, std::uint8_t value) {
  if (address < 0xFFFC) {
    // 0xFFF8-0xFFFB: RAM, and the 3-D glasses' shutters (bit 0 says which
    // eye sees the frames drawn from now on).
    systemRam[address - 0xE000] = value;
    glassesShutter = value & 1;
    return;
  }
  if (!cartridge.Loaded()) {
    // No cartridge: the registers are plain RAM.
    systemRam[address - 0xE000] = value;
    return;
  }
  const std::uint8_t readBack = static_cast<std::uint8_t>(value & cartridge.BankMask());
  switch (address) {
    case 0xFFFC:
      if (value & 0x08) {
        savePending = false;
        cartridgeRamDirty = true;
        // Bit 2 picks the RAM page; set selects the first half of the
        // battery file (the layout existing battery files have).
        std::uint8_t* page = (value & 0x04) ? cartridge.ram : cartridge.ram + kPageSize;
        MapSlot(2, page, page);
      } else {
        // Switching the RAM out is the cartridge's way of saying the save is
        // complete: the host is asked to write the battery file at frame end.
        if (ramControl & 0x08) savePending = true;
        MapSlot(2, slotTwoRom, writeSink);
      }
      ramControl = value;
      systemRam[0x1FFC] = value;
      break;
    case 0xFFFD:
      // Slot 0 keeps ROM page 0's first 1 KB (the interrupt vectors) whatever
      // bank is selected, so the rest of the bank is copied behind it.
      bankRegister[0] = value;
      std::memcpy(slotZeroCopy + 0x400, cartridge.Page(cartridge.Bank(value)) + 0x400, kPageSize - 0x400);
      systemRam[0x1FFD] = readBack;
      break;
    case 0xFFFE:
      bankRegister[1] = value;
      MapSlot(1, cartridge.Page(cartridge.Bank(value)), writeSink);
      systemRam[0x1FFE] = readBack;
      break;
    default:  // 0xFFFF
      bankRegister[2] = value;
      slotTwoRom = cartridge.Page(cartridge.Bank(value));
      if (!(ramControl & 0x08)) MapSlot(2, slotTwoRom, writeSink);
      systemRam[0x1FFF] = readBack;
      break;
  }
}

bool Console::TakeSaveRequest() {
  const bool request = saveRequest;
  saveRequest = false;
  return request;
}
