#include "console/SaveState.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <span>
#include <cstring>
#include <type_traits>

#include "console/Console.h"
#include "psg/StepTable.h"

namespace {

constexpr std::uint8_t kMagic[8] = {'T', 'A', 'V', 'R', 'S', 'T', 'A', 'T'};
constexpr std::size_t kHeaderSize = 8 + 4 + 4 + 4;  // magic, version, image CRC, total size
constexpr std::size_t kSectionHeaderSize = 8;        // tag, length

// What a refresh copies of the large memories, and where it notes the ranges
// it wrote.
struct Refresh {
  const Console* console;
  Console::MemoryChanges changes;
  StateRanges* written;
  bool whole;  // the buffer holds nothing of use yet: write every byte
};

// Larger field arrays (the sound chips' step buffers, a few KB each and
// nearly all zeros between frames) are compared with the buffer in pieces
// of this size, and only the pieces that differ are written and listed.
constexpr std::size_t kComparedPiece = 256;

// What a StateWriter does with the fields: count their bytes, save them, or
// refresh a buffer holding the last state saved.
enum class WriteMode { kCount, kSave, kRefresh };

// Writes fields in explicit little-endian order. When refreshing, the large
// memories are written only where they changed, and every range written is
// noted: fields written one after another as one range, noted when something
// else comes (EndRun). The mode is a template parameter: a rewind refreshes
// every frame, and the per-field work is then only the store.
template <WriteMode kMode>
class StateWriter {
 public:
  explicit StateWriter(std::uint8_t* destination = nullptr, const Refresh* refreshing = nullptr)
      : out(destination), refresh(refreshing) {}

  template <class T>
  void Field(const T& value) {
    if constexpr (std::is_array_v<T> && std::is_integral_v<std::remove_all_extents_t<T>> &&
                  !std::is_same_v<std::remove_all_extents_t<T>, bool> && std::endian::native == std::endian::little) {
      // Integer arrays are already little-endian in memory on this host.
      Bytes(reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
    } else if constexpr (std::is_array_v<T>) {
      for (const auto& element : value) Field(element);
    } else if constexpr (std::is_same_v<T, bool>) {
      Put<1>(value ? 1u : 0u);
    } else if constexpr (std::is_same_v<T, Z80Pair>) {
      Put<2>(value.w);
    } else {
      static_assert(std::is_integral_v<T>, "state fields are integers");
      Put<sizeof(T)>(static_cast<std::uint64_t>(value));
    }
  }
  void Bytes(const std::uint8_t* bytes, std::size_t count) {
    if constexpr (kMode == WriteMode::kRefresh) {
      const Console& console = *refresh->console;
      const Console::MemoryChanges& changes = refresh->changes;
      if (bytes == console.video.vram) return Pages(bytes, count, changes.vram, 64);
      if (bytes == console.systemRam) return Pages(bytes, count, changes.systemRam, 8);
      if (bytes == console.cartridge.ram) return Pages(bytes, count, changes.cartridgeRam, 32);
      if (count > kComparedPiece && !refresh->whole) {
        // An array the console does not track.
        EndRun();
        ChangedPieces(bytes, count);
        written += count;
        return;
      }
      if (runFrom == kNoRun) runFrom = written;
    }
    if constexpr (kMode != WriteMode::kCount) std::memcpy(out + written, bytes, count);
    written += count;
  }
  // A sound chip's delta buffer: a refresh compares only the entries that
  // changed since the last one.
  template <std::size_t kSize>
  void Steps(const std::int32_t (&deltas)[kSize], psg::StepExtent& extent) {
    if constexpr (kMode != WriteMode::kRefresh || std::endian::native != std::endian::little) {
      Field(deltas);
    } else {
      const std::size_t changed = std::min(kSize, static_cast<std::size_t>(extent.Take()));
      if (refresh->whole) return Field(deltas);
      EndRun();
      ChangedPieces(reinterpret_cast<const std::uint8_t*>(deltas), changed * sizeof deltas[0]);
      written += sizeof deltas;
    }
  }
  // The low kBytes bytes of `value`; the size is fixed at compile time so the
  // store is a single move.
  template <std::size_t kBytes>
  void Put(std::uint64_t value) {
    if constexpr (kMode != WriteMode::kCount) {
      if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out + written, &value, kBytes);  // the value's low bytes, in order
      } else {
        for (std::size_t k = 0; k < kBytes; ++k) out[written + k] = static_cast<std::uint8_t>(value >> (8 * k));
      }
    }
    if constexpr (kMode == WriteMode::kRefresh) {
      if (runFrom == kNoRun) runFrom = written;
    }
    written += kBytes;
  }
  std::size_t Written() const { return written; }
  // Notes the fields written since the last range noted.
  void EndRun() {
    if constexpr (kMode == WriteMode::kRefresh) {
      if (runFrom == kNoRun) return;
      refresh->written->Add(runFrom, written);
      runFrom = kNoRun;
    }
  }

