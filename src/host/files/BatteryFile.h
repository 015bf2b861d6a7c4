#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/files/FileOps.h"
#include "host/files/Result.h"

// The battery file's name for an image: a three-letter extension replaced by
// ".sav" (game.sms gives game.sav), else ".sav" appended (game.gg gives
// game.gg.sav). A failure with a clear line when that would be the image
// itself (an image named game.sav, or a battery path that is a link to the
// image), since the first save would destroy the image, or when the path is
// too long.
Result BatteryPathFor(const std::string& imagePath, std::string& batteryPath);

// One run's battery file: the cartridge RAM the console keeps powered, kept
// beside the image between runs.
//
// Nothing is opened or created before it is needed: Load reads the file if
// there is one, Save writes it. For as long as this object lives, the run
// holds an exclusive advisory lock (flock) on "<battery file>.lock" beside
// the battery file. The lock cannot be on the battery file itself, since each
// save renames a new file over it and a lock on the replaced inode guards
// nothing. The lock file is taken when a battery file exists at Load, else
// at the first Save, so a game without battery RAM leaves nothing behind; it
// is never removed, because removing it would let a third run lock a new one
// while the second still holds the old. When another run holds the lock,
// this run warns once and never saves, so two runs cannot undo each other's
// saves.
class BatteryFile {
 public:
  static constexpr std::size_t kRamSize = 32768;
  // A battery file larger than this is not one of ours: it is left alone.
  static constexpr std::uint64_t kMaxFileSize = 16u << 20;

  enum class SaveResult { kSaved, kHeldByAnotherRun, kRefused, kFailed };

  // Saves write through `ops` (which must outlive the file): the system's
  // calls, unless a test hands in failing ones.
  explicit BatteryFile(std::string path, const FileOps& ops = SystemFileOps());
  ~BatteryFile();
  BatteryFile(const BatteryFile&) = delete;
  BatteryFile& operator=(const BatteryFile&) = delete;

  // Fills `ram` (kRamSize bytes) from the file: a missing file or missing
  // bytes read as blank (0xFF); bytes past kRamSize are kept and written
  // back after it at each save. False when the file exists but cannot be
  // read: `ram` is then blank and the file is never written over.
  bool Load(std::uint8_t* ram);
  // Writes `ram` and any kept bytes as a new file. Anything but kSaved has
  // the path and the reason in `error`.
  SaveResult Save(const std::uint8_t* ram, Reason& error);

  const std::string& Path() const { return path; }
  // Another run holds the lock: this run does not save.
  bool HeldByAnotherRun() const { return heldElsewhere; }
  // True once, the first time a run finds the lock held: the desktop shows
  // its message box then.
  bool TakeHeldNotice();

 private:
  void Lock();

  std::string path;
  const FileOps* ops;
  std::vector<std::uint8_t> extra;  // bytes past kRamSize, written back unchanged
  int lockDescriptor = -1;
  bool lockTried = false;
  bool heldElsewhere = false;
  bool heldNoticeTaken = false;
  bool unreadable = false;
  Reason unreadableReason;
};
