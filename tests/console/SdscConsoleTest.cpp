#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/Console.h"

namespace {

// Bytes written to the debug console's data port (a control byte is written
// to 0xFC when it comes as kControl + value), and the text they leave.
constexpr int kControl = 0x100;

struct Case {
  const char* name;
  std::vector<int> bytes;
  const char* text;
};

std::vector<int> Text(const std::string& s) { return {s.begin(), s.end()}; }
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(SdscConsole, Formats) {
  const Case cases[] = {
      {"plain text and line ends", Text("Hi\r\n"), "Hi\n"},
      {"percent", Text("100%%"), "100%"},
      {"unsigned memory byte", Text("%umb") + std::vector<int>{0x00, 0xC0}, "200"},
      {"signed memory byte", Text("%dmb") + std::vector<int>{0x00, 0xC0}, "-56"},
      {"signed memory word", Text("%dmw") + std::vector<int>{0x01, 0xC0}, "-32568"},
      {"hexadecimal word, width", Text("%6Xmw") + std::vector<int>{0x01, 0xC0}, "0080C8"},
      {"lower-case hexadecimal byte", Text("%xmb") + std::vector<int>{0x00, 0xC0}, "c8"},
      {"binary byte", Text("%bmb") + std::vector<int>{0x00, 0xC0}, "11001000"},
      {"character", Text("%amb") + std::vector<int>{0x03, 0xC0}, "A"},
      {"string", Text("%smb") + std::vector<int>{0x03, 0xC0}, "ABC"},
      {"string, width", Text("%2smb") + std::vector<int>{0x03, 0xC0}, "AB"},
      {"video RAM byte", Text("%Xvb") + std::vector<int>{0x10, 0x00}, "5A"},
      {"video register", Text("%uvr") + std::vector<int>{2}, "255"},
      {"register A", Text("%Xpr") + std::vector<int>{'a'}, "12"},
      {"register pair HL", Text("%Xpr") + std::vector<int>{'H'}, "BEEF"},
      {"decimal width", Text("[%3umb") + std::vector<int>{0x07, 0xC0} + Text("]"), "[  7]"},
      {"unknown format shown as written", Text("%q!"), "%q!"},
      {"unknown type shown as written", Text("%dzz"), "%dz" "z"},
      {"attribute and cursor bytes are not text",
       std::vector<int>{kControl + 3, 0x41, kControl + 4, 0x42, 0x43} + Text("x"), "x"},
      {"clear starts a new line", Text("ab") + std::vector<int>{kControl + 2} + Text("c"), "ab\nc"},
  };
  for (const Case& c : cases) {
    Console console;
    console.systemRam[0] = 0xC8;
    console.systemRam[1] = 0xC8;
    console.systemRam[2] = 0x80;
    console.systemRam[3] = 'A';
    console.systemRam[4] = 'B';
    console.systemRam[5] = 'C';
    console.systemRam[6] = 0;
    console.systemRam[7] = 7;
    console.video.vram[0x10] = 0x5A;
    console.video.regs[2] = 0xFF;
    console.cpu.af = 0x1200;
    console.cpu.hl = 0xBEEF;
    for (int b : c.bytes) {
      if (b >= kControl) console.OutPort(0xFC, static_cast<std::uint8_t>(b - kControl));
      else console.OutPort(0xFD, static_cast<std::uint8_t>(b));
    }
    EXPECT_EQ(console.sdsc.Text(), c.text) << c.name;
  }
}

// The exit status of a test program, and the suspend request.
TEST(SdscConsole, ExitStatusAndSuspend) {
  Console console;
  EXPECT_FALSE(console.sdsc.ExitStatus());
  console.OutPort(0xFC, 0x40);
  console.OutPort(0xFD, 3);
  ASSERT_TRUE(console.sdsc.ExitStatus());
  EXPECT_EQ(*console.sdsc.ExitStatus(), 3);
  EXPECT_EQ(console.sdsc.Text(), "");
  console.OutPort(0xFC, 1);
  EXPECT_TRUE(console.sdsc.TakeSuspend());
  EXPECT_FALSE(console.sdsc.TakeSuspend());
}

// The SG-1000 and the SC-3000 print too (their 0xFC and 0xFD are free).
TEST(SdscConsole, OlderConsoles) {
  for (ConsoleKind kind : {ConsoleKind::kSg1000, ConsoleKind::kSc3000}) {
    Console console;
    console.SetConsoleKind(kind);
    const std::vector<std::uint8_t> image(0x8000, 0);
    ASSERT_TRUE(console.LoadCartridge(image.data(), image.size(), "blank.sg"));
    ASSERT_TRUE(console.SgFamily());
    for (char c : std::string("hi %Xpr")) console.OutPort(0xFD, static_cast<std::uint8_t>(c));
    console.cpu.af = 0x2A00;
    console.OutPort(0xFD, 'a');
    console.OutPort(0xFC, 1);
    EXPECT_EQ(console.sdsc.Text(), "hi 2A") << ConsoleKindName(kind);
    EXPECT_TRUE(console.sdsc.TakeSuspend());
  }
}

}  // namespace
