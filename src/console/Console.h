#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "cartridge/Cartridge.h"
#include "console/DebugHooks.h"
#include "console/FrameInput.h"
#include "console/Keyboard.h"
#include "console/Peripheral.h"
#include "console/SdscConsole.h"
#include "timing/Timing.h"
#include "debug/Logger.h"
#include "fm/Fm.h"
#include "psg/Psg.h"
#include "vdp/ScreenColours.h"
#include "vdp/Video.h"
#include "z80/Z80Core.h"

// The console as one object: the processor, the console's RAM, the cartridge
// and its mapper, the video chip, the sound chip and the controller ports.
// It owns all emulated state and knows nothing of files, clocks, windows or
// devices: the host gives it bytes (an image, battery RAM) and controls, runs
// it a frame at a time, and reads back an indexed picture, the raw colour
// RAM, the frame's sound samples and the cartridge RAM.
//
// The processor is a member, not a base: the console is the bus the
// processor's hooks are bound to at compile time (RunWith), so memory and
// port accesses inline into the interpreter.
// Which console runs an image: the one the image's name says (a .gg ending
// is a Game Gear, .sg an SG-1000, .sc an SC-3000), or the one the player
// chose. A Master System image run on a Game Gear uses the handheld's Master
// System mode.
enum class ConsoleKind : std::uint8_t { kFromImage, kMasterSystem, kGameGear, kSg1000, kSc3000 };

// The name options use ("sms", "gg", "sg", "sc"; "auto" for kFromImage),
// and the console's name for a player ("Master System", "SG-1000", ...).
const char* ConsoleKindName(ConsoleKind kind);
const char* ConsoleKindTitle(ConsoleKind kind);
// Reads a name ConsoleKindName gives (any case). False for anything else.
bool ConsoleKindFromName(const char* name, ConsoleKind& kind);
// The console an image's name asks for: .gg, .sg, .sc in any case; a
// Master System for anything else.
ConsoleKind ConsoleKindOfName(const char* name);

// Where an SG-1000 or SC-3000 cartridge's extra 8 KB of RAM sits: found
// from the image and the program's first write to a free part of the map
// (kAuto), none, or at 0x2000-0x3FFF, or at 0x8000-0x9FFF (mirrored at
// 0xA000-0xBFFF).
enum class SgCartridgeRam : std::uint8_t { kAuto, kNone, kAt2000, kAt8000 };
// "auto", "none", "2000", "8000".
const char* SgCartridgeRamName(SgCartridgeRam ram);
bool SgCartridgeRamFromName(const char* name, SgCartridgeRam& ram);

class Console {
 public:
  static constexpr int kPageSize = Cartridge::kPageSize;
  static constexpr int kSystemRamSize = 0x2000;
  static constexpr int kCartridgeRamSize = Cartridge::kRamSize;

  explicit Console(const Timing& timing = kNtscTiming);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Where this console's log lines go (nothing by default).
  void SetLogger(const Logger& logger);

  // Logs the console's start-up line ("  Allocating RAM") and blanks the
  // cartridge RAM; the frontier between a host's start-up messages.
  void Create();

  // Takes a cartridge image; `name` is its file name and appears in the
  // log. The image is a Game Gear's when its header's region code says so
  // (5, 6 or 7), or, without a header, when its name ends in .gg. False,
  // with nothing changed, when the image cannot be used. The cartridge RAM
  // is blanked: the host then copies the battery file's bytes into
  // CartridgeRam(). Reset follows.
  bool LoadCartridge(const std::uint8_t* bytes, std::size_t size, const char* name);
  bool CartridgeLoaded() const { return cartridge.Loaded(); }
  // The console the next LoadCartridge starts (the image's own by default).
  void SetConsoleKind(ConsoleKind kind) { consoleKind = kind; }
  ConsoleKind GetConsoleKind() const { return consoleKind; }
  // The console running now (never kFromImage).
  ConsoleKind RunningConsole() const { return running; }
  // An SG-1000 or an SC-3000 runs: the older memory map, ports and video chip.
  bool SgFamily() const { return running == ConsoleKind::kSg1000 || running == ConsoleKind::kSc3000; }
  // The extra cartridge RAM of the next LoadCartridge on an SG-1000 or
  // SC-3000, and where it sits now (0 none, else its address).
  void SetCartridgeRamChoice(SgCartridgeRam ram) { sgRamChoice = ram; }
  SgCartridgeRam GetCartridgeRamChoice() const { return sgRamChoice; }
  int SgCartridgeRamAddress() const { return sgRamAt << 8; }
  // The board the next LoadCartridge uses; nothing: found from the image.
  void SetBoardChoice(std::optional<Board> board) { boardChoice = board; }
  std::optional<Board> GetBoardChoice() const { return boardChoice; }
  // The board the cartridge runs on now.
  Board CartridgeBoard() const { return cartridge.CurrentBoard(); }

