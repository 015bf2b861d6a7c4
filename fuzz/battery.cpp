// Any bytes as the battery file beside an image: read through the battery
// reader, saved back, and read again. The save must hold the cartridge RAM
// followed by every byte the file had past it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzQuiet.h"
#include "FuzzScratch.h"
#include "host/files/BatteryFile.h"
#include "host/files/FileOps.h"
#include "host/files/FileRead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceLog();
  std::string batteryPath;
  if (!BatteryPathFor(ScratchFolder("battery") + "/game.sms", batteryPath)) std::abort();
  std::ofstream(batteryPath, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  std::vector<std::uint8_t> ram(BatteryFile::kRamSize);
  {
    BatteryFile battery(batteryPath, NoSyncFileOps());
    if (!battery.Load(ram.data())) std::abort();  // a regular file of any size is readable
    static const std::vector<std::uint8_t> blank(BatteryFile::kRamSize, 0xFF);
    const std::size_t used = std::min(size, ram.size());
    if ((used && std::memcmp(ram.data(), data, used) != 0) ||
        std::memcmp(ram.data() + used, blank.data(), ram.size() - used) != 0) {
      std::abort();
    }
    for (auto& byte : ram) byte ^= 0x5A;
    Reason error;
    if (battery.Save(ram.data(), error) != BatteryFile::SaveResult::kSaved) std::abort();
  }

  std::vector<std::uint8_t> saved;
  if (ReadRegularFile(batteryPath, BatteryFile::kMaxFileSize, saved).error != 0) std::abort();
  const std::size_t extra = size > ram.size() ? size - ram.size() : 0;
  if (saved.size() != ram.size() + extra || std::memcmp(saved.data(), ram.data(), ram.size()) != 0 ||
      (extra && std::memcmp(saved.data() + ram.size(), data + ram.size(), extra) != 0)) {
    std::abort();
  }
  return 0;
}
