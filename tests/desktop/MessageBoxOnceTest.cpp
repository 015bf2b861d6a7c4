#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/MessageBoxOnce.h"
#include "host/dialogs/HostFailure.h"

namespace {

class RecordBox final : public HostMessageBox {
 public:
  void Show(const char* text, const char* caption) override { boxes.push_back(std::string(caption) + ": " + text); }
  std::vector<std::string> boxes;
};

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
    RecordBox record;
    MessageBoxOnce once(&record);
    for (const auto& [text, caption] : c.shown) ShowHostMessageBox(&once, text, caption);
    EXPECT_EQ(record.boxes, c.boxes);
  }
}

TEST(MessageBoxOnce, FailuresStillLogEveryTime) {
  RecordBox record;
  MessageBoxOnce once(&record);
  for (int frame = 0; frame < 3; ++frame) ReportHostFailure(&once, "Blt");
  EXPECT_EQ(record.boxes.size(), 1u);
  once.Forget();
  ReportHostFailure(&once, "Blt");
  EXPECT_EQ(record.boxes.size(), 2u);
}

}  // namespace