 private:
  // A memory of `count` bytes in `pages` equal pages: only the marked ones are copied.
  void Pages(const std::uint8_t* bytes, std::size_t count, std::uint64_t marked, std::size_t pages) {
    EndRun();
    const std::size_t pageBytes = count / pages;
    if (pages < 64) marked &= (std::uint64_t{1} << pages) - 1;
    for (; marked; marked &= marked - 1) {
      const std::size_t page = static_cast<std::size_t>(std::countr_zero(marked));
      std::memcpy(out + written + page * pageBytes, bytes + page * pageBytes, pageBytes);
      refresh->written->Add(written + page * pageBytes, written + (page + 1) * pageBytes);
    }
    written += count;
  }

  // The pieces of `count` bytes that differ from what the buffer holds;
  // `written` is left where it was.
  void ChangedPieces(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t at = 0; at < count; at += kComparedPiece) {
      const std::size_t piece = std::min(kComparedPiece, count - at);
      std::uint8_t* into = out + written + at;
      if (std::memcmp(into, bytes + at, piece) == 0) continue;
      std::memcpy(into, bytes + at, piece);
      refresh->written->Add(written + at, written + at + piece);
    }
  }

  static constexpr std::size_t kNoRun = ~std::size_t{0};

  std::uint8_t* out;
  const Refresh* refresh;
  std::size_t written = 0;
  std::size_t runFrom = kNoRun;  // where the fields not yet noted start
};

// Reads fields back in the same order. Sizes were checked before, so it
// never runs past its end.
class StateReader {
 public:
  explicit StateReader(const std::uint8_t* source) : in(source) {}

  template <class T>
  void Field(T& value) {
    if constexpr (std::is_array_v<T> && std::is_integral_v<std::remove_all_extents_t<T>> &&
                  !std::is_same_v<std::remove_all_extents_t<T>, bool> && std::endian::native == std::endian::little) {
      Bytes(reinterpret_cast<std::uint8_t*>(&value), sizeof value);
    } else if constexpr (std::is_array_v<T>) {
      for (auto& element : value) Field(element);
    } else if constexpr (std::is_same_v<T, bool>) {
      value = Get(1) != 0;
    } else if constexpr (std::is_same_v<T, Z80Pair>) {
      value.w = static_cast<std::uint16_t>(Get(2));
    } else {
      value = static_cast<T>(Get(sizeof(T)));
    }
  }
  void Bytes(std::uint8_t* bytes, std::size_t count) {
    std::memcpy(bytes, in + read, count);
    read += count;
  }
  std::uint64_t Get(std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < bytes; ++k) value |= static_cast<std::uint64_t>(in[read++]) << (8 * k);
    return value;
  }

 private:
  const std::uint8_t* in;
  std::size_t read = 0;
};

// ---- The sections, one function per component, used both ways ----

template <class Archive, class Cpu>
void ProcessorSection(Archive& a, Cpu& cpu) {
  a.Field(cpu.af); a.Field(cpu.bc); a.Field(cpu.de); a.Field(cpu.hl);
  a.Field(cpu.ix); a.Field(cpu.iy); a.Field(cpu.pc); a.Field(cpu.sp);
  a.Field(cpu.af2); a.Field(cpu.bc2); a.Field(cpu.de2); a.Field(cpu.hl2);
  a.Field(cpu.iff); a.Field(cpu.i); a.Field(cpu.memptr); a.Field(cpu.cyclesLeft);
}

