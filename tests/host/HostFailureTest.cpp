#include <gtest/gtest.h>

#include <string>

#include "LogCapture.h"
#include "headless/HeadlessMessageBox.h"
#include "host/dialogs/HostFailure.h"
#include "host/dialogs/HostMessageBox.h"

namespace {

class RecordBox final : public HostMessageBox {
 public:
  void Show(const char* text, const char* caption) override { shown += std::string(caption) + ":" + text + ";"; }
  std::string shown;
};

TEST(HostFailure, LogsAndShowsFailures) {
  struct Case {
    HostFailure failure;
    const char* context;
    const char* expectedLog;
  };
  const Case cases[] = {
      {HostFailure::kFailed, "Blt", "Blt Error[16389]: Generic Error\n"},
      {HostFailure::kFailed, "Joystick1 Create Device", "Joystick1 Create Device Error[16389]: Generic Error\n"},
      {HostFailure::kFailed, "CreateSurface (Back)", "CreateSurface (Back) Error[16389]: Generic Error\n"},
      {HostFailure::kMissing, "DirectDrawCreate", "DirectDrawCreate Error[130]: Invalid Object\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expectedLog);
    RecordBox box;
    LogCapture log;
    ReportHostFailure(&box, c.context, c.failure);
    EXPECT_EQ(log.text(), c.expectedLog);
    EXPECT_EQ(box.shown, std::string("Erreur:") + c.context + ";");
  }
}

TEST(HostFailure, HeadlessMessageBoxOnlyLogs) {
  HeadlessMessageBox box;
  LogCapture log;
  ReportHostFailure(&box, "Blt");
  EXPECT_EQ(log.text(), "Blt Error[16389]: Generic Error\n[Erreur] Blt\n");
}

TEST(HostFailure, NoMessageBoxOnlyLogs) {
  LogCapture log;
  ReportHostFailure(nullptr, "Back Lock");
  EXPECT_EQ(log.text(), "Back Lock Error[16389]: Generic Error\n");
}

}  // namespace
