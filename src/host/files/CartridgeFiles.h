#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The files around a cartridge: its image, and the battery RAM file kept
// beside it (game.sms keeps game.sav).

// The largest path the program takes, terminator excluded.
inline constexpr std::size_t kMaxPathLength = 259;

// Reads a cartridge image whole. Only regular files are read, so a pipe or a
// device can neither hang nor confuse the loader. False, with the log line
// "file error" (and one naming the reason), when it cannot be read; the
// reason, in words for the player, also goes to `reason` when given.
bool ReadCartridgeImage(const char* path, std::vector<std::uint8_t>& bytes, std::string* reason = nullptr);

// The battery RAM file's name: the image's path without a three-letter
// extension, plus ".sav" (game.sms gives game.sav, game.sc gives game.sc.sav).
// Empty when the name would be longer than the program takes.
std::string BatteryFileName(const char* imagePath);

// The battery RAM file of the image in use.
class BatteryFile {
 public:
  // Binds the file of `imagePath` and reads it into ram (ramSize bytes,
  // already blank). A file that exists but cannot be read is never written
  // over, so a save the player cannot see is never lost to an empty one.
  void Attach(const char* imagePath, std::uint8_t* ram, std::size_t ramSize);
  // Writes ram to the file: a complete new file beside the old one, renamed
  // over it only when complete. Logs "Saved User Ram." or "User Ram Save
  // Error.". False when nothing was saved.
  bool Save(const std::uint8_t* ram, std::size_t ramSize);
  bool Attached() const { return !path.empty(); }

 private:
  std::string path;
  bool locked = false;
};
