#include "host/files/BackgroundSaver.h"

#include <algorithm>

BackgroundSaver::BackgroundSaver() : pendingRam(BatteryFile::kRamSize), worker([this] { Work(); }) {}

BackgroundSaver::~BackgroundSaver() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_all();
  worker.join();
}

void BackgroundSaver::Submit(BatteryFile* file, const std::uint8_t* ram) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    pendingFile = file;
    std::copy(ram, ram + BatteryFile::kRamSize, pendingRam.begin());
  }
  wake.notify_all();
}

void BackgroundSaver::Flush() {
  std::unique_lock<std::mutex> lock(mutex);
  idle.wait(lock, [this] { return pendingFile == nullptr && !busy; });
}

bool BackgroundSaver::TakeResult(Outcome& result) {
  std::lock_guard<std::mutex> lock(mutex);
  if (results.empty()) return false;
  result = std::move(results.front());
  results.erase(results.begin());
  return true;
}

void BackgroundSaver::Work() {
  std::vector<std::uint8_t> ram(BatteryFile::kRamSize);
  std::unique_lock<std::mutex> lock(mutex);
  while (true) {
    wake.wait(lock, [this] { return pendingFile != nullptr || stopping; });
    if (pendingFile == nullptr) break;  // stopping, and nothing left to write
    BatteryFile* file = pendingFile;
    pendingFile = nullptr;
    ram.swap(pendingRam);
    busy = true;
    lock.unlock();
    Outcome outcome;
    outcome.result = file->Save(ram.data(), outcome.error);
    lock.lock();
    busy = false;
    results.push_back(std::move(outcome));
    if (pendingFile == nullptr) idle.notify_all();
  }
  idle.notify_all();
}
