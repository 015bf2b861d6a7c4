#include "host/session/RunOptions.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "console/Console.h"
#include "host/files/BiosFile.h"
#include "host/i18n/Translate.h"

namespace {
constexpr int kMaxFrames = 100000000;
}

#ifndef TAVRIN_VERSION
#define TAVRIN_VERSION "0.3"
#endif

namespace {

// What the command line gives as text, read into the options once parsed.
struct CommandLineTexts {
  std::string framesText;
  CLI::Option* frames = nullptr;
  std::vector<std::string> holds;
  std::vector<std::string> aims;
  std::string depth = "32";
  std::string ports[2] = {"pad", "pad"};
  CLI::Option* portOptions[2] = {};
  std::string glasses = "left";
  CLI::Option* glassesOption = nullptr;
};

// The image, how long it runs and what the run writes.
void AddRunOptions(CLI::App& app, RunOptions& options, CommandLineTexts& raw) {
  app.add_option("image", options.image, "Cartridge image (*.sms, *.gg, *.sg, *.sc); the built-in demo when left out");
  app.add_flag("--headless", options.headless,
               "No window, sound device or input device; run as fast as the host allows "
               "(also taken, with a screenshot, when no display can be opened)");
  raw.frames = app.add_option("--frames", raw.framesText,
                                       "Frames to run after reset, then shut down, in decimal from 0 to 100000000 "
                                       "(headless: 600 when left out; desktop: run until the windows close)")
                           ->type_name("INT");
  app.add_option("--screenshot", options.screenshot, "Write the last frame as a 256 x 192 PNG");
  app.add_flag("--crop", options.crop,
               "The screenshot shows only the console's screen (a Game Gear's 160 x 144; a Master System's "
               "whole 256 x 192)");
  app.add_option("--audio", options.audio, "Write everything played as a 16-bit mono 48000 Hz WAV");
  app.add_option("--vgm", options.vgm,
                 "Write a VGM sound log: every write to the sound chip and the FM unit with its time");
  app.add_option("--load-state", options.loadState, "Headless: start from this save state (then --frames counts further frames)");
  app.add_option("--save-state", options.saveState, "Headless: write a save state after the last frame");
  app.add_option("--rewind", options.rewindSeconds,
                 "Headless: keep this many seconds of rewind history while running (with --bench: its cost)")
      ->check(CLI::Range(1, 3600));
}

// Controls held and aimed over frames.
void AddInputOptions(CLI::App& app, CommandLineTexts& raw) {
  app.add_option("--hold", raw.holds,
                 "Hold controls over frames: NAME[+NAME...]@FROM[-TO]. Names: up down left right 1 2, "
                 "p2up p2down p2left p2right p2-1 p2-2, start pause reset framerate sprites")
      ->allow_extra_args(false);  // one hold per --hold, so the image after it stays the image
  app.add_option("--aim", raw.aims,
                 "Headless: point port 1's light gun, paddle or sports pad over frames: "
                 "[p2:]X,Y[:X2,Y2][+1][+2]@FROM[-TO] (p2: port 2; gliding to X2,Y2; buttons held)")
      ->allow_extra_args(false);
}

// The console, its cartridge, what is plugged in and how the picture shows.
void AddConsoleOptions(CLI::App& app, RunOptions& options, CommandLineTexts& raw) {
  const std::vector<std::string> peripherals = {"pad", "lightgun", "paddle", "sportspad", "glasses"};
  app.add_option("--region", options.region,
                 "The console's market: jp (Japanese, no nationalisation lines, the FM sound unit built in), us "
                 "(export NTSC, 60 Hz) or eu (export PAL, 50 Hz); left out: the one the image's header names, else us")
      ->check(CLI::IsMember({"jp", "us", "eu"}));
  app.add_flag("--japanese", options.japanese, "Another name for --region jp");
  app.add_flag("--fm", options.fm, "Fit the YM2413 FM sound unit to an export Master System too");
  app.add_flag("--no-sprite-limit", options.noSpriteLimit,
               "Draw every sprite on a line, not only the first 8 the console shows");
  raw.portOptions[0] = app.add_option("--port1", raw.ports[0],
                 "What is plugged into controller port 1: pad (the default), lightgun, paddle, sportspad or "
                 "glasses (the 3-D glasses)")
      ->check(CLI::IsMember(peripherals));
  raw.portOptions[1] = app.add_option("--port2", raw.ports[1], "What is plugged into controller port 2 (as --port1)")
      ->check(CLI::IsMember(peripherals));
  raw.glassesOption = app.add_option("--glasses", raw.glasses,
                 "How a 3-D program shows with the glasses plugged in: left (the left eye's frames only, the "
                 "default) or anaglyph (both eyes in red and cyan)")
      ->check(CLI::IsMember({"left", "anaglyph"}));
  app.add_option("--filter", options.filter,
                 "The desktop's picture filter for this run: none (sharp pixels), smooth, scanlines or lcd (the LCD "
                 "grid); left out: the one chosen in the menu")
      ->check(CLI::IsMember({"none", "smooth", "scanlines", "lcd"}));
  app.add_option("--depth", raw.depth, "Headless: desktop depth for the frame conversion: 32, 24, 16 (5-6-5) or 16-555 (windows use the desktop's own)")
      ->check(CLI::IsMember({"32", "24", "16", "16-565", "16-555"}));
  app.add_option("--mapper", options.mapper,
                 "Headless: the cartridge's board, whatever the image says: sega, codemasters, korean, korean8k, "
                 "multigame or none (any case)");
  app.add_option("--console", options.console,
                 "The console that runs the image, whatever its name and header say: sms, gg, sg (SG-1000) or sc "
                 "(SC-3000) (a Master System image on a Game Gear runs in its Master System mode)")
      ->check(CLI::IsMember({"sms", "gg", "sg", "sc"}));
  app.add_option("--cartridge-ram", options.cartridgeRam,
                 "SG-1000 and SC-3000: the cartridge's extra 8 KB of RAM: auto (where the program first writes in a "
                 "part of the map the image leaves free, the default), none, 2000 or 8000 (its address)")
      ->check(CLI::IsMember({"auto", "none", "2000", "8000"}));
  app.add_option("--bios", options.bios,
                 "The console's boot program (a file of yours, at most 512 KB): it starts the console and hands "
                 "over to the cartridge");
}

// Symbols, breakpoints, the trace, the debug server and the speed figures.
void AddDebugOptions(CLI::App& app, RunOptions& options) {
  app.add_option("--symbols", options.symbols,
                 "Headless: read labels from this symbol file (WLA-DX .sym, sdcc .noi, .map or .cdb, pasmo); the "
                 "image's own .sym, .noi, .map and .cdb beside it are read anyway")
      ->allow_extra_args(false);
  app.add_option("--break", options.breaks,
                 "Stop before the instruction at LABEL, LABEL+OFFSET, an address ($1234, 1234h) or "
                 "PAGE:ADDRESS (in that ROM page only); may be given more than once (on the desktop the "
                 "processor window opens at the stop)")
      ->allow_extra_args(false);
  app.add_option("--on-break", options.onBreak,
                 "Headless: what a stop does: dump (print the registers, the code and the stack on standard "
                 "output, then run on; the default) or exit (print, then end the run with status 3)")
      ->check(CLI::IsMember({"dump", "exit"}));
  app.add_option("--trace", options.trace,
                 "Headless: write one line per instruction to this file: address and label, instruction, "
                 "cycles since power-on, registers");
  app.add_option("--debug-server", options.debugServer,
                 "Serve the Debug Adapter Protocol on 127.0.0.1:PORT, for an editor's debugger (0: a free port, "
                 "printed); a headless run waits for the client before its first frame")
      ->check(CLI::Range(0, 65535));
  app.add_flag("--bench", options.bench,
               "Print emulation speed and peak memory when done (desktop: frame rate, CPU use and sound delay)");

}

// Reads the texts into the options; 2 (after a line on standard error) when
// one is refused, else -1.
int TakeTexts(const CommandLineTexts& raw, RunOptions& options) {
  options.framesGiven = raw.frames->count() > 0;
  // Read like --hold's frames: decimal only, never octal or hexadecimal.
  if (options.framesGiven && (!ParseFrameNumber(raw.framesText, options.frames) || options.frames > kMaxFrames)) {
    std::fprintf(stderr, "tavrin: --frames '%s' is not a decimal number from 0 to %d\n", raw.framesText.c_str(),
                 kMaxFrames);
    return 2;
  }
  Board board;
  if (!options.mapper.empty() && !BoardFromName(options.mapper.c_str(), board)) {
    std::fprintf(stderr, "tavrin: --mapper '%s' is none of sega, codemasters, korean, korean8k, multigame, none\n",
                 options.mapper.c_str());
    return 2;
  }
  if (options.japanese) options.region = "jp";
  options.japanese = options.region == "jp";
  for (int port = 0; port < 2; ++port) {
    PeripheralFromName(raw.ports[port].c_str(), options.port[port]);
    options.portGiven[port] = raw.portOptions[port]->count() > 0;
  }
  options.glassesGiven = raw.glassesOption->count() > 0;
  options.glassesView = raw.glasses == "anaglyph" ? GlassesView::kAnaglyph : GlassesView::kLeftEye;
  options.depth = raw.depth == "24" ? 24 : raw.depth == "32" ? 32 : 16;
  options.rgb565 = raw.depth != "16-555";
  for (const std::string& hold : raw.holds) {
    if (const Result added = options.input.Add(hold); !added) {
      std::fprintf(stderr, "tavrin: %s\n", added.Log().c_str());
      return 2;
    }
  }
  for (const std::string& aim : raw.aims) {
    if (const Result added = options.input.AddAim(aim); !added) {
      std::fprintf(stderr, "tavrin: %s\n", added.Log().c_str());
      return 2;
    }
  }
  return -1;
}

}  // namespace

