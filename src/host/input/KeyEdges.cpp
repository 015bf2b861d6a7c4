#include "host/input/KeyEdges.h"

void KeyEdges::Pressed(std::uint8_t key) { downSince[key] = 1; }

void KeyEdges::Released(std::uint8_t key) { upSince[key] = 1; }

void KeyEdges::HeldWithPress(std::uint8_t key) { withPress[key] = 1; }

void KeyEdges::View(const std::uint8_t (&state)[kKeyboardKeyCount], std::uint8_t (&keys)[kKeyboardKeyCount]) const {
  for (int key = 0; key < kKeyboardKeyCount; ++key) {
    if (owed[key] || withPress[key]) {
      keys[key] = 1;
    } else if (seen[key] && upSince[key]) {
      keys[key] = 0;  // the release is seen first, whatever came after it
    } else {
      keys[key] = (state[key] || downSince[key]) ? 1 : 0;
    }
  }
}

void KeyEdges::FrameDone(const std::uint8_t (&state)[kKeyboardKeyCount]) {
  std::uint8_t keys[kKeyboardKeyCount];
  View(state, keys);
  for (int key = 0; key < kKeyboardKeyCount; ++key) {
    // Held in the frame before, a key's first event is its release: a press
    // after it is a new one, owed to the next frame.
    owed[key] = !owed[key] && seen[key] && upSince[key] && downSince[key];
    seen[key] = keys[key];
    downSince[key] = upSince[key] = withPress[key] = 0;
  }
}