  // The console's own boot program, which the player supplies: from the next
  // reset on it starts the console and hands over to the cartridge by
  // writing port 0x3E. Up to 512 KB; a size that is not a whole number of
  // 16 KB pages is repeated to fill its last page. False (nothing changed)
  // for an empty or larger image. Without one, a reset starts the cartridge
  // as the boot program would have left it.
  static constexpr std::size_t kMaxBiosSize = 32 * static_cast<std::size_t>(kPageSize);
  bool SetBios(const std::uint8_t* bytes, std::size_t size);
  void ClearBios();
  bool HasBios() const { return biosPages > 0; }

  // The console's reset: memories, processor, video and sound chips.
  void Reset();

  // Runs one frame (a whole frame's lines) with these controls held. The
  // controls reach the ports at the end of the last visible line, where the
  // frame's picture is complete. With debug hooks set, the frame may stop
  // early (Stopped()); the next call then carries on from there.
  void RunFrame(const FrameInput& input) {
    if (debugHooks != nullptr || stopped) [[unlikely]] {
      RunFrameStoppable(input);
      return;
    }
    RunFramePlain(input);
  }

  // ---- Debugging ----
  // A debugger's hooks (see DebugHooks.h); nullptr, the default, runs frames
  // on the plain interpreter. Setting or clearing them between frames, or
  // while stopped, changes nothing of the emulation.
  void SetDebugHooks(DebugHooks* hooks) { debugHooks = hooks; }
  DebugHooks* GetDebugHooks() const { return debugHooks; }
  // The last RunFrame stopped before an instruction, partway through the
  // frame: the processor's registers show where. The frame is finished by
  // the next RunFrame (which may stop again).
  bool Stopped() const { return stopped; }
  // Forgets a frame stopped partway: a reset or a loaded state starts a new
  // frame.
  void ForgetStop() {
    stopped = false;
    cpu.heldRequest = kNoInterrupt;
  }
  // Reads memory as the processor would, without side effects.
  std::uint8_t Peek(std::uint16_t address) const { return readPage[address >> 13][address & 0x1FFF]; }
  // The cartridge ROM page mapped at an address, or -1 when the address
  // shows something else (RAM, the boot program, nothing).
  std::int32_t RomPageAt(std::uint16_t address) const;
  // The homebrew debug console on ports 0xFC and 0xFD; the host takes its
  // text after each frame.
  SdscConsole sdsc;

  // ---- What a frame leaves ----
  // The picture as colour indexes 0-31, row-major: 256 x FrameHeight().
  const std::uint8_t* Frame() const { return video.frame; }
  // The last whole picture's lines: 192, or in mode 4's taller pictures 224
  // (or 240, on a PAL console).
  int FrameHeight() const { return video.frameHeight; }
  // The colour RAM as the program wrote it: 32 bytes of --BBGGRR on the
  // Master System, 64 bytes (32 little-endian words of ----BBBBGGGGRRRR)
  // on the Game Gear.
  const std::uint8_t* ColourRam() const { return video.cram; }
  // What the frame's indexes stand for, in the same format: the colour RAM,
  // or in the video chip's older modes a fixed table of their 16 colours.
  // Hosts convert the frame with this.
  const std::uint8_t* ShownColours() const { return video.ShownColours(); }
  // The console is a Game Gear: its screen is the 160 x 144 window.
  bool GameGear() const { return video.gameGear || compatibility; }
  // A Game Gear running a Master System image: the video chip works as the
  // Master System's (its colour RAM too), the picture is scaled into the
  // handheld's screen, and Start is the pause button.
  bool CompatibilityMode() const { return compatibility; }
  // ShownColours holds colour words, ----BBBBGGGGRRRR (the Game Gear's
  // colour RAM, an SG-1000's TMS9918 colours); else Master System bytes.
  bool GameGearColours() const { return video.gameGear || video.tms9918; }
  // When the picture a player sees is not the frame through the colour RAM
  // (the Game Gear's scaled picture, the 3-D glasses' eyes), the frame's end
  // leaves it as 256 x 192 colour words (----BBBBGGGGRRRR), the Game Gear's
  // window of it in the same place as a Game Gear frame's; null otherwise.
  bool ScreenInColours() const { return compatibility || GlassesOn(); }
  const std::uint16_t* ScreenColours() const { return ScreenInColours() ? screen : nullptr; }
  // The frame's sound: the PSG's, or with the FM unit the two chips as the
  // audio control port mixes them.
  const std::int16_t* Samples() const { return mixing ? mixed : psg.Samples(); }
  int SampleCount() const { return psg.SampleCount(); }
  std::uint64_t FrameCount() const { return framesRun; }

