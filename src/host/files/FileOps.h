#pragma once

#include <sys/types.h>

#include <cstddef>

// The few system calls that put bytes on disk, gathered so a test can make
// any of them fail (a full disk, a read-only folder) without a real one.
// Every write in this folder goes through the calls its writer was given
// (the system's unless a test hands in its own).
struct FileOps {
  int (*makeTemporary)(char* nameTemplate);  // mkstemp-like: an open descriptor or -1
  ssize_t (*write)(int descriptor, const void* bytes, std::size_t count);
  int (*sync)(int descriptor);
  int (*rename)(const char* from, const char* to);
};

// The system's own calls.
const FileOps& SystemFileOps();
