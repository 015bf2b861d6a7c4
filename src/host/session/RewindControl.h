#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "console/FrameInput.h"
#include "host/files/StateFile.h"
#include "host/rewind/RewindHistory.h"

class Console;

// The desktop's rewind: before every frame the console's state is taken, and
// once the frame has run it is kept in the history together with the
// controls the frame ran with. Going back a step loads the newest record and
// runs its frame again with the same controls: the console then shows the
// very picture it showed then, and stands in the state that followed it, so
// play carries on from there exactly as it went the first time.
class RewindControl {
 public:
  explicit RewindControl(std::size_t budgetBytes = kRewindBudgetBytes);

  // Takes the console's state before its next frame (nothing when no
  // cartridge runs).
  void BeforeFrame(Console& console);
  // Keeps the state taken by BeforeFrame with the controls of the frame run.
  void AfterFrame(const FrameInput& controls);
  // One frame back, as described above. False, with the console unchanged,
  // when there is nothing to go back to; a record the console refuses (made
  // from another image) empties the history.
  bool StepBack(Console& console);

  void Clear() {
    history.Clear();
    recordCurrent = false;
  }
  std::size_t Count() const { return history.Count(); }
  double SecondsKept(double fps) const { return history.SecondsKept(fps); }

  // A record is the state followed by the controls, in these bytes.
  static constexpr std::size_t kControlBytes = 5;

 private:
  RewindHistory history;
  std::vector<std::uint8_t> record;
  StateRanges changed;
  bool taken = false;
  // `record` holds the state pushed last, so the next one is refreshed from
  // it (only what changed is copied and compared); false until a push, and
  // after a step back or a clear, when it holds something else.
  bool recordCurrent = false;
};