template <class Archive, class Vdp>
void VideoSection(Archive& a, Vdp& video) {
  a.Bytes(video.vram, sizeof video.vram);
  a.Field(video.cram);
  a.Field(video.regs);
  a.Field(video.vCounter); a.Field(video.code); a.Field(video.status); a.Field(video.address);
  a.Field(video.latch); a.Field(video.readBuffer); a.Field(video.secondByte); a.Field(video.lastRead);
  a.Field(video.line); a.Field(video.lineCounter); a.Field(video.framePending); a.Field(video.lineInterruptPending);
}

template <class Archive, class Sound>
void SoundSection(Archive& a, Sound& psg) {
  psg.Serialize(a);
}

template <class Archive, class Machine>
void MemorySection(Archive& a, Machine& console) {
  a.Bytes(console.systemRam, sizeof console.systemRam);
  // The Sega board's RAM control and slot registers (the only board there
  // was when this section was laid out); the other boards' registers.
  a.Field(console.cartridge.reg);
  a.Field(console.nationalLines); a.Field(console.portDC); a.Field(console.portDD); a.Field(console.port00);
  a.Field(console.pauseHeld); a.Field(console.cartridgeRamDirty); a.Field(console.savePending);
  a.Field(console.framesRun);
}

template <class Archive, class Machine>
void CartridgeRamSection(Archive& a, Machine& console) {
  a.Bytes(console.cartridge.ram, sizeof console.cartridge.ram);
}

template <class Archive, class Device>
void PortDeviceFields(Archive& a, Device& d) {
  a.Field(d.paddleHigh); a.Field(d.sportsGatheredX); a.Field(d.sportsGatheredY); a.Field(d.sportsX);
  a.Field(d.sportsY); a.Field(d.sportsStep); a.Field(d.thOutputHigh);
}

template <class Archive, class Machine>
void ControllerPortSection(Archive& a, Machine& console) {
  a.Field(console.ioControl); a.Field(console.hCounterLatch); a.Field(console.hCounterLatched);
  a.Field(console.glassesShutter);
  PortDeviceFields(a, console.device[0]);
  PortDeviceFields(a, console.device[1]);
}

template <class Archive, class Machine>
void BoardSection(Archive& a, Machine& console) {
  std::uint8_t board = static_cast<std::uint8_t>(console.cartridge.board);
  a.Field(board);
  if constexpr (std::is_same_v<Archive, StateReader>) console.cartridge.board = static_cast<Board>(board);
  a.Field(console.cartridge.settled);
  a.Field(console.memoryControl); a.Field(console.biosBank);
}

template <class Archive, class Machine>
void ConsoleSection(Archive& a, Machine& console) {
  std::uint8_t kind = static_cast<std::uint8_t>(console.RunningConsole());
  a.Field(kind);  // checked against the running console before anything is read
  a.Field(console.sgRamAt); a.Field(console.sgRamSettled);
  a.Field(console.ppiControl); a.Field(console.ppiPortC); a.Field(console.keyRows);
}

template <class Archive, class Machine>
void FmSection(Archive& a, Machine& console) {
  a.Field(console.fmUnit);
  a.Field(console.audioControl);
  console.fm.Serialize(a);
}

