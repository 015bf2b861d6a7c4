// Speed of the Z80 interpreter in emulated MHz (T-states per second).
//
// A processor with 64 KB of flat memory behind its hooks runs a fixed mixed
// workload for a fixed number of 228-cycle periods, five times, and prints
// each figure and the median. The hooks are the bus's, bound statically
// (Z80Core::RunWith), as the console runs them. Then the same workload
// runs as a cartridge inside the console (banked reads through the slot
// pages, the mapper check on writes, the video chip's per-line step with the
// display off), five times, for the cost of the console's memory map.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "console/Console.h"
#include "console/ConsoleLoop.h"
#include "z80/Z80Core.h"
#include "z80/Z80Execute.h"

namespace {

// The workload, an endless loop at 0x0003:
//   0000 31 00 F0        LD SP,F000
//   main:
//   0003 21 00 40        LD HL,4000       ; copy 128 bytes 4000 -> C000
//   0006 11 00 C0        LD DE,C000
//   0009 01 80 00        LD BC,0080
//   000C ED B0           LDIR
//   000E 21 00 C0        LD HL,C000       ; bitwise CRC-8 (poly 07) of 32 bytes
//   0011 06 20           LD B,20
//   0013 AF              XOR A
//   crc_byte:
//   0014 AE              XOR (HL)
//   0015 0E 08           LD C,08
//   crc_bit:
//   0017 87              ADD A,A
//   0018 30 02           JR NC,skip
//   001A EE 07           XOR 07
//   skip:
//   001C 0D              DEC C
//   001D 20 F8           JR NZ,crc_bit
//   001F 23              INC HL
//   0020 10 F2           DJNZ crc_byte
//   0022 32 00 D0        LD (D000),A
//   0025 DD 21 00 C0     LD IX,C000       ; indexed loads, 16-bit sums
//   0029 06 10           LD B,10
//   002B 21 00 00        LD HL,0000
//   idx:
//   002E DD 5E 00        LD E,(IX+0)
//   0031 DD 56 01        LD D,(IX+1)
//   0034 19              ADD HL,DE
//   0035 DD 7E 02        LD A,(IX+2)
//   0038 DD 86 03        ADD A,(IX+3)
//   003B DD 77 04        LD (IX+4),A
//   003E DD 23           INC IX
//   0040 10 EC           DJNZ idx
//   0042 06 08           LD B,08          ; calls and returns
//   calls:
//   0044 C5              PUSH BC
//   0045 CD 4E 00        CALL sub
//   0048 C1              POP BC
//   0049 10 F9           DJNZ calls
//   004B C3 03 00        JP main
//   sub:
//   004E 7D              LD A,L
//   004F 84              ADD A,H
//   0050 6F              LD L,A
//   0051 CE 11           ADC A,11
//   0053 ED 52           SBC HL,DE
//   0055 13              INC DE
//   0056 C9              RET
constexpr std::array<uint8_t, 87> kWorkload = {
    0x31, 0x00, 0xF0, 0x21, 0x00, 0x40, 0x11, 0x00, 0xC0, 0x01, 0x80, 0x00, 0xED, 0xB0, 0x21,
    0x00, 0xC0, 0x06, 0x20, 0xAF, 0xAE, 0x0E, 0x08, 0x87, 0x30, 0x02, 0xEE, 0x07, 0x0D, 0x20,
    0xF8, 0x23, 0x10, 0xF2, 0x32, 0x00, 0xD0, 0xDD, 0x21, 0x00, 0xC0, 0x06, 0x10, 0x21, 0x00,
    0x00, 0xDD, 0x5E, 0x00, 0xDD, 0x56, 0x01, 0x19, 0xDD, 0x7E, 0x02, 0xDD, 0x86, 0x03, 0xDD,
    0x77, 0x04, 0xDD, 0x23, 0x10, 0xEC, 0x06, 0x08, 0xC5, 0xCD, 0x4E, 0x00, 0xC1, 0x10, 0xF9,
    0xC3, 0x03, 0x00, 0x7D, 0x84, 0x6F, 0xCE, 0x11, 0xED, 0x52, 0x13, 0xC9,
};

// The bytes the workload copies from 0x4000.
void FillData(uint8_t* data, int size) {
  uint32_t seed = 12345;
  for (int k = 0; k < size; ++k) {
    seed = seed * 1103515245u + 12345u;
    data[k] = static_cast<uint8_t>(seed >> 16);
  }
}

// The processor and its bus: flat memory, idle ports.
class BenchCpu final : public Z80Core {
 public:
  BenchCpu() {
    std::copy(kWorkload.begin(), kWorkload.end(), memory.begin());
    FillData(&memory[0x4000], 0x100);
    cyclesPerLine = 228;
    Reset();
  }

