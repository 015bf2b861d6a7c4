#pragma once

#include "host/session/RunOptions.h"

// Runs the console without any window, sound device or input device: the
// image for the asked number of frames as fast as the host allows, with
// scripted input, then writes the screenshot and the recording. Returns the
// process exit status.
int RunHeadless(const RunOptions& options);
