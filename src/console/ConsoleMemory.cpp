// The console's memory map: work RAM, the cartridge's board, the boot
// program and port 0x3E that chooses between them; loading an image and the
// console's reset.
#include <algorithm>
#include <cstring>
#include <new>

#include "cartridge/RomHeader.h"
#include "console/Console.h"

namespace {

// Nothing of the image lies in the 8 KB at `at`: they are past its end, one
// byte repeated, or the 8 KB before them again (a smaller chip's mirror).
bool FreeForRam(const std::uint8_t* bytes, std::size_t size, std::size_t at) {
  constexpr std::size_t kPiece = 0x2000;
  if (at >= size) return true;
  const std::size_t length = std::min(kPiece, size - at);
  const std::uint8_t* piece = bytes + at;
  if (std::all_of(piece, piece + length, [&](std::uint8_t b) { return b == piece[0]; })) return true;
  return at >= kPiece && std::memcmp(piece, piece - kPiece, length) == 0;
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
  if (timing.Pal()) regionChoice = region = Region::kExportPal;
  cpu.trapBadOps = 1;
  cpu.cyclesPerLine = timing.cyclesPerLine;
  video.SetTiming(timing);
  psg.SetClock(timing.clockHz);
  fm.SetClock(timing.clockHz);
  std::memset(cartridge.ram, 0xFF, sizeof cartridge.ram);
  std::memset(openBus, 0xFF, sizeof openBus);
  std::memset(systemRam, 0xFF, sizeof systemRam);
  Remap();
  Reset();
}

void Console::SetRegion(Region choice) {
  regionChoice = choice;
  ApplyRegion();
}

void Console::ApplyRegion() {
  Region next = regionChoice;
  if (next == Region::kFromImage) next = japaneseImage ? Region::kJapanese : Region::kExport;
  UseRegion(next);
}

void Console::UseRegion(Region next) {
  if (next == Region::kFromImage) next = Region::kExport;
  if (next == Region::kExportPal && (video.gameGear || compatibility)) next = Region::kExport;
  region = next;
  exportConsole = next == Region::kJapanese ? 0 : 1;
  const Timing& wanted = TimingOf(next);
  if (timing.linesPerFrame == wanted.linesPerFrame && timing.clockHz == wanted.clockHz) return;
  timing = wanted;
  cpu.cyclesPerLine = timing.cyclesPerLine;
  video.SetTiming(timing);
  psg.SetClock(timing.clockHz);
}

void Console::SetLogger(const Logger& logger) {
  log = logger;
  cpu.log = logger;
}

void Console::Create() {
  log.Printf("  Allocating RAM\n");
  std::memset(cartridge.ram, 0xFF, sizeof cartridge.ram);
  MarkMemoryChanged();
}

bool Console::LoadCartridge(const std::uint8_t* bytes, std::size_t size, const char* name) {
  if (name == nullptr) name = "";
  const Board* forced = boardChoice ? &*boardChoice : nullptr;
  // A Game Gear region code in the header (5, 6 or 7) wins over a name
  // that says otherwise (a .gg image renamed .sms). The other way round the
  // name stands: Game Gear cartridges carrying a Master System region code
  // exist, and --console sms is there for a Master System image named .gg.
  ConsoleKind imageKind = ConsoleKindOfName(name);
  std::optional<RomHeader> gameGearHeader;
  const std::optional<RomHeader> header = ReadRomHeader(bytes, size);
  const bool japaneseHeader = header && header->Japanese();
  if (imageKind == ConsoleKind::kMasterSystem) {
    if (header && header->GameGear()) {
      gameGearHeader = header;
      imageKind = ConsoleKind::kGameGear;
    }
  }
  const ConsoleKind run = consoleKind == ConsoleKind::kFromImage ? imageKind : consoleKind;
  const bool sg = run == ConsoleKind::kSg1000 || run == ConsoleKind::kSc3000;
  if (!(sg ? cartridge.LoadWhole(bytes, size, log, forced) : cartridge.Load(bytes, size, log, forced))) return false;
  log.Printf("Loaded %s, %d pages, %s.\r\n", name, cartridge.PageCount(), BoardTitle(cartridge.CurrentBoard()));
  if (gameGearHeader) log.Printf("Header region %X: a Game Gear image\n", gameGearHeader->regionCode);
  running = run;
  japaneseImage = japaneseHeader;
  // A Game Gear image always runs with Game Gear colours unless the player
  // asked for a Master System; a Master System image on a Game Gear runs in
  // the handheld's Master System mode.
  const bool gameGearImage = imageKind == ConsoleKind::kGameGear;
  const bool handheld = run == ConsoleKind::kGameGear;
  video.gameGear = handheld && gameGearImage;
  compatibility = handheld && !gameGearImage;
  video.tms9918 = sg;
  if (sg) log.Printf("%s\n", ConsoleKindTitle(run));
  PlaceSgCartridgeRam(bytes, size, sg && cartridge.CurrentBoard() == Board::None);
  if (compatibility) log.Printf("Game Gear in Master System mode\n");
  if (video.gameGear) {
    log.Printf("Game Gear Mode: ");
    LogRegion(log, cartridge.Page(cartridge.Bank(1))[0x3FFF]);
  }
  ApplyRegion();
  std::memset(cartridge.ram, 0xFF, sizeof cartridge.ram);
  cartridgeRamDirty = false;
  saveRequest = false;
  // The old image's pages are gone: nothing may point at them until the
  // reset that follows.
  Remap();
  return true;
}

// The SG-1000's extra cartridge RAM: where the player put it, or where the
// program first writes in a part of the map the image leaves free.
void Console::PlaceSgCartridgeRam(const std::uint8_t* bytes, std::size_t size, bool fitted) {
  sgRamAt = 0;
  sgRamSettled = true;
  sgRamMay2000 = sgRamMay8000 = false;
  if (!fitted) return;
  switch (sgRamChoice) {
    case SgCartridgeRam::kAt2000: sgRamAt = 0x20; break;
    case SgCartridgeRam::kAt8000: sgRamAt = 0x80; break;
    case SgCartridgeRam::kNone: break;
    case SgCartridgeRam::kAuto:
      sgRamSettled = false;
      sgRamMay2000 = FreeForRam(bytes, size, 0x2000);
      sgRamMay8000 = FreeForRam(bytes, size, 0x8000);
      break;
  }
}

bool Console::SetBios(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size == 0 || size > kMaxBiosSize) return false;
  const std::size_t pages = (size + kPageSize - 1) / kPageSize;
  std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow) std::uint8_t[pages * kPageSize]);
  if (!copy) return false;
  // A boot program smaller than its last page shows again in the rest of
  // it, as a chip with fewer address lines would.
  for (std::size_t at = 0; at < pages * kPageSize; at += size) {
    std::memcpy(copy.get() + at, bytes, std::min(size, pages * kPageSize - at));
  }
  bios = std::move(copy);
  biosPages = static_cast<int>(pages);
  Remap();
  log.Printf("Boot program: %zu bytes\r\n", size);
  return true;
}

