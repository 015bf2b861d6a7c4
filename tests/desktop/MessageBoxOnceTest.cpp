#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/MessageBoxOnce.h"
#include "host/display/DxCheck.h"

namespace {

std::vector<std::string> boxes;
void RecordBox(const char* text, const char* caption) { boxes.push_back(std::string(caption) + ": " + text); }

TEST(MessageBoxOnce, EachMessageIsShownOnlyTheFirstTime) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> shown;  // text, caption
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"one box", {{"Blt", "Error"}}, {"Error: Blt"}},
      {"every frame the same failure",
       {{"Back Lock", "Error"}, {"Back Lock", "Error"}, {"Back Lock", "Error"}},
       {"Error: Back Lock"}},
      {"other contexts still show",
       {{"Back Lock", "Error"}, {"Blt", "Error"}, {"Back Lock", "Error"}},
       {"Error: Back Lock", "Error: Blt"}},
      {"same text, other caption", {{"No Driver", "Waveout error"}, {"No Driver", "Error"}},
       {"Waveout error: No Driver", "Error: No Driver"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.clear();
    ForgetShownMessageBoxes();
    InstallMessageBoxOnce(RecordBox);
    for (const auto& [text, caption] : c.shown) ShowHostMessageBox(text, caption);
    EXPECT_EQ(boxes, c.boxes);
  }
  InstallMessageBoxOnce(nullptr);
}

TEST(MessageBoxOnce, DxCheckStillLogsEveryFailure) {
  boxes.clear();
  ForgetShownMessageBoxes();
  InstallMessageBoxOnce(RecordBox);
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(DxCheck(0x887601C2u, "Blt"), -1);
  EXPECT_EQ(boxes.size(), 1u);
  InstallMessageBoxOnce(nullptr);
  ForgetShownMessageBoxes();
}

}  // namespace
