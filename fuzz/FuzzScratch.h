#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/files/FileOps.h"

// A scratch folder for this fuzzing process (named after `kind` and the
// process), created on first use and removed when the process exits.
inline const std::string& ScratchFolder(const char* kind) {
  static const std::string folder =
      (std::filesystem::temp_directory_path() / ("tavrin-fuzz-" + std::string(kind) + "-" + std::to_string(::getpid())))
          .string();
  static const bool made = [] {
    std::filesystem::create_directories(folder);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    });
    return true;
  }();
  (void)made;
  return folder;
}

// The system's file calls without fsync, for writers that take their calls:
// the disk is not what is tested, and syncing would slow each run a
// thousandfold.
inline const FileOps& NoSyncFileOps() {
  static const FileOps ops = [] {
    FileOps calls = SystemFileOps();
    calls.sync = [](int) { return 0; };
    return calls;
  }();
  return ops;
}