  // ---- Cartridge RAM ----
  // (The SG-1000's extra 8 KB are its first 8 KB; they keep no battery.)
  std::uint8_t* CartridgeRam() { return cartridge.ram; }
  const std::uint8_t* CartridgeRam() const { return cartridge.ram; }
  // The RAM was mapped for writing since the host last saved it.
  bool CartridgeRamDirty() const { return cartridgeRamDirty; }
  // The program switched the RAM out during the last frame, which is a
  // cartridge's way of saying its save is complete: the host should write the
  // battery file now. Reading clears it.
  bool TakeSaveRequest();
  // The host wrote the RAM to its battery file.
  void MarkCartridgeRamSaved() { cartridgeRamDirty = false; }

  // ---- Controller ports ----
  // What is plugged into port 0 or 1 (the pad by default); the console's
  // reset does not change it.
  void SetPeripheral(int port, Peripheral kind);
  Peripheral GetPeripheral(int port) const { return device[port & 1].kind; }
  // With the 3-D glasses plugged into either port, the picture shown is
  // chosen by this view.
  void SetGlassesView(GlassesView view) { glassesView = view; }
  bool GlassesOn() const { return device[0].kind == Peripheral::kGlasses || device[1].kind == Peripheral::kGlasses; }

  // ---- What changed, for snapshots taken every frame ----
  // Pages of the large memories that may have been written since the last
  // TakeMemoryChanges (bit n is page n). A rewind snapshot copies and
  // compares only these instead of the whole 56 KB.
  struct MemoryChanges {
    std::uint64_t vram = 0;          // 256-byte pages
    std::uint32_t cartridgeRam = 0;  // 1 KB pages
    std::uint8_t systemRam = 0;      // 1 KB pages
  };
  MemoryChanges TakeMemoryChanges();
  // Everything counts as changed: for whoever writes the memories directly.
  void MarkMemoryChanged();

  // Which console: Japanese (the nationalisation lines always read high,
  // and a Game Gear's port 0x00 reads bit 6 low), export NTSC or export PAL
  // (313 lines at 3,546,893 Hz), or kFromImage: the one the image's header
  // names (Japanese for a Japanese region code, else export NTSC). Takes
  // effect at once, between frames; LoadCartridge settles kFromImage again.
  // A Game Gear has no PAL model: there export PAL runs as export NTSC.
  void SetRegion(Region choice);
  Region GetRegionChoice() const { return regionChoice; }
  // The console running now (never kFromImage).
  Region CurrentRegion() const { return region; }
  // Runs as this console (not kFromImage) until the next SetRegion or
  // LoadCartridge: a loaded state's.
  void UseRegion(Region running);
  // The older switch: Japanese, or as the image says.
  void SetJapanese(bool japanese) { SetRegion(japanese ? Region::kJapanese : Region::kFromImage); }
  bool Japanese() const { return exportConsole == 0; }

  // ---- The FM unit ----
  // A Japanese Master System has the YM2413 FM unit built in; an export one
  // has it when the player asks for it (the Mark III's add-on). The Game
  // Gear never has it. Takes effect at the next reset.
  void SetFmUnitAsked(bool asked) { fmAsked = asked; }
  bool FmUnitAsked() const { return fmAsked; }
  // The unit answers ports 0xF0-0xF2 now.
  bool FmUnit() const { return fmUnit; }