// The console's model and what the other sections leave out: which console
// runs (its timing), the height of the picture last drawn, the Q latch and
// the TH lines' last levels.
template <class Archive, class Machine>
void ModeSection(Archive& a, Machine& console) {
  std::uint8_t region = static_cast<std::uint8_t>(console.CurrentRegion());
  a.Field(region);
  std::uint8_t height = static_cast<std::uint8_t>(console.video.frameHeight);
  a.Field(height);
  // Q holds F when the last instruction run wrote it: its stamp is the
  // present cycle count.
  std::uint8_t q = console.cpu.flagsWrittenAt == static_cast<std::uint32_t>(console.cpu.cyclesLeft);
  a.Field(q);
  a.Field(console.thLevels);
  if constexpr (std::is_same_v<Archive, StateReader>) {
    if (region >= static_cast<std::uint8_t>(Region::kJapanese) && region <= static_cast<std::uint8_t>(Region::kExportPal)) {
      console.UseRegion(static_cast<Region>(region));
    }
    console.video.frameHeight = height == 224 || height == 240 ? height : Video::kHeight;
    // Not written: one more than the count, which no later instruction's
    // end can equal.
    console.cpu.flagsWrittenAt = static_cast<std::uint32_t>(console.cpu.cyclesLeft) + (q ? 0 : 1);
  }
}

struct Section {
  char tag[5];
  int id;
};
constexpr Section kSections[] = {{"Z80 ", 0}, {"VDP ", 1}, {"PSG ", 2}, {"MEM ", 3}, {"CRAM", 4},
                                 {"PORT", 5}, {"BORD", 6}, {"CONS", 7}, {"FM  ", 8}, {"MODE", 9}};
// Version 1 states end after the cartridge RAM; the ports then start as
// after a reset.
constexpr int kVersionOneSections = 5;
// Version 2 states end after the ports; they come from the Sega board
// with the cartridge switched on.
constexpr int kVersionTwoSections = 6;
// Version 3 states end after the board; they come from a Master System or a
// Game Gear.
constexpr int kVersionThreeSections = 7;
// Version 4 states end after the console's section; the FM unit is then off.
constexpr int kVersionFourSections = 8;
// Version 5 states end after the FM unit's; the console keeps its model,
// the picture is 192 lines high, Q is clear.
constexpr int kVersionFiveSections = 9;

template <class Archive, class Machine>
void ProcessSection(Archive& a, Machine& console, int id) {
  switch (id) {
    case 0: ProcessorSection(a, console.cpu); break;
    case 1: VideoSection(a, console.video); break;
    case 2: SoundSection(a, console.psg); break;
    case 3: MemorySection(a, console); break;
    case 4: CartridgeRamSection(a, console); break;
    case 5: ControllerPortSection(a, console); break;
    case 6: BoardSection(a, console); break;
    case 7: ConsoleSection(a, console); break;
    case 8: FmSection(a, console); break;
    default: ModeSection(a, console); break;
  }
}

// A const console saved through the same functions: the writer never
// changes what it is given.
Console& Unconst(const Console& console) { return const_cast<Console&>(console); }

// Every field and array has a fixed size whatever the console runs, so the
// sections' sizes are counted once, not on every save (a rewind saves every
// frame).
struct SectionSizes {
  std::size_t bytes[std::size(kSections)];
};

const SectionSizes& CountedSections(const Console& console) {
  static const SectionSizes sizes = [&console] {
    SectionSizes counted{};
    for (const Section& section : kSections) {
      StateWriter<WriteMode::kCount> counter;
      ProcessSection(counter, Unconst(console), section.id);
      counted.bytes[section.id] = counter.Written();
    }
    return counted;
  }();
  return sizes;
}

std::size_t SectionSize(const Console& console, int id) { return CountedSections(console).bytes[id]; }

std::size_t StateSizeOf(const Console& console, std::size_t sections) {
  std::size_t size = kHeaderSize;
  for (std::size_t k = 0; k < sections; ++k) size += kSectionHeaderSize + SectionSize(console, kSections[k].id);
  return size;
}

std::uint32_t Get32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

}  // namespace

const char* StateErrorText(StateError error) {
  switch (error) {
    case StateError::None: return "no error";
    case StateError::NoCartridge: return "no cartridge is running";
    case StateError::BufferTooSmall: return "the buffer is too small for a state";
    case StateError::NotAState: return "not a save state";
    case StateError::NewerVersion: return "made by a newer version of the program";
    case StateError::OtherImage: return "made from another cartridge image";
    case StateError::OtherConsole: return "made on another console";
    case StateError::Damaged: return "the state is truncated or damaged";
  }
  return "unknown error";
}

