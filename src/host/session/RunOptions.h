#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/input/InputScript.h"
#include "console/Peripheral.h"
#include "host/files/Result.h"

// What the command line asked for.
struct RunOptions {
  std::string image;          // empty: the built-in demo cartridge
  bool headless = false;
  int frames = 600;
  bool framesGiven = false;   // --frames was given (a desktop run then ends after them)
  std::string screenshot;     // PNG of the last frame, if set
  bool crop = false;          // the screenshot shows only what the console's screen shows
  std::string audio;          // WAV of everything played, if set
  std::string vgm;            // VGM sound log of every sound-chip write, if set
  std::string loadState;      // save state to start from, if set
  std::string saveState;      // save state to write after the last frame, if set
  int rewindSeconds = 0;      // rewind history kept while running; 0: none
  InputScript input;
  bool japanese = false;      // Japanese console: no nationalisation lines (--region jp)
  std::string region;         // "jp", "us" or "eu"; empty: the image header's
  bool noSpriteLimit = false; // draw every sprite on a line, not only the first 8
  Peripheral port[2] = {Peripheral::kPad, Peripheral::kPad};  // what is plugged into ports 1 and 2
  GlassesView glassesView = GlassesView::kLeftEye;            // how the 3-D glasses' eyes are shown
  bool portGiven[2] = {false, false};  // --port1, --port2 given (over the desktop's settings)
  bool glassesGiven = false;           // --glasses given
  std::string filter;         // the desktop's picture filter (PictureFilterName); empty: the settings'
  int depth = 32;             // desktop depth the conversion targets
  bool rgb565 = true;         // 16-bit layout
  bool bench = false;         // print speed and peak memory at the end
  std::string mapper;         // the board's name (BoardName); empty: found from the image
  std::string console;        // "sms", "gg", "sg" or "sc"; empty: the image's own
  std::string cartridgeRam;   // "auto", "none", "2000" or "8000": the SG-1000's extra RAM
  std::string bios;           // the console's boot program, if set
  bool fm = false;            // fit the FM unit to an export console too
  // Headless debugging: symbol files, places to stop at, what a stop does
  // ("dump" prints and runs on, "exit" prints and ends the run), the trace file.
  std::vector<std::string> symbols;
  std::vector<std::string> breaks;
  std::string onBreak = "dump";
  std::string trace;
  // The Debug Adapter Protocol server's port on 127.0.0.1 (0: the system
  // picks one); -1: none.
  int debugServer = -1;
};

class Console;
enum class ConsoleKind : std::uint8_t;
// The console the command line names: its --console, else its image's name
// (a .gz archive's name less ".gz"); a Master System for none.
ConsoleKind CommandLineConsole(const RunOptions& options);
// Gives the console what the options choose for the next load: the board,
// the console, the boot program (read from its file). False, with the
// reason in `error`, when the boot program cannot be read.
Result ApplyConsoleOptions(const RunOptions& options, Console& console);

// Parses argv into options. Returns -1 to go on, or the exit status to end
// with at once (0 after --help or --version, nonzero after a bad option, with
// one line on standard error).
int ParseCommandLine(int argc, char** argv, RunOptions& options);
