#include "debugger/Disassembler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The documented instructions, by the groups of the processor's manual.
bool DocumentedCB(int op) { return op < 0x30 || op > 0x37; }  // 30-37: SLL
bool DocumentedED(int op) {
  const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1;
  if (x == 2) return y >= 4 && z < 4;  // the block instructions
  if (x != 1) return false;
  switch (z) {
    case 0: case 1: return y != 6;   // IN r,(C) / OUT (C),r
    case 2: return true;             // SBC / ADC HL,rr
    case 3: return p != 2;           // LD (nn),rr / LD rr,(nn); HL's has a shorter form
    case 4: return y == 0;           // NEG
    case 5: return y <= 1;           // RETN, RETI
    case 6: return y == 0 || y == 2 || y == 3;  // IM 0, 1, 2
    default: return y <= 5;          // LD I,A ... RLD
  }
}
bool DocumentedIndexed(int op) {  // after DD / FD: the HL forms
  static const int kOps[] = {0x09, 0x19, 0x21, 0x22, 0x23, 0x29, 0x2A, 0x2B, 0x34, 0x35, 0x36, 0x39,
                             0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75,
                             0x77, 0x7E, 0x86, 0x8E, 0x96, 0x9E, 0xA6, 0xAE, 0xB6, 0xBE, 0xE1, 0xE3,
                             0xE5, 0xE9, 0xF9};
  for (int documented : kOps) {
    if (op == documented) return true;
  }
  return false;
}
bool DocumentedIndexedCB(int op) { return (op & 7) == 6 && DocumentedCB(op); }

struct Encoding {
  std::vector<std::uint8_t> bytes;  // opcode bytes, operands after
};

// Every documented instruction, with operand bytes that exercise a
// negative displacement and an immediate that is not a small number.
std::vector<Encoding> DocumentedEncodings() {
  std::vector<Encoding> all;
  const std::vector<std::uint8_t> tail = {0x85, 0x3C, 0x7E};
  auto add = [&](std::vector<std::uint8_t> bytes) {
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    all.push_back({bytes});
  };
  for (int op = 0; op < 256; ++op) {
    if (op != 0xCB && op != 0xDD && op != 0xED && op != 0xFD) add({static_cast<std::uint8_t>(op)});
    if (DocumentedCB(op)) add({0xCB, static_cast<std::uint8_t>(op)});
    if (DocumentedED(op)) add({0xED, static_cast<std::uint8_t>(op)});
    for (std::uint8_t prefix : {0xDD, 0xFD}) {
      if (DocumentedIndexed(op)) add({prefix, static_cast<std::uint8_t>(op)});
      if (DocumentedIndexedCB(op)) add({prefix, 0xCB, 0x85, static_cast<std::uint8_t>(op)});
    }
  }
  return all;
}

std::string HexBytes(const std::uint8_t* bytes, int count) {
  std::string text;
  char part[4];
  for (int i = 0; i < count; ++i) {
    std::snprintf(part, sizeof part, "%02X ", bytes[i]);
    text += part;
  }
  return text;
}

