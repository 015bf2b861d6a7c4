#include "debugger/Disassembler.h"

#include <cstdio>

// Decoding by the opcode's fields, as the processor does it: x (bits 7-6),
// y (5-3), z (2-0), with p = y >> 1 and q = y & 1. After DD or FD, HL becomes
// IX or IY, H and L their halves, and (HL) becomes (IX+d) with the
// displacement byte after the opcode (and then H and L stay themselves).

namespace {

const char* const kReg[8] = {"b", "c", "d", "e", "h", "l", "(hl)", "a"};
const char* const kPair[4] = {"bc", "de", "hl", "sp"};
const char* const kPair2[4] = {"bc", "de", "hl", "af"};
const char* const kCondition[8] = {"nz", "z", "nc", "c", "po", "pe", "p", "m"};
const char* const kAlu[8] = {"add a,", "adc a,", "sub ", "sbc a,", "and ", "xor ", "or ", "cp "};
const char* const kRotate[8] = {"rlc", "rrc", "rl", "rr", "sla", "sra", "sll", "srl"};
const char* const kAccumulator[8] = {"rlca", "rrca", "rla", "rra", "daa", "cpl", "scf", "ccf"};
const char* const kInterruptMode[8] = {"0", "0", "1", "2", "0", "0", "1", "2"};
const char* const kBlock[4][4] = {{"ldi", "cpi", "ini", "outi"},
                                  {"ldd", "cpd", "ind", "outd"},
                                  {"ldir", "cpir", "inir", "otir"},
                                  {"lddr", "cpdr", "indr", "otdr"}};

std::string Hex8(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "$%02X", value & 0xFF);
  return text;
}

std::string Hex16(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "$%04X", value & 0xFFFF);
  return text;
}

class Decoder {
 public:
  Decoder(const std::uint8_t* bytes, std::uint16_t address, const AddressNamer& namer)
      : b(bytes), at(address), name(namer) {}

  Disassembly Run() {
    const std::uint8_t op = b[0];
    if (op == 0xCB) {
      length = 2;
      Bits(b[1]);
    } else if (op == 0xED) {
      Extended();
    } else if (op == 0xDD || op == 0xFD) {
      Indexed(op == 0xDD ? "ix" : "iy");
    } else {
      length = 1;
      Main(op);
    }
    out.length = length;
    return out;
  }

 private:
  const std::uint8_t* b;
  std::uint16_t at;
  const AddressNamer& name;
  Disassembly out;
  int length = 1;
  // Index mode: "ix" or "iy" in place of HL; `displacement` is the index of
  // the d byte within b.
  const char* index = nullptr;
  int displacementAt = 2;

  void Set(const std::string& text) { out.text = text; }

  // An address operand: a label, or the number.
  std::string Address(unsigned value, bool exact) {
    const auto address = static_cast<std::uint16_t>(value);
    if (name) {
      std::string label = name(address, exact);
      if (!label.empty()) return label;
    }
    return Hex16(address);
  }
  // The opcode's immediate bytes start after the opcode; with an index
  // prefix one byte later, and after a displacement one more.
  int operandAt = 1;
  unsigned Byte() { return b[operandAt]; }
  unsigned Word() { return b[operandAt] | (b[operandAt + 1] << 8); }

  std::string Reg(int r) {
    if (!index) return kReg[r];
    if (r == 6) {
      const int d = static_cast<std::int8_t>(b[displacementAt]);
      return std::string("(") + index + (d < 0 ? "-" : "+") + Hex8(d < 0 ? -d : d) + ")";
    }
    if (r == 4) return std::string(index) + "h";
    if (r == 5) return std::string(index) + "l";
    return kReg[r];
  }
  std::string Pair(int p) { return p == 2 && index ? index : kPair[p]; }
  std::string Pair2(int p) { return p == 2 && index ? index : kPair2[p]; }
  std::string HL() { return index ? index : "hl"; }

