#pragma once

#include <string>
#include <vector>

#include "host/files/Result.h"

// A file a run will write, named by the option that asked for it.
struct OutputFile {
  std::string option;  // "--screenshot", "--audio", ...
  std::string path;
};

// Checks, before anything is emulated, that no output would overwrite an
// input or another output: none may be the image, its battery file or an
// output named before it. Names are compared as canonical paths (links and
// "dir/../" resolved) and, for files that exist, by device and inode (hard
// links). A failure with one clear line.
Result CheckOutputs(const std::string& imagePath, const std::string& batteryPath,
                    const std::vector<OutputFile>& outputs);

// Checks that an output could be written: its folder exists and takes new
// files, and the path is no folder. Nothing is created.
Result CheckOutputWritable(const std::string& path);
