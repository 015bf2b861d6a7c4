#include "console/Console.h"

// Only the exact port numbers below answer: there is no partial decoding and
// no mirroring of ports.

void Console::OutPort(std::uint16_t port, std::uint8_t value) {
  switch (port) {
    case 0x00: case 0x01: case 0xDE: case 0xDF: case 0xF0: case 0xF1: case 0xF2:
      return;  // peripherals the console does not have; silent by design
    case 0x3E: case 0x3F:
      SetNationalisation(value);
      return;
    case 0x7E: case 0x7F:
      psg.Write(CyclesIntoFrame(), value);
      return;
    case 0xBD: case 0xBF:
      video.WriteControl(value);
      return;
    case 0xBE:
      video.WriteData(value);
      return;
    default:
      log.Printf("Out[%2X]: %d\r\n", port, value);
      return;
  }
}

// An export console lets the cartridge drive the two nationalisation lines
// (bits 6 and 7 of port 0xDD) through the I/O control port; a Japanese
// console keeps them high, which is how cartridges tell the two apart.
void Console::SetNationalisation(std::uint8_t value) {
  if (!exportConsole || (value & 0x0F) != 0x05) return;
  nationalLines = (value & 0xF0) == 0xF0 ? 0xC0 : 0x00;
}

std::uint8_t Console::InPort(std::uint16_t port) {
  switch (port) {
    case 0x00:
      return port00;
    case 0x7E:
      return video.ReadVCounter();
    case 0x7F:
      return video.ReadHCounter(cpu.cyclesPerLine, cpu.cyclesLeft);
    case 0xBD: case 0xBF:
      return video.ReadStatus();
    case 0xBE:
      return video.ReadData();
    case 0xC0: case 0xDC:
      return portDC;
    case 0xC1: case 0xDD:
      return static_cast<std::uint8_t>(portDD | (exportConsole ? nationalLines : 0xC0));
    case 0xDE: case 0xDF: case 0xF2:
      return 0xFF;
    default:
      log.Printf("In[%02X]\r\n", port);
      return 0xFF;
  }
}