std::size_t StateSize(const Console& console) { return StateSizeOf(console, std::size(kSections)); }

void StateRanges::Add(std::size_t begin, std::size_t end) {
  if (count > 0 && range[count - 1].end >= begin) {
    range[count - 1].end = static_cast<std::uint32_t>(end);
  } else if (count < kMax) {
    range[count++] = {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end)};
  } else {
    range[count - 1].end = static_cast<std::uint32_t>(end);
  }
}

namespace {

template <WriteMode kMode>
StateError WriteState(const Console& console, std::uint8_t* out, std::size_t size, const Refresh* refresh) {
  if (!console.CartridgeLoaded()) return StateError::NoCartridge;
  const std::size_t total = StateSize(console);
  if (out == nullptr || size < total) return StateError::BufferTooSmall;
  StateWriter<kMode> writer(out, refresh);
  writer.Bytes(kMagic, sizeof kMagic);
  writer.template Put<4>(kStateFormatVersion);
  writer.template Put<4>(console.cartridge.Crc32());
  writer.template Put<4>(total);
  for (const Section& section : kSections) {
    writer.Bytes(reinterpret_cast<const std::uint8_t*>(section.tag), 4);
    const std::size_t lengthAt = writer.Written();
    writer.template Put<4>(0);
    ProcessSection(writer, Unconst(console), section.id);
    const std::size_t length = writer.Written() - lengthAt - 4;
    for (int k = 0; k < 4; ++k) out[lengthAt + k] = static_cast<std::uint8_t>(length >> (8 * k));
  }
  writer.EndRun();
  return StateError::None;
}

}  // namespace

StateError SaveState(const Console& console, std::uint8_t* out, std::size_t size) {
  return WriteState<WriteMode::kSave>(console, out, size, nullptr);
}

StateError RefreshState(Console& console, std::uint8_t* state, std::size_t size, bool whole, StateRanges& changed) {
  changed.count = 0;
  Refresh refresh{&console, console.TakeMemoryChanges(), &changed, whole};
  if (whole) {
    refresh.changes.vram = ~std::uint64_t{0};
    refresh.changes.cartridgeRam = ~std::uint32_t{0};
    refresh.changes.systemRam = 0xFF;
  }
  return WriteState<WriteMode::kRefresh>(console, state, size, &refresh);
}

