#include "console/Console.h"

// Only the exact port numbers below answer: there is no partial decoding and
// no mirroring of ports.

void Console::OutPort(std::uint16_t port, std::uint8_t value) {
  if (SgFamily()) [[unlikely]] {
    OutPortSg(static_cast<std::uint8_t>(port), value);
    return;
  }
  switch (port) {
    case 0x00: case 0x01: case 0xDE: case 0xDF:
      return;  // peripherals the console does not have; silent by design
    case 0xF0:
      if (fmUnit) fm.WriteAddress(value);
      return;
    case 0xF1:
      if (!fmUnit) return;
      fm.WriteData(CyclesIntoFrame(), value);
      if (soundLog) [[unlikely]] NoteSoundWrite(1, fm.Address(), value);
      return;
    case 0xF2:
      if (fmUnit) WriteAudioControl(value);
      return;
    case 0x3E:
      WriteMemoryControl(value);
      return;
    case 0x3F:
      WriteIoControl(value);
      return;
    case 0x7E: case 0x7F:
      psg.Write(CyclesIntoFrame(), value);
      if (soundLog) [[unlikely]] NoteSoundWrite(0, 0, value);
      return;
    case 0xBD: case 0xBF:
      video.WriteControl(value);
      return;
    case 0xBE:
      video.WriteData(value);
      return;
    default:
      // The homebrew debug console, out of the switch: two more cases there
      // cost every port write an instruction or two.
      if (port == 0xFC) {
        sdsc.Control(value);
      } else if (port == 0xFD) {
        sdsc.Data(value, *this);
      } else {
        log.Printf("Out[%2X]: %d\r\n", port, value);
      }
      return;
  }
}

void Console::WriteAudioControl(std::uint8_t value) {
  value &= 3;
  if (value == audioControl) return;
  audioControl = value;
  // Where the switch falls among the frame's output samples; the last few
  // changes of a frame that makes more share the last place.
  const std::uint32_t sample =
      static_cast<std::uint32_t>(std::uint64_t{CyclesIntoFrame()} * Psg::kSampleRate / psg.Clock());
  if (controlChangeCount == kMaxControlChanges) --controlChangeCount;
  controlChanges[controlChangeCount++] = {sample, value};
}

// An export console lets the cartridge drive the two nationalisation lines
// (bits 6 and 7 of port 0xDD) through the I/O control port; a Japanese
// console keeps them high, which is how cartridges tell the two apart.
void Console::SetNationalisation(std::uint8_t value) {
  if (!exportConsole || (value & 0x0F) != 0x05) return;
  nationalLines = (value & 0xF0) == 0xF0 ? 0xC0 : 0x00;
}

// Memory control: which of the cartridge, the card slot, the boot program
// and the work RAM answer in the memory map, and whether the I/O chip
// answers the controller ports. Nothing sits in the expansion or card slot.
void Console::WriteMemoryControl(std::uint8_t value) {
  if (value == memoryControl) return;
  memoryControl = value;
  Remap();
}

std::uint8_t Console::InPort(std::uint16_t port) {
  if (SgFamily()) [[unlikely]] return InPortSg(static_cast<std::uint8_t>(port));
  switch (port) {
    case 0x00:
      // A Game Gear tells its market in bit 6: 1 export, 0 Japanese.
      return static_cast<std::uint8_t>(GameGear() && !exportConsole ? port00 & ~0x40 : port00);
    case 0x7E:
      return video.ReadVCounter();
    case 0x7F:
      // The counter as the last TH edge latched it, never the running one.
      LatchGunCounter(false);
      return hCounterLatch;
    case 0xBD: case 0xBF:
      return video.ReadStatus();
    case 0xBE:
      return video.ReadData();
    case 0xC0: case 0xDC:
      return IoEnabled() ? ReadPortDC() : 0xFF;
    case 0xC1: case 0xDD:
      return IoEnabled() ? ReadPortDD() : 0xFF;
    case 0xF2:
      // With the unit, the audio control's two bits read back (how programs
      // find it); without, nothing drives the bus.
      return fmUnit ? audioControl : 0xFF;
    case 0xDE: case 0xDF:
      return 0xFF;
    default:
      log.Printf("In[%02X]\r\n", port);
      return 0xFF;
  }
}

// ---- Controller ports ----
// Port 0xDC: port 1's six lines, then port 2's up and down. Port 0xDD: port
// 2's other four lines, reset, an unused line read high, and the TH lines of
// ports 1 and 2.

namespace {

constexpr std::uint8_t kThInputA = 0x02;   // port 0x3F: port 1's TH is an input
constexpr std::uint8_t kThInputB = 0x08;
constexpr std::uint8_t kThLevelA = 0x20;   // the level port 1's TH is driven to
constexpr std::uint8_t kThLevelB = 0x80;

}  // namespace

