#pragma once

#include <cstdint>

#include "host/input/InputSource.h"

// The keys a frame sees, from the keyboard's state when the frame reads it
// and the key events that came since the frame before. A frame samples the
// keys once, so a press and a release between two frames must both reach
// it: a key pressed and let go in between counts as held for one frame, and
// a key let go and pressed again in between (held in the frame before and
// held now) counts as let go for one frame and pressed again in the next,
// so the game and the hotkeys see a new press.
class KeyEdges {
 public:
  // A key went down or up (repeats aside), by PC scan code.
  void Pressed(std::uint8_t key);
  void Released(std::uint8_t key);
  // A modifier held when another key went down: held in the frame that sees
  // that press, whatever came after it (a quick Shift+F4 reads as Shift+F4).
  void HeldWithPress(std::uint8_t key);
  // What the frame sees, with `state` the keys held now. The same until
  // FrameDone, however many times it is asked.
  void View(const std::uint8_t (&state)[kKeyboardKeyCount], std::uint8_t (&keys)[kKeyboardKeyCount]) const;
  // The frame has read the keys: the events so far are spent.
  void FrameDone(const std::uint8_t (&state)[kKeyboardKeyCount]);

 private:
  std::uint8_t seen[kKeyboardKeyCount] = {};      // what the last frame saw
  std::uint8_t downSince[kKeyboardKeyCount] = {};  // a press since then
  std::uint8_t upSince[kKeyboardKeyCount] = {};    // a release since then
  std::uint8_t owed[kKeyboardKeyCount] = {};       // a press the next frame is owed
  std::uint8_t withPress[kKeyboardKeyCount] = {};  // held with another key's press
};