void Console::ClearBios() {
  bios.reset();
  biosPages = 0;
  Remap();
}

void Console::Reset() {
  MarkMemoryChanged();
  ForgetStop();
  savePending = false;
  std::memset(systemRam, 0xFF, sizeof systemRam);
  cpu.cyclesPerLine = timing.cyclesPerLine;
  ppiControl = kPpiAllInputs;
  ppiPortC = 0;
  biosBank[0] = 0;
  biosBank[1] = 1;
  biosBank[2] = 2;
  if (SgFamily()) {
    // No boot program and no port 0x3E: the cartridge starts at once.
    memoryControl = kMemoryControlCartridge;
  } else if (HasBios()) {
    memoryControl = kMemoryControlBios;
  } else {
    // What the boot program leaves for a cartridge: port 0x3E's value,
    // which it also keeps at 0xC000 (some programs read it back to switch
    // the cartridge on again), and the Sega registers' read-back bytes.
    memoryControl = kMemoryControlCartridge;
    if (cartridge.Loaded()) {
      systemRam[0x0000] = kMemoryControlCartridge;
      systemRam[0x1FFD] = 0;
      systemRam[0x1FFE] = 1;
      systemRam[0x1FFF] = 0;
    }
  }
  cartridge.ResetBoard();
  Remap();
  cpu.Reset();
  video.Reset();
  psg.Reset();
  fm.Reset();
  fmUnit = !video.gameGear && !compatibility && !SgFamily() && (Japanese() || fmAsked);
  audioControl = 0;
  mixing = false;
  pauseHeld = false;
  lineInFrame = 0;
  ioControl = 0xFF;
  hCounterLatch = 0;
  hCounterLatched = false;
  thLevels = ThLevels();
  glassesShutter = 0;
}

void Console::Remap() {
  static_assert(kSystemRamSize == kPieceSize, "the system RAM fills one piece and its mirror");
  FoldWrites();  // the marks made under the mapping that ends here
  if (SgFamily()) {
    RemapSg();
    return;
  }
  if (!(memoryControl & 0x10)) {
    readPage[6] = writePage[6] = systemRam;
    readPage[7] = writePage[7] = systemRam;
  } else {
    readPage[6] = readPage[7] = openBus;
    writePage[6] = writePage[7] = nullptr;
  }
  // The boot program wins where a program left both it and the cartridge
  // on (on the console both would drive the bus).
  biosShown = HasBios() && !(memoryControl & 0x08);
  cartridgeShown = !biosShown && cartridge.Loaded() && !(memoryControl & 0x40);
  if (biosShown) {
    for (int slot = 0; slot < 3; ++slot) {
      std::uint8_t* page = bios.get() + static_cast<std::size_t>(biosBank[slot] % biosPages) * kPageSize;
      readPage[slot * 2] = page;
      readPage[slot * 2 + 1] = page + kPieceSize;
    }
    for (int k = 0; k < Cartridge::kPieces; ++k) writePage[k] = nullptr;
  } else if (cartridgeShown) {
    cartridge.Map(readPage, writePage);
  } else {
    // No cartridge, or nothing switched on: every piece reads 0xFF and
    // writes nowhere.
    for (int k = 0; k < Cartridge::kPieces; ++k) {
      readPage[k] = openBus;
      writePage[k] = nullptr;
    }
  }
}

