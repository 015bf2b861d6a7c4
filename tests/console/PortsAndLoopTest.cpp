#include "LogCapture.h"
#include "SessionRig.h"

namespace {

class Ports : public SessionRig {
 protected:
  void SetUp() override {
    SessionRig::SetUp();
    ASSERT_TRUE(Load(Write("ports.sms", Pages(2))));
  }
};

TEST_F(Ports, UnknownPortsAreLoggedAndSilentOnesAreNot) {
  struct Case {
    bool out;
    std::uint8_t port;
    std::uint8_t value;
    const char* log;
  };
  const Case cases[] = {
      {false, 0x40, 0, "In[40]\r\n"},        {false, 0x7D, 0, "In[7D]\r\n"},
      {true, 0x06, 6, "Out[ 6]: 6\r\n"},     {true, 0xA0, 200, "Out[A0]: 200\r\n"},
      {true, 0xF0, 1, ""},                   {true, 0xF2, 1, ""},
      {true, 0x00, 1, ""},                   {true, 0xDE, 1, ""},
      {false, 0xF2, 0, ""},                  {false, 0xDF, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.out ? "out " : "in ") << int(c.port));
    LogCapture log;
    if (c.out) {
      machine->OutPort(c.port, c.value);
    } else {
      EXPECT_EQ(machine->InPort(c.port), 0xFF);
    }
    EXPECT_EQ(log.text(), c.log);
  }
}

TEST_F(Ports, NationalisationLinesFollowTheConsoleModel) {
  struct Step {
    std::uint8_t written;
    std::uint8_t bits;  // bits 6-7 of port 0xDD afterwards
  };
  struct Case {
    const char* name;
    bool exportConsole;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"export", true, {{0xF5, 0xC0}, {0x55, 0x00}, {0xF4, 0x00}, {0xF5, 0xC0}}},
      {"japanese", false, {{0xF5, 0xC0}, {0x55, 0xC0}, {0xF4, 0xC0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine->exportConsole = c.exportConsole;
    for (const Step& step : c.steps) {
      machine->OutPort(0x3F, step.written);
      EXPECT_EQ(machine->InPort(0xDD) & 0xC0, step.bits) << std::hex << int(step.written);
      EXPECT_EQ(machine->InPort(0xC1), machine->InPort(0xDD));
    }
  }
}

TEST_F(Ports, ControllerBytesAnswerOnTheirPorts) {
  input.SetKey(0xC8, true);  // up
  input.SetKey(0x2C, true);  // button 1
  input.SetKey(0x13, true);  // reset button
  input.SetKey(0x1F, true);  // Game Gear start
  RunFrames(1);
  EXPECT_EQ(machine->InPort(0xDC), 0xEE);
  EXPECT_EQ(machine->InPort(0xC0), 0xEE);
  EXPECT_EQ(machine->InPort(0xDD), 0xEF);
  EXPECT_EQ(machine->InPort(0x00), 0x7F);
}

// Desktop, headless run and libretro option all set the model through
// SetJapanese, so the console is where the handheld's market bit is read.
TEST_F(Ports, AGameGearTellsItsMarketInPortZeroBitSix) {
  struct Case {
    const char* image;
    bool japanese;
    std::uint8_t bit6;
  };
  const Case cases[] = {
      {"market.gg", false, 0x40}, {"market.gg", true, 0x00},
      {"home.sms", false, 0x40},  {"home.sms", true, 0x40},  // no such bit on a Master System
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.image << (c.japanese ? " japanese" : " export"));
    ASSERT_TRUE(Load(Write(c.image, Pages(2))));
    machine->SetJapanese(c.japanese);
    EXPECT_EQ(machine->InPort(0x00) & 0x40, c.bit6);
    EXPECT_EQ(machine->InPort(0x00) | 0x40, 0xFF) << "the other bits are the buttons'";
  }
}

class FrameDriver : public SessionRig {};

// A program that halts and counts: every accepted interrupt leaves its
// address in the stack area, and the handlers count in RAM.
TEST_F(FrameDriver, PauseRaisesOneNmiPerPressEvenWithInterruptsOff) {
  // 0x0000: DI; LD SP,0xDFF0; LD HL,0; LD (0xC000),HL; loop: JR loop
  // 0x0066: PUSH HL; LD HL,(0xC000); INC HL; LD (0xC000),HL; POP HL; RETN
  LoadProgram({0xF3, 0x31, 0xF0, 0xDF, 0x21, 0x00, 0x00, 0x22, 0x00, 0xC0, 0x18, 0xFE}, 0x66,
              {0xE5, 0x2A, 0x00, 0xC0, 0x23, 0x22, 0x00, 0xC0, 0xE1, 0xED, 0x45});
  RunFrames(1);
  // Held for three frames, released, pressed again for one: two presses.
  input.SetKey(0x19, true);
  RunFrames(3);
  input.SetKey(0x19, false);
  RunFrames(2);
  input.SetKey(0x19, true);
  RunFrames(1);
  input.SetKey(0x19, false);
  RunFrames(1);
  EXPECT_EQ(machine->ReadMem(0xC000) | machine->ReadMem(0xC001) << 8, 2);
}

TEST_F(FrameDriver, HeldHotkeysToggleOncePerPress) {
  struct Case {
    std::uint8_t key;
    int frames;
    bool frameRate;
    bool sprites;
  };
  const Case cases[] = {
      {0x21, 1, true, false}, {0x21, 2, true, false}, {0x39, 1, false, true}, {0x39, 4, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << int(c.key) << " for " << c.frames);
    LoadProgram({0x18, 0xFE});
    session->presenter.showFrameRate = false;
    machine->video.hideSprites = false;
    input.SetKey(c.key, true);
    RunFrames(c.frames);
    input.SetKey(c.key, false);
    RunFrames(1);
    EXPECT_EQ(session->presenter.showFrameRate, c.frameRate);
    EXPECT_EQ(machine->video.hideSprites, c.sprites);
  }
}

TEST_F(FrameDriver, SwitchingRamOutSavesOnceAtTheEndOfTheFrame) {
  // LD A,8; LD (0xFFFC),A; LD A,0x5A; LD (0x8000),A; XOR A; LD (0xFFFC),A; loop: JR loop
  LoadProgram({0x3E, 0x08, 0x32, 0xFC, 0xFF, 0x3E, 0x5A, 0x32, 0x00, 0x80, 0xAF, 0x32, 0xFC, 0xFF,
               0x18, 0xFE});
  LogCapture log;
  RunFrames(3);
  EXPECT_EQ(log.text(), "Saved User Ram.\n");
  EXPECT_EQ(Read("program.sav")[16384], 0x5A);
}

}  // namespace
