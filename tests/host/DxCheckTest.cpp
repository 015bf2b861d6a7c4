#include <gtest/gtest.h>

#include <string>

#include "LogCapture.h"
#include "headless/HeadlessMessageBox.h"
#include "host/display/DxCheck.h"
#include "host/display/HostMessageBox.h"

namespace {

std::string shown;
void RecordBox(const char* text, const char* caption) { shown += std::string(caption) + ":" + text + ";"; }

TEST(DxCheck, LogsAndShowsFailures) {
  struct Case {
    std::uint32_t result;
    const char* context;
    int expectedReturn;
    const char* expectedLog;
  };
  const Case cases[] = {
      {0, "Back Lock", 0, ""},
      {0x887601C2u, "Blt", -1, "Blt Error[450]: Surface Lost\n"},
      {0x8007001Eu, "Joystick1 Poll", -1, "Joystick1 Poll Error[30]: Input Lost\n"},
      {1, "Blt", -1, "Blt Error[1]: No Clue\n"},
      {0x88760000u, "Blt", -1, "Blt Error[0]: No Clue\n"},
      {0xFFFFFFFFu, "X", -1, "X Error[65535]: No Clue\n"},
      {0x80004001u, "A", -1, "A Error[16385]: Unsupported\n"},
      {0x80004002u, "A", -1, "A Error[16386]: No Interface\n"},
      {0x80004003u, "A", -1, "A Error[16387]: No pointer\n"},
      {0x80004005u, "A", -1, "A Error[16389]: Generic Error\n"},
      {0x800401F0u, "A", -1, "A Error[496]: COM Not Initialized\n"},
      {0x80040207u, "A", -1, "A Error[519]: Not Buffered\n"},
      {0x80070002u, "A", -1, "A Error[2]: Object Not Found\n"},
      {0x80070005u, "A", -1, "A Error[5]: Other App Has Priority\n"},
      {0x8007000Cu, "A", -1, "A Error[12]: Not Aquired\n"},
      {0x8007000Eu, "A", -1, "A Error[14]: Out of Memory\n"},
      {0x80070015u, "A", -1, "A Error[21]: Not Initialized\n"},
      {0x80070057u, "A", -1, "A Error[87]: Invalid Params\n"},
      {0x88760064u, "A", -1, "A Error[100]: Invalid Caps\n"},
      {0x88760082u, "A", -1, "A Error[130]: Invalid Object\n"},
      {0x88760091u, "A", -1, "A Error[145]: Invalid Pixel Format\n"},
      {0x887600E6u, "A", -1, "A Error[230]: No Flip HW\n"},
      {0x887601AEu, "A", -1, "A Error[430]: Surface Busy\n"},
      {0x8876021Cu, "A", -1, "A Error[540]: Was Still Drawing\n"},
      {0x88760246u, "A", -1, "A Error[582]: Not Flippable\n"},
      {0x88760305u, "A", -1, "A Error[773]: Viewport Data Not Set\n"},
      {0x88760306u, "A", -1, "A Error[774]: Viewport Has No Device\n"},
      {0x00070005u, "A", -1, "A Error[5]: No Clue\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expectedLog[0] ? c.expectedLog : "success");
    shown.clear();
    SetHostMessageBox(&RecordBox);
    LogCapture log;
    int got = DxCheck(c.result, c.context);
    SetHostMessageBox(nullptr);
    EXPECT_EQ(got, c.expectedReturn);
    EXPECT_EQ(log.text(), c.expectedLog);
    EXPECT_EQ(shown, c.result == 0 ? std::string() : std::string("Error:") + c.context + ";");
  }
}

TEST(DxCheck, HeadlessMessageBoxOnlyLogs) {
  InstallHeadlessMessageBox();
  LogCapture log;
  EXPECT_EQ(DxCheck(0x887601C2u, "Blt"), -1);
  SetHostMessageBox(nullptr);
  EXPECT_EQ(log.text(), "Blt Error[450]: Surface Lost\n[Error] Blt\n");
}

TEST(DxCheck, NoHostMessageBoxInstalledOnlyLogs) {
  SetHostMessageBox(nullptr);
  LogCapture log;
  EXPECT_EQ(DxCheck(0x80070057u, "Set Clipper"), -1);
  EXPECT_EQ(log.text(), "Set Clipper Error[87]: Invalid Params\n");
}

}  // namespace
