#pragma once

class HostMessageBox;

// What went wrong in a step of the window, the picture or the controllers
// the program cannot do without: a step that failed, or one whose object
// (window, surface, device) is not there.
enum class HostFailure { kFailed, kMissing };

// Every failed step of the display and the controllers is reported here: it
// is logged as "<context> Error[<number>]: <text>" (16389 "Generic Error" for
// a failed step, 130 "Invalid Object" for a missing one) and shown in a box
// captioned "Error" through `box` (none: only logged). The caller then gives
// up its step.
void ReportHostFailure(HostMessageBox* box, const char* context, HostFailure failure = HostFailure::kFailed);