namespace {

// The number of sections a state of this format version holds.
std::size_t SectionCountOf(std::uint32_t version) {
  return version == 1   ? kVersionOneSections
         : version == 2 ? kVersionTwoSections
         : version == 3 ? kVersionThreeSections
         : version == 4 ? kVersionFourSections
         : version == 5 ? kVersionFiveSections
                        : std::size(kSections);
}

// Checks the header and the whole layout before anything is read into the
// console; on success `sections` holds the state's sections.
StateError CheckLayout(const Console& console, const std::uint8_t* in, std::size_t size,
                       std::span<const Section>& sections, std::uint32_t& version) {
  if (!console.CartridgeLoaded()) return StateError::NoCartridge;
  if (in == nullptr || size < kHeaderSize || std::memcmp(in, kMagic, sizeof kMagic) != 0) return StateError::NotAState;
  version = Get32(in + 8);
  if (version > kStateFormatVersion) return StateError::NewerVersion;
  if (version < 1) return StateError::Damaged;
  if (Get32(in + 12) != console.cartridge.Crc32()) return StateError::OtherImage;
  const std::size_t sectionCount = SectionCountOf(version);
  if (Get32(in + 16) != size || size != StateSizeOf(console, sectionCount)) return StateError::Damaged;
  sections = std::span<const Section>(kSections, sectionCount);

  std::size_t at = kHeaderSize;
  std::size_t consoleAt = 0;
  for (const Section& section : sections) {
    if (std::memcmp(in + at, section.tag, 4) != 0 || Get32(in + at + 4) != SectionSize(console, section.id)) {
      return StateError::Damaged;
    }
    if (section.id == 7) consoleAt = at + kSectionHeaderSize;
    at += kSectionHeaderSize + SectionSize(console, section.id);
  }
  // The console's section starts with the console the state was made on.
  if (sectionCount > kVersionThreeSections) {
    if (in[consoleAt] != static_cast<std::uint8_t>(console.RunningConsole())) return StateError::OtherConsole;
  } else if (console.SgFamily()) {
    return StateError::OtherConsole;
  }
  return StateError::None;
}

// What older versions did not store takes the value the console had then.
void DefaultUnstoredFields(Console& console, std::uint32_t version) {
  if (version == 1) {
    console.ioControl = 0xFF;
    console.hCounterLatch = 0;
    console.hCounterLatched = false;
    console.glassesShutter = 0;
    for (PortDevice& d : console.device) {
      const PortDevice fresh{};
      d.paddleHigh = fresh.paddleHigh;
      d.sportsGatheredX = d.sportsGatheredY = 0;
      d.sportsX = d.sportsY = 0;
      d.sportsStep = fresh.sportsStep;
      d.thOutputHigh = fresh.thOutputHigh;
    }
  }
  if (version <= 5) {
    console.video.frameHeight = Video::kHeight;
    console.thLevels = console.ThLevels();
  }
  if (version <= 2) {
    console.cartridge.board = Board::Sega;
    console.cartridge.settled = true;
    console.memoryControl = Console::kMemoryControlCartridge;
    console.biosBank[0] = 0;
    console.biosBank[1] = 1;
    console.biosBank[2] = 2;
  }
  if (version <= 3) {
    console.sgRamAt = 0;
    console.sgRamSettled = true;
    console.ppiControl = Console::kPpiAllInputs;
    console.ppiPortC = 0;
    for (std::uint16_t& row : console.keyRows) row = 0;
  }
  if (version <= 4) {
    console.fmUnit = false;
    console.audioControl = 0;
    console.fm.Reset();
  }
}

// Whatever the bytes said, every index and counter goes back in range, and
// what is derived from the loaded state is worked out again.
void SettleLoadedState(Console& console) {
  Z80Core& cpu = console.cpu;
  cpu.iff &= kIff1 | kIff2 | kIffMode1 | kIffMode2 | kIffHalted;
  if (cpu.cyclesLeft > cpu.cyclesPerLine || cpu.cyclesLeft < -cpu.cyclesPerLine) cpu.cyclesLeft = cpu.cyclesPerLine;
  Video& video = console.video;
  video.address &= 0x3FFF;
  video.code &= 3;
  if (video.line < 0 || video.line >= video.linesPerFrame) video.line = 0;
  if (video.lineCounter < 0 || video.lineCounter > 255) video.lineCounter = 0;
  video.spriteTable = static_cast<std::uint16_t>((video.regs[5] & 0x7E) << 7);
  video.VramReplaced();
  console.psg.Sanitize();
  console.fm.Sanitize();
  console.audioControl &= 3;
  for (PortDevice& d : console.device) {
    d.sportsStep &= 3;
    d.sportsGatheredX = std::clamp(d.sportsGatheredX, -128, 127);
    d.sportsGatheredY = std::clamp(d.sportsGatheredY, -128, 127);
  }
  console.glassesShutter &= 1;
  if (!console.SgFamily() || (console.sgRamAt != 0x20 && console.sgRamAt != 0x80)) console.sgRamAt = 0;
  console.MirrorSgRam();
  console.cartridge.Refresh();
  console.lineInFrame = 0;
  console.ForgetStop();
  console.Remap();
  console.MarkMemoryChanged();
}

}  // namespace

StateError LoadState(Console& console, const std::uint8_t* in, std::size_t size) {
  std::span<const Section> sections;
  std::uint32_t version = 0;
  if (const StateError layout = CheckLayout(console, in, size, sections, version); layout != StateError::None) {
    return layout;
  }
  DefaultUnstoredFields(console, version);
  std::size_t at = kHeaderSize;
  for (const Section& section : sections) {
    StateReader reader(in + at + kSectionHeaderSize);
    ProcessSection(reader, console, section.id);
    at += kSectionHeaderSize + SectionSize(console, section.id);
  }
  SettleLoadedState(console);
  return StateError::None;
}