  void WriteMem(uint16_t address, uint8_t value) { memory[address] = value; }
  uint8_t ReadMem(uint16_t address) { return memory[address]; }
  void OutPort(uint16_t, uint8_t) {}
  uint8_t InPort(uint16_t) { return 0xFF; }
  void Patch() {}
  uint16_t Loop() { return kNoInterrupt; }

  std::array<uint8_t, 65536> memory{};
};

// The workload must have done its work: its CRC of the copied bytes matches
// one computed here, and pc never left the code.
template <class ReadFn>
void CheckWorkload(uint16_t pc, ReadFn read) {
  uint8_t crc = 0;
  for (int k = 0; k < 32; ++k) {
    crc ^= read(static_cast<uint16_t>(0x4000 + k));
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint8_t>((crc << 1) ^ ((crc & 0x80) ? 0x07 : 0));
  }
  if (pc >= kWorkload.size() || read(0xD000) != crc) {
    std::fprintf(stderr, "workload went wrong: pc=%04X crc=%02X expected %02X\n", pc, read(0xD000), crc);
    std::exit(1);
  }
}

double Mhz(double cycles, std::chrono::steady_clock::time_point start) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return cycles / seconds / 1e6;
}

// Runs `periods` periods and returns emulated MHz.
double Measure(long periods) {
  BenchCpu cpu;
  const int32_t startLeft = cpu.cyclesLeft;
  const auto start = std::chrono::steady_clock::now();
  for (long k = 0; k < periods; ++k) cpu.RunWith(cpu);
  // Every charged cycle: the periods, plus what the counter moved besides.
  const double mhz = Mhz(static_cast<double>(periods) * cpu.cyclesPerLine + (startLeft - cpu.cyclesLeft), start);
  CheckWorkload(cpu.pc, [&](uint16_t address) { return cpu.memory[address]; });
  return mhz;
}

// The same workload as a 32 KB cartridge (code in page 0, the data in page
// 1) inside the console, one period a scanline, as RunFrame drives it.
double MeasureInConsole(long periods) {
  std::vector<uint8_t> image(2 * Console::kPageSize, 0xFF);
  std::copy(kWorkload.begin(), kWorkload.end(), image.begin());
  FillData(&image[0x4000], 0x100);
  auto console = std::make_unique<Console>();
  if (!console->LoadCartridge(image.data(), image.size(), "bench.sms")) std::exit(1);
  console->Reset();
  Z80Core& cpu = console->cpu;
  const int32_t startLeft = cpu.cyclesLeft;
  const auto start = std::chrono::steady_clock::now();
  for (long k = 0; k < periods; ++k) cpu.RunWith(*console);
  const double mhz = Mhz(static_cast<double>(periods) * cpu.cyclesPerLine + (startLeft - cpu.cyclesLeft), start);
  CheckWorkload(cpu.pc, [&](uint16_t address) { return console->ReadMem(address); });
  return mhz;
}

double Median(std::vector<double> runs) {
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const long periods = argc > 1 ? std::atol(argv[1]) : 2000000;
  std::vector<double> runs;
  for (int run = 0; run < 5; ++run) {
    runs.push_back(Measure(periods));
    std::printf("run %d: %.1f emulated MHz\n", run + 1, runs.back());
  }
  const double flat = Median(runs);
  std::printf("median of 5 (flat memory, %ld periods of 228 cycles): %.1f emulated MHz\n", periods, flat);
  runs.clear();
  for (int run = 0; run < 5; ++run) {
    runs.push_back(MeasureInConsole(periods));
    std::printf("in the console, run %d: %.1f emulated MHz\n", run + 1, runs.back());
  }
  const double inConsole = Median(runs);
  std::printf("in the console, median of 5: %.1f emulated MHz (%.0f %% of flat memory)\n", inConsole,
              100.0 * inConsole / flat);
  return 0;
}