// Each documented instruction's text, assembled back by pasmo, gives the
// bytes it came from.
TEST(Disassembler, DocumentedInstructionsAssembleBack) {
  const std::vector<Encoding> encodings = DocumentedEncodings();
  ASSERT_GT(encodings.size(), 650u);
  // Far enough from 0 that a backward relative jump does not wrap.
  constexpr std::uint16_t kOrigin = 0x4000;
  std::string source = " org $4000\n";
  std::vector<std::uint8_t> expected;
  std::vector<std::string> lines;
  std::vector<std::size_t> starts;
  std::uint16_t address = kOrigin;
  for (const Encoding& encoding : encodings) {
    const Disassembly d = Disassemble(encoding.bytes.data(), address);
    ASSERT_GE(d.length, 1) << HexBytes(encoding.bytes.data(), 4);
    ASSERT_LE(static_cast<std::size_t>(d.length), encoding.bytes.size());
    ASSERT_EQ(d.text.find("db "), std::string::npos) << HexBytes(encoding.bytes.data(), 4) << "-> " << d.text;
    starts.push_back(expected.size());
    expected.insert(expected.end(), encoding.bytes.begin(), encoding.bytes.begin() + d.length);
    lines.push_back(d.text);
    source += " " + d.text + "\n";
    address = static_cast<std::uint16_t>(address + d.length);
  }

  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("tavrin-disasm-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const std::string asmPath = (dir / "all.asm").string();
  const std::string binPath = (dir / "all.bin").string();
  std::ofstream(asmPath) << source;
  const std::string command = std::string(TAVRIN_PASMO) + " --bin " + asmPath + " " + binPath + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "pasmo refused " << asmPath;
  std::ifstream in(binPath, std::ios::binary);
  const std::vector<std::uint8_t> assembled((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(dir);

  ASSERT_EQ(assembled.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t end = i + 1 < lines.size() ? starts[i + 1] : expected.size();
    const std::size_t count = end - starts[i];
    EXPECT_TRUE(std::equal(expected.begin() + starts[i], expected.begin() + end, assembled.begin() + starts[i]))
        << lines[i] << ": " << HexBytes(&expected[starts[i]], static_cast<int>(count)) << "assembled as "
        << HexBytes(&assembled[starts[i]], static_cast<int>(count));
  }
}

// Undocumented forms, do-nothing prefixes, targets and labels.
TEST(Disassembler, Forms) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::uint16_t address;
    const char* text;
    int length;
    std::int32_t target;
  };
  const Case cases[] = {
      {{0xCB, 0x31}, 0, "sll c", 2, -1},
      {{0xDD, 0x65}, 0, "ld ixh,ixl", 2, -1},
      {{0xFD, 0x66, 0x02}, 0, "ld h,(iy+$02)", 3, -1},
      {{0xDD, 0xCB, 0xFE, 0x07}, 0, "rlc (ix-$02),a", 4, -1},
      {{0xFD, 0xCB, 0x01, 0x41}, 0, "bit 0,(iy+$01)", 4, -1},
      {{0xDD, 0xCB, 0x01, 0xC0}, 0, "set 0,(ix+$01),b", 4, -1},
      {{0xED, 0x70}, 0, "in (c)", 2, -1},
      {{0xED, 0x71}, 0, "out (c),0", 2, -1},
      {{0xED, 0x4C}, 0, "neg", 2, -1},
      {{0xED, 0x00}, 0, "db $ED,$00", 2, -1},
      {{0xDD, 0x00}, 0, "db $DD", 1, -1},
      {{0xFD, 0xFD}, 0, "db $FD", 1, -1},
      {{0x18, 0xFE}, 0x2345, "jr $2345", 2, 0x2345},
      {{0x10, 0x80}, 0x0010, "djnz $FF92", 2, 0xFF92},
      {{0xCD, 0x34, 0x12}, 0, "call Draw+$4", 3, 0x1234},
      {{0xC3, 0x30, 0x12}, 0, "jp Draw", 3, 0x1230},
      {{0x21, 0x34, 0x12}, 0, "ld hl,$1234", 3, -1},  // an immediate takes only an exact label
      {{0x3A, 0x31, 0x12}, 0, "ld a,(Draw+$1)", 3, -1},
      {{0xFF}, 0, "rst $38", 1, 0x38},
  };
  const AddressNamer namer = [](std::uint16_t address, bool exact) -> std::string {
    if (address == 0x1230) return "Draw";
    if (!exact && address > 0x1230 && address < 0x1240) return "Draw+$" + std::to_string(address - 0x1230);
    return {};
  };
  for (const Case& c : cases) {
    std::uint8_t bytes[4] = {};
    std::copy(c.bytes.begin(), c.bytes.end(), bytes);
    const Disassembly d = Disassemble(bytes, c.address, namer);
    EXPECT_EQ(d.text, c.text) << HexBytes(bytes, 4);
    EXPECT_EQ(d.length, c.length) << c.text;
    EXPECT_EQ(d.target, c.target) << c.text;
  }
}

}  // namespace