void Console::WriteBoard(std::uint16_t address, std::uint8_t value) { TakeWriteEffect(cartridge.Write(address, value)); }

void Console::TakeWriteEffect(const Cartridge::WriteEffect& effect) {
  if (effect.ramIn) {
    savePending = false;
    cartridgeRamDirty = true;
  }
  if (effect.ramOut) savePending = true;
  if (effect.remap) Remap();
}

void Console::WriteSlow(std::uint16_t address, std::uint8_t value) {
  if (SgFamily()) {
    WriteSlowSg(address, value);
    return;
  }
  if (address < 0xC000) {
    // ROM: a board's register, or nothing.
    if (!cartridgeShown) return;
    WriteBoard(address, value);
    return;
  }
  const bool ramOn = !(memoryControl & 0x10);
  if (ramOn) systemRamWritten |= static_cast<std::uint8_t>(1u << ((address >> 10) & 7));
  if (address < 0xFFF8) {
    if (ramOn) systemRam[address & 0x1FFF] = value;
    return;
  }
  if (address < 0xFFFC) {
    // 0xFFF8-0xFFFB: RAM, and the 3-D glasses' shutters (bit 0 says which
    // eye sees the frames drawn from now on).
    if (ramOn) systemRam[address & 0x1FFF] = value;
    glassesShutter = value & 1;
    return;
  }
  // 0xFFFC-0xFFFF: the Sega board's registers, which it listens for
  // whatever port 0x3E says (but the boot program's writes, made with the
  // cartridge off, do not tell its board); the boot program's banks follow
  // them too.
  if (address >= 0xFFFD && biosBank[address - 0xFFFD] != value) {
    biosBank[address - 0xFFFD] = value;
    if (biosShown) Remap();
  }
  Cartridge::WriteEffect effect;
  if (cartridge.Loaded()) effect = cartridge.Write(address, value, cartridgeShown);
  if (ramOn) {
    // The registers keep no read-back of their own: the RAM behind them
    // holds the RAM control value as written and the bank numbers masked.
    const bool sega = cartridge.Loaded() && cartridge.CurrentBoard() == Board::Sega;
    systemRam[address & 0x1FFF] =
        sega && address != 0xFFFC ? static_cast<std::uint8_t>(value & cartridge.BankMask()) : value;
  }
  TakeWriteEffect(effect);
}

void Console::FoldWrites() {
  const auto inside = [](const std::uint8_t* at, const std::uint8_t* memory, std::size_t size) {
    return at >= memory && at < memory + size;
  };
  for (int piece = 0; piece < 8 && busWritten; ++piece) {
    const unsigned marks = static_cast<unsigned>(busWritten >> (piece * 8)) & 0xFF;
    const std::uint8_t* target = writePage[piece];
    if (!marks || !target) continue;
    if (inside(target, systemRam, sizeof systemRam)) {
      systemRamWritten |= static_cast<std::uint8_t>(marks);  // the RAM fills the piece exactly
    } else if (inside(target, cartridge.ram, sizeof cartridge.ram)) {
      const std::size_t offset = static_cast<std::size_t>(target - cartridge.ram);
      for (int k = 0; k < 8; ++k) {
        if (!((marks >> k) & 1)) continue;
        const std::size_t from = offset + static_cast<std::size_t>(k) * 1024;
        const std::size_t to = std::min(from + 1024, sizeof cartridge.ram);
        for (std::size_t page = from / 1024; page * 1024 < to; ++page) cartridgeRamWritten |= 1u << page;
      }
    }
  }
  busWritten = 0;
}

Console::MemoryChanges Console::TakeMemoryChanges() {
  FoldWrites();
  MemoryChanges changes;
  changes.systemRam = systemRamWritten;
  changes.cartridgeRam = cartridgeRamWritten;
  changes.vram = video.vramWritten;
  systemRamWritten = 0;
  cartridgeRamWritten = 0;
  video.vramWritten = 0;
  return changes;
}

void Console::MarkMemoryChanged() {
  busWritten = 0;
  systemRamWritten = 0xFF;
  cartridgeRamWritten = ~std::uint32_t{0};
  video.vramWritten = ~std::uint64_t{0};
}

bool Console::TakeSaveRequest() {
  const bool request = saveRequest;
  saveRequest = false;
  return request;
}
