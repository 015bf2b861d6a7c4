#include "SessionRig.h"

namespace {

struct Access {
  bool write;
  std::uint16_t address;
  std::uint8_t value;  // written, or expected on read
};

struct MapCase {
  const char* name;
  int pages;
  std::vector<Access> steps;
};

class MemoryMap : public SessionRig {};

TEST_F(MemoryMap, ReadsAndWritesFollowTheMapper) {
  const MapCase cases[] = {
      {"reset mirrors and slot contents", 4,
       {{false, 0xFFFC, 0xFF}, {false, 0xFFFD, 0}, {false, 0xFFFE, 1}, {false, 0xFFFF, 0},
        {false, 0xDFFE, 1}, {false, 0x0000, 0}, {false, 0x4000, 1}, {false, 0x8000, 0}}},
      {"32 pages mask the bank number", 32,
       {{true, 0xFFFE, 0x25}, {false, 0x4000, 5}, {false, 0xFFFE, 5}}},
      {"slot 0 keeps page 0's first kilobyte", 4,
       {{true, 0xFFFD, 3}, {false, 0x0000, 0}, {false, 0x03FF, 0}, {false, 0x0400, 3}, {false, 0x3FFF, 3}}},
      {"slot 2 bank", 4, {{true, 0xFFFF, 2}, {false, 0x8000, 2}, {false, 0xBFFF, 2}}},
      {"three pages: every page reachable, bank 3 wraps to 0", 3,
       {{true, 0xFFFE, 2}, {false, 0x4000, 2}, {true, 0xFFFE, 3}, {false, 0x4000, 0}, {false, 0xFFFE, 3}}},
      {"five pages: bank 4 is the last page, 5-7 wrap, 8 masks to 0", 5,
       {{true, 0xFFFF, 4}, {false, 0x8000, 4}, {true, 0xFFFF, 6}, {false, 0x8000, 1},
        {true, 0xFFFF, 8}, {false, 0x8000, 0}}},
      {"twelve pages: bank 11 reachable", 12, {{true, 0xFFFF, 11}, {false, 0x8000, 11}}},
      {"ROM is not writable", 4,
       {{true, 0x0010, 0x55}, {true, 0x4010, 0x55}, {true, 0x8010, 0x55},
        {false, 0x0010, 0}, {false, 0x4010, 1}, {false, 0x8010, 0}}},
      {"work RAM and its mirror", 2,
       {{true, 0xE123, 0x42}, {false, 0xC123, 0x42}, {true, 0xC200, 0x17}, {false, 0xE200, 0x17}}},
      {"0xDFFC-0xDFFF change mirrors but switch no bank", 4,
       {{true, 0xDFFE, 3}, {false, 0xFFFE, 3}, {false, 0x4000, 1}}},
      {"cartridge RAM page selection", 2,
       {{true, 0xFFFC, 0x08}, {true, 0x8000, 0x11}, {true, 0xFFFC, 0x0C}, {true, 0x8000, 0x22},
        {true, 0xFFFC, 0x08}, {false, 0x8000, 0x11}, {true, 0xFFFC, 0x0C}, {false, 0x8000, 0x22},
        {true, 0xFFFC, 0x00}, {false, 0x8000, 0}, {false, 0xFFFC, 0x00}}},
      {"RAM mapped, a slot 2 bank write waits until the RAM is switched out", 4,
       {{true, 0xFFFC, 0x08}, {true, 0x8001, 0x99}, {true, 0xFFFF, 3}, {false, 0x8001, 0x99},
        {true, 0xFFFC, 0x00}, {false, 0x8000, 3}}},
      // A one-page image shows its page in every slot and every bank.
      {"one page everywhere", 1,
       {{false, 0x4000, 0}, {true, 0xFFFF, 7}, {false, 0x8000, 0}, {true, 0xFFFD, 5}, {false, 0x0400, 0}}},
      // 24 pages widen the mask to 31; banks 24-31 fold back onto 0-7.
      // Bits 0-1 of 0xFFFC add 0x18, 0x10 or 0x08 to every bank number the
      // slots show, slot 0 past its first kilobyte included.
      {"bank shift: each step, slots 0-2 and back to none", 32,
       {{true, 0xFFFD, 1}, {true, 0xFFFE, 2}, {true, 0xFFFF, 3}, {true, 0xFFFC, 0x01},
        {false, 0x0400, 0x19}, {false, 0x4000, 0x1A}, {false, 0x8000, 0x1B}, {false, 0x0000, 0},
        {true, 0xFFFC, 0x02}, {false, 0x0400, 0x11}, {false, 0x4000, 0x12}, {false, 0x8000, 0x13},
        {true, 0xFFFC, 0x03}, {false, 0x0400, 0x09}, {false, 0x4000, 0x0A}, {true, 0xFFFF, 4},
        {false, 0x8000, 0x0C}, {false, 0xFFFF, 4}, {true, 0xFFFC, 0x00}, {false, 0x0400, 1}, {false, 0x8000, 4}}},
      {"bank shift past the end wraps like any bank", 32, {{true, 0xFFFC, 0x01}, {true, 0xFFFE, 0x0A}, {false, 0x4000, 2}}},
      {"24 pages: banks past the end wrap", 24,
       {{true, 0xFFFE, 23}, {false, 0x4000, 23}, {true, 0xFFFE, 26}, {false, 0x4000, 2}, {false, 0xFFFE, 26}}},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Load(Write("map.sms", Pages(c.pages))));
    for (const Access& step : c.steps) {
      if (step.write) {
        machine->WriteMem(step.address, step.value);
      } else {
        EXPECT_EQ(machine->ReadMem(step.address), step.value) << "address " << std::hex << step.address;
      }
    }
  }
}

TEST_F(MemoryMap, SwitchingRamOutMarksItForSaving) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> controlWrites;
    bool marked;
  };
  const Case cases[] = {
      {"map then unmap", {0x08, 0x00}, true},
      {"map, unmap, map again", {0x08, 0x00, 0x08}, false},
      {"unmap while ROM shows", {0x00}, false},
      {"other page", {0x0C, 0x00}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Load(Write("mark.sms", Pages(2))));
    for (std::uint8_t value : c.controlWrites) machine->WriteMem(0xFFFC, value);
    EXPECT_EQ(machine->savePending, c.marked);
  }

  // Slot 2's bank changed while RAM is mapped: the RAM stays readable where
  // it is written, and unmapping it still asks for a save.
  ASSERT_TRUE(Load(Write("mark.sms", Pages(4))));
  machine->WriteMem(0xFFFC, 0x08);
  machine->WriteMem(0x8000, 0x77);
  machine->WriteMem(0xFFFF, 2);
  EXPECT_EQ(machine->ReadMem(0x8000), 0x77);
  machine->WriteMem(0xFFFC, 0x00);
  EXPECT_EQ(machine->ReadMem(0x8000), 2);
  EXPECT_TRUE(machine->savePending);
}

}  // namespace
