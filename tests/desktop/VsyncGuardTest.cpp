#include <gtest/gtest.h>

#include "desktop/sdl/VsyncGuard.h"

namespace {

TEST(VsyncGuard, OnlyAMonitorSlowerThanTheConsoleLosesVsync) {
  struct Case {
    const char* name;
    std::int64_t presentNs;  // every present waits this long
    int presents;
    int dropAt;  // the present whose report says drop; 0 for never
  };
  const Case cases[] = {
      {"60 Hz monitor", 16666667, 600, 0},
      {"144 Hz monitor", 6944444, 600, 0},
      {"no wait at all", 0, 600, 0},
      {"exactly a console frame", VsyncGuard::kFrameNs, 600, 0},
      {"50 Hz monitor", 20000000, 600, 60},
      {"30 Hz monitor", 33333333, 600, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VsyncGuard guard;
    int droppedAt = 0, drops = 0;
    for (int n = 1; n <= c.presents; ++n) {
      if (guard.PresentTook(c.presentNs)) {
        ++drops;
        droppedAt = n;
      }
    }
    EXPECT_EQ(droppedAt, c.dropAt);
    EXPECT_LE(drops, 1);
  }
}

TEST(VsyncGuard, OccasionalSlowPresentsAreForgiven) {
  struct Case {
    const char* name;
    int slowPerWindow;
    bool dropped;
  };
  const Case cases[] = {{"39 slow of 60", 39, false}, {"40 slow of 60", 40, true}, {"one hiccup", 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VsyncGuard guard;
    bool dropped = false;
    for (int n = 0; n < VsyncGuard::kWindow; ++n) {
      dropped |= guard.PresentTook(n < c.slowPerWindow ? 25000000 : 16000000);
    }
    EXPECT_EQ(dropped, c.dropped);
  }
}

}  // namespace
