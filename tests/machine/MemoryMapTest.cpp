#include "MachineRig.h"

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

class MemoryMap : public MachineRig {};

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
      {"three pages: banks 0-2 select their page, 3 wraps to 0", 3,
       {{true, 0xFFFE, 2}, {false, 0x4000, 2}, {true, 0xFFFE, 3}, {false, 0x4000, 0}, {false, 0xFFFE, 3}}},
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
      {"RAM mapped, slot 2 bank reads ROM but writes RAM", 4,
       {{true, 0xFFFC, 0x08}, {true, 0xFFFF, 3}, {false, 0x8000, 3}, {true, 0x8001, 0x99},
        {true, 0xFFFC, 0x08}, {false, 0x8001, 0x99}}},
      // A one-page image shows its page in every slot and every bank.
      {"one page everywhere", 1,
       {{false, 0x4000, 0}, {true, 0xFFFF, 7}, {false, 0x8000, 0}, {true, 0xFFFD, 5}, {false, 0x0400, 0}}},
      // 24 pages widen the mask to 31; banks 24-31 fold back onto 0-7.
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
    EXPECT_EQ(machine->userRamSavePending != 0, c.marked);
  }

  // Slot 2 banked to ROM while RAM is mapped: unmapping then marks nothing.
  ASSERT_TRUE(Load(Write("mark.sms", Pages(4))));
  machine->WriteMem(0xFFFC, 0x08);
  machine->WriteMem(0xFFFF, 2);
  machine->WriteMem(0xFFFC, 0x00);
  EXPECT_EQ(machine->userRamSavePending, 0);
}

}  // namespace