int ParseCommandLine(int argc, char** argv, RunOptions& options) {
  CLI::App app{"Tavrin: a Master System and Game Gear emulator.", "tavrin"};
  app.set_version_flag("--version", std::string("tavrin ") + TAVRIN_VERSION);
  CommandLineTexts raw;
  AddRunOptions(app, options, raw);
  AddInputOptions(app, raw);
  AddConsoleOptions(app, options, raw);
  AddDebugOptions(app, options);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "tavrin: %s\n", e.what());
    return 2;
  }
  return TakeTexts(raw, options);
}

ConsoleKind CommandLineConsole(const RunOptions& options) {
  ConsoleKind kind;
  if (!options.console.empty() && ConsoleKindFromName(options.console.c_str(), kind)) return kind;
  std::string name = options.image;
  // game.sg.gz is an SG-1000's image.
  if (name.size() > 3 && (name.ends_with(".gz") || name.ends_with(".GZ"))) name.resize(name.size() - 3);
  return ConsoleKindOfName(name.c_str());
}

Result ApplyConsoleOptions(const RunOptions& options, Console& console) {
  Board board;
  if (!options.mapper.empty() && BoardFromName(options.mapper.c_str(), board)) console.SetBoardChoice(board);
  ConsoleKind kind;
  if (!options.console.empty() && ConsoleKindFromName(options.console.c_str(), kind)) console.SetConsoleKind(kind);
  SgCartridgeRam ram;
  if (!options.cartridgeRam.empty() && SgCartridgeRamFromName(options.cartridgeRam.c_str(), ram)) {
    console.SetCartridgeRamChoice(ram);
  }
  if (options.fm) console.SetFmUnitAsked(true);
  if (options.region == "jp") console.SetRegion(Region::kJapanese);
  if (options.region == "us") console.SetRegion(Region::kExport);
  if (options.region == "eu") console.SetRegion(Region::kExportPal);
  if (options.bios.empty()) return {};
  std::vector<std::uint8_t> bytes;
  if (Result read = ReadBiosFile(options.bios, bytes); !read) return read;
  if (!console.SetBios(bytes.data(), bytes.size())) {
    return AboutPath(options.bios, {"the boot program cannot be held in memory",
                                    Tr("le programme de démarrage ne tient pas en mémoire")});
  }
  return {};
}