void Console::SetPeripheral(int port, Peripheral kind) {
  PortDevice& d = device[port & 1];
  if (d.kind == kind) return;
  const std::uint8_t padLines = d.padLines;
  d = PortDevice{};
  d.kind = kind;
  d.padLines = padLines;
}

std::uint8_t Console::ReadPortDC() {
  const std::uint8_t a = device[0].DataLines();
  const std::uint8_t b = device[1].DataLines();
  // The paddle's own flip-flop turns to the other nibble after each read of
  // the port that carries its TR line, so a program waiting for TR to change
  // gets the nibbles in turn.
  if (device[0].kind == Peripheral::kPaddle) device[0].paddleHigh = !device[0].paddleHigh;
  return static_cast<std::uint8_t>((a & 0x3F) | (b & 0x03) << 6);
}

std::uint8_t Console::ReadPortDD() {
  const std::uint8_t b = device[1].DataLines();
  if (device[1].kind == Peripheral::kPaddle) device[1].paddleHigh = !device[1].paddleHigh;
  std::uint8_t value = static_cast<std::uint8_t>((b >> 2) | (portDD & 0x30));
  // A TH line the console drives reads as the nationalisation lines say; an
  // input reads the peripheral, which pulls it low only for the light gun's
  // sensor.
  const std::uint8_t driven = exportConsole ? nationalLines : 0xC0;
  const bool inputs[2] = {(ioControl & kThInputA) != 0, (ioControl & kThInputB) != 0};
  for (int port = 0; port < 2; ++port) {
    const std::uint8_t bit = static_cast<std::uint8_t>(0x40 << port);
    if (!inputs[port]) {
      value |= driven & bit;
    } else if (!(device[port].kind == Peripheral::kLightGun && GunSeesLight(device[port]))) {
      value |= bit;
    }
  }
  return value;
}

std::uint8_t Console::ThLevels() const {
  // An input is pulled high; an output is at the level written.
  std::uint8_t levels = 0;
  if (ioControl & (kThInputA | kThLevelA)) levels |= 1;
  if (ioControl & (kThInputB | kThLevelB)) levels |= 2;
  return levels;
}

void Console::WriteIoControl(std::uint8_t value) {
  ioControl = value;
  // A TH line rising from 0 to 1 latches the H counter where the beam is.
  const std::uint8_t levels = ThLevels();
  if (levels & ~thLevels) {
    hCounterLatch = video.ReadHCounter(cpu.cyclesPerLine, cpu.cyclesLeft);
    hCounterLatched = true;
  }
  thLevels = levels;
  SetNationalisation(value);
  if (!(value & kThInputA)) device[0].DriveTh((value & kThLevelA) != 0);
  if (!(value & kThInputB)) device[1].DriveTh((value & kThLevelB) != 0);
}

// ---- The light gun ----
// The gun's sensor sees the beam while it draws near the point aimed at: on
// the lines from kGunRows above to kGunRows below it, from the aimed column
// to the end of the line. The TH line is low while it sees light, and the
// H counter is latched where the beam passes the aim: the sensor's pulse as
// the spot crosses its view, short on the real gun, is where its edge is.
// Here TH stays low to the line's end so that a program polling it sees it;
// unverified: how many lines the real sensor sees and for how long.
namespace {
constexpr int kGunRows = 2;
}

bool Console::GunSeesLight(const PortDevice& gun) const {
  const PointerInput& aim = gun.pointer;
  if (aim.x < 0 || aim.x >= Video::kWidth || aim.y < 0 || aim.y >= video.frameHeight) return false;
  const int line = video.line;
  if (line < aim.y - kGunRows || line > aim.y + kGunRows) return false;
  // Three pixels pass for every two processor cycles.
  const int beamX = (cpu.cyclesPerLine - cpu.cyclesLeft) * 3 / 2;
  return beamX >= aim.x;
}

void Console::LatchGunCounter(bool lineFinished) {
  for (int port = 0; port < 2; ++port) {
    const PortDevice& gun = device[port];
    if (gun.kind != Peripheral::kLightGun || !(ioControl & (port ? kThInputB : kThInputA))) continue;
    const PointerInput& aim = gun.pointer;
    if (aim.x < 0 || aim.x >= Video::kWidth || aim.y < 0 || aim.y >= video.frameHeight) continue;
    // Has the beam passed the aim on a lit line?
    const int line = video.line;
    if (line < aim.y - kGunRows || line > aim.y + kGunRows || !(lineFinished || GunSeesLight(gun))) continue;
    const std::int32_t cyclesAtAim = aim.x * 2 / 3;
    hCounterLatch = video.ReadHCounter(cpu.cyclesPerLine, cpu.cyclesPerLine - cyclesAtAim);
    hCounterLatched = true;
  }
}