  // ---- The sound log ----
  // While on, every write the sound chips take is noted with its cycle in
  // the frame, for a host writing a sound log (VGM). The notes are the last
  // frame's, read between frames.
  struct SoundWrite {
    std::uint32_t cycle;
    std::uint8_t chip;  // 0 the PSG (value is the byte), 1 the FM chip (register, value)
    std::uint8_t reg;
    std::uint8_t value;
  };
  static constexpr int kMaxSoundWrites = 8192;
  void SetSoundLog(bool on) {
    soundLog = on;
    soundWriteCount = 0;
    soundWritesLost = 0;
  }
  bool SoundLogOn() const { return soundLog; }
  const SoundWrite* SoundWrites() const { return soundWrites; }
  int SoundWriteCount() const { return soundWriteCount; }
  // Writes of the last frame past kMaxSoundWrites, which the notes lack.
  int SoundWritesLost() const { return soundWritesLost; }

  // ---- The processor's hooks (called by the interpreter) ----
  // The map is eight 8 KB pieces: the three 16 KB slots take two each, and
  // the system RAM fills the last two (0xE000-0xFFFF mirrors 0xC000-0xDFFF).
  // A read is one table look-up. A write goes straight to RAM; writes to
  // ROM (a null write piece: a board's registers may live there) and to the
  // top eight bytes (the Sega board's registers, the 3-D glasses) take the
  // slow path.
  std::uint8_t ReadMem(std::uint16_t address) { return readPage[address >> 13][address & 0x1FFF]; }
  void WriteMem(std::uint16_t address, std::uint8_t value) {
    std::uint8_t* piece = writePage[address >> 13];
    if (address >= 0xFFF8 || piece == nullptr) [[unlikely]] {
      WriteSlow(address, value);
      return;
    }
    piece[address & 0x1FFF] = value;
    busWritten |= std::uint64_t{1} << (address >> 10);
  }
  void OutPort(std::uint16_t port, std::uint8_t value);
  std::uint8_t InPort(std::uint16_t port);
  void Patch() {}
  // Defined in ConsoleLoop.h, and inlined into the plain frame's line loop
  // (ConsoleFrame.cpp); the debugger's frames call it through LoopOutOfLine.
  [[gnu::always_inline]] inline std::uint16_t Loop();

  // Processor cycles since the start of the current frame.
  std::uint32_t CyclesIntoFrame() const {
    return static_cast<std::uint32_t>(lineInFrame * timing.cyclesPerLine + (cpu.cyclesPerLine - cpu.cyclesLeft));
  }

  // The running console's timing: kNtscTiming or kPalTiming.
  Timing timing;
  Z80Core cpu;
  Video video;
  Psg psg;
  Fm fm;
  Cartridge cartridge;
  Logger log;