  void Branch(const std::string& text, unsigned target, bool call = false) {
    out.target = static_cast<std::uint16_t>(target);
    out.isCall = call;
    Set(text + Address(target, false));
  }

  // Unprefixed opcodes, and those after DD / FD (with `index` set and the
  // length already counting the prefix and any displacement).
  void Main(std::uint8_t op) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    const auto relative = [&] {
      ++length;
      return static_cast<unsigned>(at + length + static_cast<std::int8_t>(Byte()));
    };
    if (x == 0) {
      switch (z) {
        case 0:
          if (y == 0) Set("nop");
          else if (y == 1) Set("ex af,af'");
          else if (y == 2) Branch("djnz ", relative());
          else if (y == 3) Branch("jr ", relative());
          else Branch(std::string("jr ") + kCondition[y - 4] + ",", relative());
          return;
        case 1:
          if (q == 0) {
            length += 2;
            Set("ld " + Pair(p) + "," + Address(Word(), true));
          } else {
            Set("add " + HL() + "," + Pair(p));
          }
          return;
        case 2: {
          const char* const target[4] = {"(bc)", "(de)", nullptr, nullptr};
          if (p < 2) {
            Set(q == 0 ? std::string("ld ") + target[p] + ",a" : std::string("ld a,") + target[p]);
            return;
          }
          length += 2;
          const std::string memory = "(" + Address(Word(), false) + ")";
          const std::string reg = p == 2 ? HL() : "a";
          Set(q == 0 ? "ld " + memory + "," + reg : "ld " + reg + "," + memory);
          return;
        }
        case 3:
          Set((q == 0 ? "inc " : "dec ") + Pair(p));
          return;
        case 4:
          Set("inc " + Reg(y));
          return;
        case 5:
          Set("dec " + Reg(y));
          return;
        case 6:
          ++length;
          Set("ld " + Reg(y) + "," + Hex8(Byte()));
          return;
        default:
          Set(kAccumulator[y]);
          return;
      }
    }
    if (x == 1) {
      if (op == 0x76) {
        Set("halt");
        return;
      }
      // With a memory operand the other register is the plain H or L.
      const char* saved = index;
      std::string dst, src;
      if (z == 6) {
        src = Reg(6);
        index = nullptr;
        dst = Reg(y);
      } else if (y == 6) {
        dst = Reg(6);
        index = nullptr;
        src = Reg(z);
      } else {
        dst = Reg(y);
        src = Reg(z);
      }
      index = saved;
      Set("ld " + dst + "," + src);
      return;
    }
    if (x == 2) {
      Set(kAlu[y] + Reg(z));
      return;
    }
    switch (z) {
      case 0:
        Set(std::string("ret ") + kCondition[y]);
        return;
      case 1:
        if (q == 0) Set("pop " + Pair2(p));
        else if (p == 0) Set("ret");
        else if (p == 1) Set("exx");
        else if (p == 2) Set("jp (" + HL() + ")");
        else Set("ld sp," + HL());
        return;
      case 2:
        length += 2;
        Branch(std::string("jp ") + kCondition[y] + ",", Word());
        return;
      case 3:
        switch (y) {
          case 0: length += 2; Branch("jp ", Word()); return;
          case 2: ++length; Set("out (" + Hex8(Byte()) + "),a"); return;
          case 3: ++length; Set("in a,(" + Hex8(Byte()) + ")"); return;
          case 4: Set("ex (sp)," + HL()); return;
          case 5: Set("ex de,hl"); return;
          case 6: Set("di"); return;
          case 7: Set("ei"); return;
          default: return;  // CB: handled before
        }
      case 4:
        length += 2;
        Branch(std::string("call ") + kCondition[y] + ",", Word(), true);
        return;
      case 5:
        if (q == 0) {
          Set("push " + Pair2(p));
        } else if (p == 0) {
          length += 2;
          Branch("call ", Word(), true);
        }
        return;  // DD, ED, FD: handled before
      case 6:
        ++length;
        Set(kAlu[y] + Hex8(Byte()));
        return;
      default:
        Branch("rst ", static_cast<unsigned>(y * 8), true);
        out.text = "rst " + Hex8(static_cast<unsigned>(y * 8));
        return;
    }
  }

  // CB op, or DD CB d op with `index` set: rotates, BIT, RES, SET. The
  // indexed forms whose register field is not 6 also copy the result into
  // that register (BIT ignores the field).
  void Bits(std::uint8_t op) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    const std::string operand = index ? Reg(6) : kReg[z];
    std::string copy;
    if (index && z != 6 && x != 1) copy = std::string(",") + kReg[z];
    if (x == 0) Set(std::string(kRotate[y]) + " " + operand + copy);
    else if (x == 1) Set("bit " + std::to_string(y) + "," + operand);
    else Set((x == 2 ? "res " : "set ") + std::to_string(y) + "," + operand + copy);
  }

  void Extended() {
    const std::uint8_t op = b[1];
    length = 2;
    operandAt = 2;
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    if (x == 2 && z < 4 && y >= 4) {
      Set(kBlock[y - 4][z]);
      return;
    }
    if (x != 1) {
      Set("db $ED," + Hex8(op));
      return;
    }
    switch (z) {
      case 0: Set(y == 6 ? "in (c)" : std::string("in ") + kReg[y] + ",(c)"); return;
      case 1: Set(y == 6 ? "out (c),0" : std::string("out (c),") + kReg[y]); return;
      case 2: Set(std::string(q == 0 ? "sbc hl," : "adc hl,") + kPair[p]); return;
      case 3: {
        length += 2;
        const std::string memory = "(" + Address(Word(), false) + ")";
        Set(q == 0 ? "ld " + memory + "," + kPair[p] : std::string("ld ") + kPair[p] + "," + memory);
        return;
      }
      case 4: Set("neg"); return;
      case 5: Set(y == 1 ? "reti" : "retn"); return;
      case 6: Set(std::string("im ") + kInterruptMode[y]); return;
      default: {
        const char* const names[8] = {"ld i,a", "ld r,a", "ld a,i", "ld a,r", "rrd", "rld", nullptr, nullptr};
        if (names[y]) Set(names[y]);
        else Set("db $ED," + Hex8(op));
        return;
      }
    }
  }

  // Opcodes after DD / FD that read H, L, HL or (HL) take the index; the
  // others ignore the prefix.
  static bool UsesHL(std::uint8_t op) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1;
    if (op == 0x76) return false;
    if (x == 1) return y == 4 || y == 5 || y == 6 || z == 4 || z == 5 || z == 6;
    if (x == 2) return z == 4 || z == 5 || z == 6;
    if (x == 0) {
      if (z == 1) return p == 2 || (y & 1);  // LD HL,nn; ADD HL,rr
      if (z == 2) return p == 2;             // LD (nn),HL; LD HL,(nn)
      if (z == 3) return p == 2;             // INC/DEC HL
      if (z >= 4 && z <= 6) return y == 4 || y == 5 || y == 6;
      return false;
    }
    return op == 0xE1 || op == 0xE3 || op == 0xE5 || op == 0xE9 || op == 0xF9;
  }

  void Indexed(const char* pair) {
    const std::uint8_t op = b[1];
    if (op == 0xCB) {
      index = pair;
      displacementAt = 2;
      length = 4;
      Bits(b[3]);
      return;
    }
    if (!UsesHL(op)) {
      length = 1;
      Set(b[0] == 0xDD ? "db $DD" : "db $FD");
      return;
    }
    index = pair;
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    const bool memory = (x == 1 && (y == 6 || z == 6)) || (x == 2 && z == 6) || (x == 0 && z >= 4 && z <= 6 && y == 6);
    length = memory ? 3 : 2;
    operandAt = length;
    displacementAt = 2;
    Main(op);
  }
};

}  // namespace

Disassembly Disassemble(const std::uint8_t bytes[4], std::uint16_t address, const AddressNamer& namer) {
  return Decoder(bytes, address, namer).Run();
}
