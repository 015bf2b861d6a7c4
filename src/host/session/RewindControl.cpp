#include "host/session/RewindControl.h"

#include "console/Console.h"
#include "console/SaveState.h"

RewindControl::RewindControl(std::size_t budgetBytes) : history(budgetBytes) {}

void RewindControl::BeforeFrame(Console& console) {
  const std::size_t size = StateSize(console) + kControlBytes;
  if (record.size() != size) recordCurrent = false;
  record.resize(size);
  taken = RefreshState(console, record.data(), size - kControlBytes, !recordCurrent, changed) == StateError::None;
  recordCurrent = false;  // until it is pushed
  changed.Add(size - kControlBytes, size);
}

void RewindControl::AfterFrame(const FrameInput& controls) {
  if (!taken) return;
  taken = false;
  std::uint8_t* at = record.data() + record.size() - kControlBytes;
  at[0] = controls.pad[0];
  at[1] = controls.pad[1];
  at[2] = controls.start ? 1 : 0;
  at[3] = controls.pause ? 1 : 0;
  at[4] = controls.reset ? 1 : 0;
  history.Push(record, changed);
  recordCurrent = true;
}

bool RewindControl::StepBack(Console& console) {
  taken = false;
  recordCurrent = false;
  if (!history.Pop(record)) return false;
  if (record.size() < kControlBytes ||
      LoadState(console, record.data(), record.size() - kControlBytes) != StateError::None) {
    history.Clear();
    return false;
  }
  const std::uint8_t* at = record.data() + record.size() - kControlBytes;
  FrameInput controls;
  controls.pad[0] = at[0];
  controls.pad[1] = at[1];
  controls.start = at[2] != 0;
  controls.pause = at[3] != 0;
  controls.reset = at[4] != 0;
  console.RunFrame(controls);
  return true;
}