  // ---- Emulated state besides the chips ----
  std::uint8_t systemRam[kSystemRamSize] = {};
  // Port 0x3E, memory control; a set bit disables: 7 expansion slot,
  // 6 cartridge, 5 card slot, 4 work RAM, 3 boot program, 2 I/O chip.
  std::uint8_t memoryControl = kMemoryControlCartridge;
  // The boot program's slots 0-2 as last written to 0xFFFD-0xFFFF.
  std::uint8_t biosBank[3] = {0, 1, 2};
  std::uint8_t exportConsole = 1;     // 0: Japanese console
  std::uint8_t nationalLines = 0xC0;  // port 0xDD bits 6-7 as the program set them
  std::uint8_t portDC = 0xFF;         // controller bytes, active low, as of the last frame end
  std::uint8_t portDD = 0x3F;         // bits 0-5 only; bits 6-7 come from nationalLines
  std::uint8_t port00 = 0xFF;         // bit 7: Game Gear Start, active low
  bool pauseHeld = false;             // the pause line's last level (an NMI is raised on its edge)
  std::uint8_t ioControl = 0xFF;      // port 0x3F as last written: TR and TH directions and levels
  // The H counter as the last TH edge latched it, read through port 0x7F:
  // a TH output of port 0x3F rising from 0 to 1 (an input counts as 1, its
  // pull-up), or the light gun's sensor at the beam's pass over its aim.
  std::uint8_t hCounterLatch = 0;
  bool hCounterLatched = false;  // some edge has latched it since the reset
  std::uint8_t thLevels = 3;     // TH levels as port 0x3F set them (bit 0 port 1, bit 1 port 2)
  // ThLevels as ioControl now sets them.
  std::uint8_t ThLevels() const;
  std::uint8_t glassesShutter = 0;    // bit 0 of the last write to 0xFFF8-0xFFFB: which eye sees
  // ---- SG-1000 and SC-3000 ----
  // The extra cartridge RAM's address >> 8 (0x20 or 0x80; 0: none yet),
  // and whether that is settled (chosen, or found by a first write).
  std::uint8_t sgRamAt = 0;
  bool sgRamSettled = true;
  // The SC-3000's 8255: its control word and port C as last written; port
  // C bits 0-2 choose the keyboard row while port C's low half is an output.
  std::uint8_t ppiControl = kPpiAllInputs;
  std::uint8_t ppiPortC = 0;
  // The keys held as of the last frame end, rows 0-6, active high.
  std::uint16_t keyRows[kKeyboardRows] = {};
  static constexpr std::uint8_t kPpiAllInputs = 0x9B;
  PortDevice device[2];
  bool fmUnit = false;                // the FM unit is fitted (ports 0xF0-0xF2 answer)
  std::uint8_t audioControl = 0;      // port 0xF2 bits 0-1: 0 PSG, 1 FM, 2 neither, 3 both
  bool cartridgeRamDirty = false;
  bool saveRequest = false;
  bool savePending = false;           // RAM switched out this frame: save at frame end
  int lineInFrame = 0;                // lines finished in the frame being run
  std::uint64_t framesRun = 0;

  // Rebuilds the slot pointers from the board's registers and port 0x3E
  // (after a reset, a load or a restored state).
  void Remap();
  // Makes every copy of the SG-1000's or SC-3000's work RAM the first one
  // (after the memory was written directly, as a restored state does).
  void MirrorSgRam();

  // Port 0x3E as the boot program leaves it when it starts a cartridge:
  // cartridge, work RAM and I/O chip on, the rest off.
  static constexpr std::uint8_t kMemoryControlCartridge = 0xAB;
  // Port 0x3E at power-on with a boot program: it, work RAM and I/O on.
  static constexpr std::uint8_t kMemoryControlBios = 0xE3;

 private:
  friend class DebugBus;
  std::uint16_t LoopOutOfLine();
  void RunFramePlain(const FrameInput& input);
  void BeginFrame(const FrameInput& input);
  void FinishFrame();
  void RunFrameStoppable(const FrameInput& input);
  DebugHooks* debugHooks = nullptr;
  bool stopped = false;  // a frame is partway, stopped before an instruction
  void WriteSlow(std::uint16_t address, std::uint8_t value);
  // A write the cartridge's board takes: its RAM mapped in or out (a save
  // then due), its banks moved.
  void WriteBoard(std::uint16_t address, std::uint8_t value);
  void TakeWriteEffect(const Cartridge::WriteEffect& effect);
  // The SG-1000's and SC-3000's memory map, writes and ports.
  void RemapSg();
  // Places the SG-1000's extra cartridge RAM for a new image, when a board
  // without a mapper leaves room for it (`fitted`).
  void PlaceSgCartridgeRam(const std::uint8_t* bytes, std::size_t size, bool fitted);
  void WriteSlowSg(std::uint16_t address, std::uint8_t value);
  void OutPortSg(std::uint8_t port, std::uint8_t value);
  std::uint8_t InPortSg(std::uint8_t port);
  std::uint8_t ReadPpi(int port);
  void WritePpi(int port, std::uint8_t value);
  // The 1 KB (SG-1000) or 2 KB (SC-3000) of work RAM, mirrored through
  // 0xC000-0xFFFF: the 8 KB piece holds every copy, and writes keep them equal.
  int SgRamSize() const { return running == ConsoleKind::kSc3000 ? 0x800 : 0x400; }
  void WriteMemoryControl(std::uint8_t value);
  bool IoEnabled() const { return !(memoryControl & 0x04); }
  void SetNationalisation(std::uint8_t value);
  void WriteAudioControl(std::uint8_t value);
  // The frame's end with the FM unit: both chips' samples through the audio
  // control port's switches.
  void MixSound();
  void ApplyInput(const FrameInput& input);
  // The lines of ports 0xDC and 0xDD as a read sees them now.
  std::uint8_t ReadPortDC();
  std::uint8_t ReadPortDD();
  void WriteIoControl(std::uint8_t value);
  // The light gun's TH line at the beam's present place (true: low, lit), and
  // the H counter latched if the beam has passed its aim on the present line
  // (or, lineFinished, on the line just run).
  bool GunSeesLight(const PortDevice& gun) const;
  void LatchGunCounter(bool lineFinished);
  // The frame's end: the picture a player sees, when it is not the frame.
  void ComposeScreen();
  // Moves the written marks of the address space to the memories its write
  // pieces point at (before the mapping changes, and when changes are taken).
  void FoldWrites();

