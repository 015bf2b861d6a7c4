// Colour RAM writes: the bytes are kept as the program wrote them; the host
// turns them into its own pixels.
#include "vdp/Video.h"

void Video::WriteColour(std::uint8_t value) {
  if (!gameGear) {
    // Master System: 32 entries of one byte, --BBGGRR.
    address &= 0x1F;
  } else {
    // Game Gear: 32 entries of two bytes, even GGGGRRRR, odd ----BBBB; each
    // byte takes effect as it is written.
    address &= 0x3F;
  }
  cram[address] = value;
}
