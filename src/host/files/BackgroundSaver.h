#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/files/BatteryFile.h"

// Writes battery files on a thread of its own, so a slow disk (fsync can take
// tens of milliseconds) never holds up the emulation. Saves are taken in
// order; a save submitted while another waits replaces it, since only the
// newest RAM matters. Results come back to the submitting thread through
// TakeResult.
class BackgroundSaver {
 public:
  struct Outcome {
    BatteryFile::SaveResult result = BatteryFile::SaveResult::kSaved;
    Reason error;
  };

  BackgroundSaver();
  ~BackgroundSaver();  // finishes every save submitted
  BackgroundSaver(const BackgroundSaver&) = delete;
  BackgroundSaver& operator=(const BackgroundSaver&) = delete;

  // Copies `ram` (BatteryFile::kRamSize bytes) and saves it to `file`, which
  // must live until Flush returns. The caller touches `file` only after Flush.
  void Submit(BatteryFile* file, const std::uint8_t* ram);
  // Waits until every save submitted is written (or has failed).
  void Flush();
  // The next finished save's outcome, oldest first; false when none is waiting.
  bool TakeResult(Outcome& result);

 private:
  void Work();

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  BatteryFile* pendingFile = nullptr;
  std::vector<std::uint8_t> pendingRam;
  bool busy = false;
  bool stopping = false;
  std::vector<Outcome> results;
  std::thread worker;
};