  // 1 KB parts of the address space written since the last fold, and the
  // 1 KB pages of the system and cartridge RAM written since the last
  // TakeMemoryChanges: bookkeeping for snapshots, never saved.
  std::uint64_t busWritten = ~std::uint64_t{0};
  std::uint8_t systemRamWritten = 0xFF;
  std::uint32_t cartridgeRamWritten = ~std::uint32_t{0};

  // The shutter value (bit 0 of a glasses write) that opens the left eye.
  // Unverified which of the two it is; with 0, a program that never drives
  // the glasses shows every frame to the left eye.
  static constexpr int kLeftEye = 0;
  FrameInput pendingInput;
  ConsoleKind consoleKind = ConsoleKind::kFromImage;
  ConsoleKind running = ConsoleKind::kMasterSystem;
  SgCartridgeRam sgRamChoice = SgCartridgeRam::kAuto;
  // Parts of the map a first write may put the extra RAM in: nothing of the
  // image is there (past its end, blank, or a mirror of the part before).
  bool sgRamMay2000 = false;
  bool sgRamMay8000 = false;
  Region regionChoice = Region::kFromImage;
  Region region = Region::kExport;
  bool japaneseImage = false;  // the loaded image's header has a Japanese region code
  // Puts the console of regionChoice in place (timing and market).
  void ApplyRegion();
  bool compatibility = false;
  GlassesView glassesView = GlassesView::kLeftEye;
  // The picture shown when ScreenInColours; each eye's latest frame as
  // colours, and a picture being put together. Derived, never saved.
  std::uint16_t screen[Video::kFrameSize] = {};
  std::uint16_t eyeColours[2][Video::kFrameSize] = {};
  std::uint16_t work[Video::kFrameSize] = {};
  // 8 KB piece pointers: derived from the mapper registers by Remap, never saved.
  static constexpr int kPieceSize = 0x2000;
  std::uint8_t* readPage[8] = {};
  std::uint8_t* writePage[8] = {};
  bool biosShown = false;       // the boot program fills 0x0000-0xBFFF
  bool cartridgeShown = false;  // the cartridge does
  std::optional<Board> boardChoice;
  bool fmAsked = false;
  // The sound log's notes of the frame being run; never saved.
  void NoteSoundWrite(std::uint8_t chip, std::uint8_t reg, std::uint8_t value) {
    if (soundWriteCount == kMaxSoundWrites) {
      ++soundWritesLost;
      return;
    }
    soundWrites[soundWriteCount++] = {CyclesIntoFrame(), chip, reg, value};
  }
  bool soundLog = false;
  int soundWriteCount = 0;
  int soundWritesLost = 0;
  SoundWrite soundWrites[kMaxSoundWrites] = {};
  // The audio control port as the frame began and its changes within the
  // frame (by output sample); the mixed samples. Frame-local, never saved.
  static constexpr int kMaxControlChanges = 16;
  struct ControlChange {
    std::uint32_t sample;
    std::uint8_t value;
  };
  ControlChange controlChanges[kMaxControlChanges] = {};
  int controlChangeCount = 0;
  std::uint8_t frameControl = 0;
  bool mixing = false;
  std::int16_t mixed[Psg::kMaxFrameSamples] = {};
  std::unique_ptr<std::uint8_t[]> bios;  // biosPages pages of 16 KB
  int biosPages = 0;
  std::uint8_t openBus[kPieceSize] = {};  // what a disabled or empty piece reads: 0xFF
};
