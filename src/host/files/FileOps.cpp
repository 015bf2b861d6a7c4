#include "host/files/FileOps.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

int MakeTemporary(char* nameTemplate) { return ::mkostemp(nameTemplate, O_CLOEXEC); }

constexpr FileOps kSystemOps{MakeTemporary, ::write, ::fsync, ::rename};

}  // namespace

const FileOps& SystemFileOps() { return kSystemOps; }
