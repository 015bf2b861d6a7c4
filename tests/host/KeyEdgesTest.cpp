#include <gtest/gtest.h>

#include <string>

#include "host/input/KeyEdges.h"

namespace {

// Between two frames: the events of one key, in order ('d' down, 'u' up,
// 'w' held as another key went down),
// and whether it is held when the frame reads.
struct Between {
  const char* events;
  bool heldNow;
};

// What frame after frame sees of the key.
std::string Frames(std::initializer_list<Between> steps) {
  constexpr std::uint8_t kKey = 0x2C;
  KeyEdges edges;
  std::string seen;
  for (const Between& step : steps) {
    for (const char* event = step.events; *event; ++event) {
      if (*event == 'd') edges.Pressed(kKey);
      if (*event == 'u') edges.Released(kKey);
      if (*event == 'w') edges.HeldWithPress(kKey);
    }
    std::uint8_t state[kKeyboardKeyCount] = {};
    state[kKey] = step.heldNow ? 1 : 0;
    std::uint8_t keys[kKeyboardKeyCount] = {};
    edges.View(state, keys);
    std::uint8_t again[kKeyboardKeyCount] = {};
    edges.View(state, again);
    EXPECT_EQ(keys[kKey], again[kKey]) << "a frame reads the same keys twice";
    seen += keys[kKey] ? 'H' : '.';
    edges.FrameDone(state);
  }
  return seen;
}

TEST(KeyEdges, EveryPressAndReleaseBetweenFramesReachesAFrame) {
  // Held across frames, then let go.
  EXPECT_EQ(Frames({{"d", true}, {"", true}, {"u", false}, {"", false}}), "HH..");
  // Pressed and let go between two frames: held for one frame.
  EXPECT_EQ(Frames({{"", false}, {"du", false}, {"", false}}), ".H.");
  // Let go and pressed again between two frames: a release, then a new press.
  EXPECT_EQ(Frames({{"d", true}, {"ud", true}, {"", true}, {"", true}, {"u", false}}), "H.HH.");
  // Let go, tapped and let go again: the release, the tap, then nothing.
  EXPECT_EQ(Frames({{"d", true}, {"udu", false}, {"", false}, {"", false}}), "H.H.");
  // A modifier let go and pressed again with another key's press between
  // two frames is held in the frame that sees that press (and owed the new
  // press in the next).
  EXPECT_EQ(Frames({{"d", true}, {"udwu", false}, {"", false}, {"", false}}), "HHH.");
  // A state held without its event (the window took the focus with the key
  // down) still counts.
  EXPECT_EQ(Frames({{"", true}, {"", false}}), "H.");
}

}  // namespace
