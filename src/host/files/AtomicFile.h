#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/files/FileOps.h"
#include "host/files/Result.h"

// What a write does when the path names a symbolic link.
enum class LinkPolicy {
  kReplaceLink,  // the link itself is replaced by the new file
  kFollowLink,   // the file the link points at is replaced; the link stays
};

// The file a path ends at once every symbolic link on its last component is
// followed (a dangling link gives the path it would create). The path itself
// when it is no link; empty after 40 links (a loop).
std::string ResolveLinks(const std::string& path);

// A new file under a unique name in the folder of the file it will replace,
// renamed over that file only once it is complete and on disk. Until then
// the old file is untouched; a failure or Abort removes the temporary name,
// so no partial file is ever left under the target's name. A target that is
// a character device is written in place instead (renaming over it would
// replace the device node); every write and the close are checked.
class TemporaryFile {
 public:
  // Writes through `ops` (which must outlive the file).
  explicit TemporaryFile(const FileOps& ops = SystemFileOps()) : ops(&ops) {}
  ~TemporaryFile() { Abort(); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Creates the temporary file beside `target` (already resolved).
  Result Open(const std::string& target);
  Result Write(const void* bytes, std::size_t count);
  // Overwrites bytes already written (a header fixed up at the end).
  Result WriteAt(std::uint64_t offset, const void* bytes, std::size_t count);
  // fsync, close, rename over the target, fsync the folder.
  Result Commit();
  // Closes and removes the temporary file, if any.
  void Abort();
  bool IsOpen() const { return descriptor >= 0; }
  const std::string& Target() const { return target; }
  // The system's error number of the last failure, 0 when there was none
  // (or the failure was no system call's, a path too long say).
  int Reason() const { return reason; }

 private:
  Result Fail(int error);

  const FileOps* ops;
  int descriptor = -1;
  bool inPlace = false;  // writing straight into a character device
  int reason = 0;
  std::string target;
  std::string temporary;
};

// Writes `bytes` as the whole new content of `path` through a TemporaryFile.
// A failure names the path and the system's reason; the old file is then as
// it was.
Result WriteFileAtomically(const std::string& path, const std::uint8_t* bytes, std::size_t count, LinkPolicy links,
                           const FileOps& ops = SystemFileOps());
inline Result WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, LinkPolicy links,
                                  const FileOps& ops = SystemFileOps()) {
  return WriteFileAtomically(path, bytes.data(), bytes.size(), links, ops);
}

// "cannot write 'path': why", for the outputs written through a TemporaryFile.
Reason CannotWrite(const std::string& path, const Reason& why);
