// The libretro core: the console library behind the libretro entry points, so
// any libretro front end can run Tavrin. This host is thin: it turns RetroPad
// states into FrameInput, the indexed picture into XRGB8888 (or RGB565)
// pixels through the host colour conversion, and the mono samples into the
// interleaved stereo pairs libretro wants. Each controller port takes a
// device type: the pad, the light gun (the front end's light gun), the paddle
// and the sports pad (its mouse), or the 3-D glasses. Saving battery RAM is the front
// end's business: it reads and writes the cartridge RAM through
// retro_get_memory_data.

#include <libretro.h>
#include <strings.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/SaveState.h"
#include "timing/Timing.h"
#include "host/conversion/ColourConversion.h"
#include "host/conversion/PixelConversion.h"
#include "host/input/ScKeyMap.h"

#ifndef TAVRIN_VERSION
#define TAVRIN_VERSION "unknown"
#endif

#define TAVRIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kPorts = 2;

// The front end's callbacks. They outlive any loaded game.
struct Frontend {
  retro_environment_t environment = nullptr;
  retro_video_refresh_t videoRefresh = nullptr;
  retro_audio_sample_t audioSample = nullptr;
  retro_audio_sample_batch_t audioBatch = nullptr;
  retro_input_poll_t inputPoll = nullptr;
  retro_input_state_t inputState = nullptr;
  retro_log_printf_t log = nullptr;
  // Port devices chosen before or after a game is loaded.
  unsigned device[kPorts] = {RETRO_DEVICE_JOYPAD, RETRO_DEVICE_JOYPAD};
  // The paddles' positions: the mouse moves them, so the core keeps where
  // they are (the middle of their travel at first).
  int paddle[kPorts] = {128, 128};
};
Frontend frontend;

void Log(retro_log_level level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Log(retro_log_level level, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (frontend.log)
    frontend.log(level, "%s", line);
  else if (level >= RETRO_LOG_WARN)
    std::fputs(line, stderr);
}

bool Environment(unsigned command, void* data) {
  return frontend.environment && frontend.environment(command, data);
}

// A failure the player must see: on screen for a few seconds through the
// newer message call where the front end has it, else the first one, and in
// the log at error level.
void ShowError(const char* text) {
  Log(RETRO_LOG_ERROR, "Tavrin: %s\n", text);
  char line[512];
  std::snprintf(line, sizeof line, "Tavrin: %s", text);
  unsigned version = 0;
  if (Environment(RETRO_ENVIRONMENT_GET_MESSAGE_INTERFACE_VERSION, &version) && version >= 1) {
    retro_message_ext message{};
    message.msg = line;
    message.duration = 5000;  // milliseconds
    message.priority = 3;
    message.level = RETRO_LOG_ERROR;
    message.target = RETRO_MESSAGE_TARGET_OSD;  // logged above already
    message.type = RETRO_MESSAGE_TYPE_NOTIFICATION;
    message.progress = -1;
    if (Environment(RETRO_ENVIRONMENT_SET_MESSAGE_EXT, &message)) return;
  }
  retro_message message{line, 300};  // frames: five seconds
  Environment(RETRO_ENVIRONMENT_SET_MESSAGE, &message);
}

// The console's own log lines go to the front end's log.
void ConsoleLogWriter(void*, const char* text, std::size_t length) {
  if (!frontend.log || length == 0) return;
  // The console writes "\r\n" and partial lines; the front end wants lines.
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  if (length > 0) frontend.log(RETRO_LOG_DEBUG, "%.*s\n", static_cast<int>(length), text);
}

// Everything that exists while a game is loaded: the console and the host's
// buffers, sized for the largest frame so no frame allocates.
struct Core {
  Console console;
  PixelFormat format = PixelFormat::Rgb32;
  bool canDupe = false;
  std::uint32_t palette[Video::kColourCount] = {};
  std::uint32_t pixels32[Video::kFrameSize] = {};
  std::uint16_t pixels16[Video::kFrameSize] = {};
  std::int16_t stereo[2 * Psg::kMaxFrameSamples] = {};
  retro_memory_descriptor memoryDescriptors[2] = {};
  bool ran = false;  // a frame has run since the game was loaded
  // The homebrew debug console's line being printed (the front end logs
  // whole lines); a longer line is logged in pieces.
  char debugLine[256] = {};
  int debugLineLength = 0;
};
Core* core = nullptr;

// ---- Core options ----

constexpr const char* kOptionJapanese = "tavrin_japanese";
constexpr const char* kOptionRegion = "tavrin_region";
constexpr const char* kOptionSpriteLimit = "tavrin_sprite_limit";
constexpr const char* kOptionMapper = "tavrin_mapper";
constexpr const char* kOptionConsole = "tavrin_console";
constexpr const char* kOptionBios = "tavrin_bios";
constexpr const char* kOptionFm = "tavrin_fm";
constexpr const char* kOptionGlasses = "tavrin_glasses";
// The boot program the player may put in the front end's system folder.
constexpr const char* kBiosFileName = "bios.sms";

retro_core_option_v2_definition optionDefinitions[] = {
    {kOptionJapanese, "Japanese console", nullptr,
     "A Japanese console has no nationalisation lines: programs that check for one see it and may show "
     "Japanese text or refuse to run elsewhere. Takes effect at once.",
     nullptr, nullptr, {{"disabled", nullptr}, {"enabled", nullptr}, {nullptr, nullptr}}, "disabled"},
    {kOptionRegion, "Region", nullptr,
     "The console's market: Japanese, export NTSC (60 Hz) or export PAL (50 Hz, 313 lines, its own pace and "
     "taller pictures). Automatic takes the one the content's header names (else export NTSC) and leaves the "
     "Japanese console option in charge. Takes effect at once.",
     nullptr, nullptr,
     {{"auto", "Automatic"}, {"jp", "Japanese"}, {"us", "Export NTSC"}, {"eu", "Export PAL"}, {nullptr, nullptr}},
     "auto"},
    {kOptionSpriteLimit, "Sprite limit", nullptr,
     "The video chip shows at most eight sprites on a line; games rely on it to hide sprites and it makes "
     "crowded scenes flicker. Disabled shows every sprite.",
     nullptr, nullptr, {{"enabled", nullptr}, {"disabled", nullptr}, {nullptr, nullptr}}, "enabled"},
    {kOptionMapper, "Cartridge board", nullptr,
     "The board the cartridge is built on, which decides how it switches banks. Automatic finds it from the "
     "image and the program's first writes. Takes effect when content is loaded.",
     nullptr, nullptr,
     {{"auto", "Automatic"}, {"sega", "Sega"}, {"codemasters", "Codemasters"}, {"korean", "Korean"},
      {"korean8k", "Korean 8 KB"}, {"multigame", "Multi-game"}, {"none", "No mapper"}, {nullptr, nullptr}},
     "auto"},
    {kOptionConsole, "Console", nullptr,
     "The console that runs the content: the one its name and header say, a Master System, a Game Gear "
     "(a Master System image then runs in the handheld's Master System mode), an SG-1000 or an SC-3000. Takes "
     "effect when content is loaded.",
     nullptr, nullptr,
     {{"auto", "Automatic"}, {"sms", "Master System"}, {"gg", "Game Gear"}, {"sg", "SG-1000"}, {"sc", "SC-3000"},
      {nullptr, nullptr}},
     "auto"},
    {kOptionBios, "Boot program", nullptr,
     "Starts the Master System with the boot program bios.sms from the system folder, when it is there; it hands "
     "over to the cartridge as the console does. Takes effect when content is loaded.",
     nullptr, nullptr, {{"enabled", nullptr}, {"disabled", nullptr}, {nullptr, nullptr}}, "enabled"},
    {kOptionFm, "FM unit", nullptr,
     "The YM2413 FM sound unit, built into the Japanese Master System, is fitted to an export Master System "
     "too (as the Mark III's add-on was); programs that find it play FM music. Takes effect when content is loaded.",
     nullptr, nullptr, {{"disabled", nullptr}, {"enabled", nullptr}, {nullptr, nullptr}}, "disabled"},
    {kOptionGlasses, "3-D glasses view", nullptr,
     "How a 3-D program shows while the 3-D glasses are plugged into a port: the left eye's frames only, or "
     "both eyes mixed, the left in red and the right in cyan. Takes effect at once.",
     nullptr, nullptr, {{"left", "Left eye"}, {"anaglyph", "Red and cyan"}, {nullptr, nullptr}}, "left"},
    {},
};
retro_core_options_v2 optionsV2 = {nullptr, optionDefinitions};

// The first API's form of the same options, for front ends that refuse the
// second (filled from the definitions above at set-up).
retro_core_option_definition optionsV1[sizeof optionDefinitions / sizeof optionDefinitions[0]] = {};
// The oldest form: "Description; first value|second value".
constexpr retro_variable kVariables[] = {
    {kOptionJapanese, "Japanese console; disabled|enabled"},
    {kOptionRegion, "Region; auto|jp|us|eu"},
    {kOptionSpriteLimit, "Sprite limit; enabled|disabled"},
    {kOptionMapper, "Cartridge board; auto|sega|codemasters|korean|korean8k|multigame|none"},
    {kOptionConsole, "Console; auto|sms|gg|sg|sc"},
    {kOptionBios, "Boot program; enabled|disabled"},
    {kOptionFm, "FM unit; disabled|enabled"},
    {kOptionGlasses, "3-D glasses view; left|anaglyph"},
    {nullptr, nullptr},
};

void DeclareOptions() {
  if (Environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &optionsV2)) return;
  for (std::size_t i = 0; optionDefinitions[i].key; ++i) {
    const auto& from = optionDefinitions[i];
    optionsV1[i].key = from.key;
    optionsV1[i].desc = from.desc;
    optionsV1[i].info = from.info;
    std::memcpy(optionsV1[i].values, from.values, sizeof from.values);
    optionsV1[i].default_value = from.default_value;
  }
  if (Environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS, optionsV1)) return;
  Environment(RETRO_ENVIRONMENT_SET_VARIABLES, const_cast<retro_variable*>(kVariables));
}

// An option's value is "enabled"; `otherwise` when the front end has no
// value for it.
bool OptionEnabled(const char* key, bool otherwise) {
  retro_variable variable{key, nullptr};
  if (!Environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable) || !variable.value) return otherwise;
  return std::strcmp(variable.value, "enabled") == 0;
}

// An option's value; `otherwise` when the front end has none.
const char* OptionValue(const char* key, const char* otherwise) {
  retro_variable variable{key, nullptr};
  if (!Environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable) || !variable.value) return otherwise;
  return variable.value;
}

// What applies from the next load on: the board, the console, and the boot
// program from the system folder (a missing file is no error).
void ApplyLoadOptions(Console& console) {
  Board board;
  const char* mapper = OptionValue(kOptionMapper, "auto");
  console.SetBoardChoice(BoardFromName(mapper, board) ? std::optional<Board>(board) : std::nullopt);
  ConsoleKind kind = ConsoleKind::kFromImage;
  ConsoleKindFromName(OptionValue(kOptionConsole, "auto"), kind);
  console.SetConsoleKind(kind);
  console.SetFmUnitAsked(OptionEnabled(kOptionFm, false));
  const char* folder = nullptr;
  if (!OptionEnabled(kOptionBios, true) || !Environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &folder) || !folder) {
    return;
  }
  const std::string path = std::string(folder) + "/" + kBiosFileName;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return;
  std::vector<std::uint8_t> bytes(Console::kMaxBiosSize + 1);
  const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (size == 0 || size > Console::kMaxBiosSize || !console.SetBios(bytes.data(), size)) {
    Log(RETRO_LOG_WARN, "Tavrin: %s is not a boot program (%zu bytes); starting without one\n", path.c_str(), size);
    return;
  }
  Log(RETRO_LOG_INFO, "Tavrin: boot program %s\n", path.c_str());
}

// The region option, or with "auto" the Japanese console option over the
// content's header.
Region RegionOption() {
  const char* region = OptionValue(kOptionRegion, "auto");
  if (std::strcmp(region, "jp") == 0) return Region::kJapanese;
  if (std::strcmp(region, "us") == 0) return Region::kExport;
  if (std::strcmp(region, "eu") == 0) return Region::kExportPal;
  return OptionEnabled(kOptionJapanese, false) ? Region::kJapanese : Region::kFromImage;
}

// True when the frame rate changed (the front end must then hear of it).
bool ApplyOptions(Console& console) {
  const std::uint32_t clockBefore = console.timing.clockHz;
  console.SetRegion(RegionOption());
  console.video.spriteLimit = OptionEnabled(kOptionSpriteLimit, true);
  console.SetGlassesView(std::strcmp(OptionValue(kOptionGlasses, "left"), "anaglyph") == 0 ? GlassesView::kAnaglyph
                                                                                         : GlassesView::kLeftEye);
  return console.timing.clockHz != clockBefore;
}

// ---- Input ----

struct ButtonBit {
  unsigned id;
  std::uint8_t bit;
};
// B and A are the pad's buttons 1 and 2 (where the console's pad has them),
// with Y and X as alternates.
constexpr ButtonBit kPadButtons[] = {
    {RETRO_DEVICE_ID_JOYPAD_UP, kPadUp},         {RETRO_DEVICE_ID_JOYPAD_DOWN, kPadDown},
    {RETRO_DEVICE_ID_JOYPAD_LEFT, kPadLeft},     {RETRO_DEVICE_ID_JOYPAD_RIGHT, kPadRight},
    {RETRO_DEVICE_ID_JOYPAD_B, kPadButton1},     {RETRO_DEVICE_ID_JOYPAD_Y, kPadButton1},
    {RETRO_DEVICE_ID_JOYPAD_A, kPadButton2},     {RETRO_DEVICE_ID_JOYPAD_X, kPadButton2},
};

// The front end's key for a PC key of the SC-3000's key map: a character
// key is its own lower-case character; the others by name.
unsigned RetroKey(const ScKeyMapping& key) {
  if (key.hostKey[0] != 0 && key.hostKey[1] == 0) {
    const char c = key.hostKey[0];
    return static_cast<unsigned>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  struct Named {
    const char* name;
    unsigned key;
  };
  static constexpr Named kNamed[] = {
      {"Backspace", RETROK_BACKSPACE}, {"Return", RETROK_RETURN},    {"Space", RETROK_SPACE},
      {"Left Shift", RETROK_LSHIFT},   {"Right Shift", RETROK_RSHIFT}, {"Left Ctrl", RETROK_LCTRL},
      {"Right Ctrl", RETROK_RCTRL},    {"Left Alt", RETROK_LALT},    {"Right Alt", RETROK_RALT},
      {"Tab", RETROK_TAB},             {"Home", RETROK_HOME},        {"Insert", RETROK_INSERT},
      {"Delete", RETROK_DELETE},       {"End", RETROK_END},          {"Page Down", RETROK_PAGEDOWN},
      {"Up", RETROK_UP},               {"Down", RETROK_DOWN},        {"Left", RETROK_LEFT},
      {"Right", RETROK_RIGHT},
  };
  for (const Named& named : kNamed) {
    if (std::strcmp(named.name, key.hostKey) == 0) return named.key;
  }
  return RETROK_UNKNOWN;
}

// The device types a port takes besides the pad. The paddle and the sports
// pad are worked with the mouse; the glasses use no input at all.
constexpr unsigned kDeviceLightGun = RETRO_DEVICE_LIGHTGUN;
constexpr unsigned kDevicePaddle = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_MOUSE, 0);
constexpr unsigned kDeviceSportsPad = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_MOUSE, 1);
constexpr unsigned kDeviceGlasses = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_NONE, 0);

struct DeviceKind {
  unsigned device;
  Peripheral peripheral;
};
constexpr DeviceKind kDeviceKinds[] = {
    {RETRO_DEVICE_JOYPAD, Peripheral::kPad},       {kDeviceLightGun, Peripheral::kLightGun},
    {kDevicePaddle, Peripheral::kPaddle},          {kDeviceSportsPad, Peripheral::kSportsPad},
    {kDeviceGlasses, Peripheral::kGlasses},
};

// What the console has in the port for a device type; an unplugged port (or
// a device the console has no use for) holds a pad nobody presses.
Peripheral PeripheralFor(unsigned device) {
  for (const DeviceKind& kind : kDeviceKinds)
    if (kind.device == device) return kind.peripheral;
  return Peripheral::kPad;
}

bool Known(unsigned device) {
  return std::any_of(std::begin(kDeviceKinds), std::end(kDeviceKinds),
                     [device](const DeviceKind& kind) { return kind.device == device; });
}

// The light gun's aim: the front end gives -0x7FFF to 0x7FFF across the
// picture it shows (the Game Gear's window on that console), which is turned
// into the console's 256 x 192 picture. Off the screen, or reloading (a shot
// off the screen), it aims at nothing.
PointerInput LightGunPointer(unsigned port, bool gameGear) {
  auto state = [port](unsigned id) { return frontend.inputState(port, RETRO_DEVICE_LIGHTGUN, 0, id); };
  PointerInput pointer;
  const bool reload = state(RETRO_DEVICE_ID_LIGHTGUN_RELOAD) != 0;
  pointer.button1 = reload || state(RETRO_DEVICE_ID_LIGHTGUN_TRIGGER) != 0;
  if (reload || state(RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN)) return pointer;
  const int width = gameGear ? kGameGearScreenWidth : Video::kWidth;
  const int height = gameGear ? kGameGearScreenHeight : Video::kHeight;
  auto scale = [](int value, int size) {
    return static_cast<int>((static_cast<long>(std::clamp(value, -0x7FFF, 0x7FFF)) + 0x7FFF) * size / 0xFFFF);
  };
  pointer.x = std::min(scale(state(RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X), width), width - 1) +
              (gameGear ? kGameGearScreenX : 0);
  pointer.y = std::min(scale(state(RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y), height), height - 1) +
              (gameGear ? kGameGearScreenY : 0);
  return pointer;
}

// The mouse for the paddle (its motion across turns the knob, the left
// button is the paddle's) and the sports pad (its motion, its two buttons).
PointerInput MousePointer(unsigned port) {
  auto state = [port](unsigned id) { return frontend.inputState(port, RETRO_DEVICE_MOUSE, 0, id); };
  PointerInput pointer;
  pointer.dx = state(RETRO_DEVICE_ID_MOUSE_X);
  pointer.dy = state(RETRO_DEVICE_ID_MOUSE_Y);
  pointer.button1 = state(RETRO_DEVICE_ID_MOUSE_LEFT) != 0;
  pointer.button2 = state(RETRO_DEVICE_ID_MOUSE_RIGHT) != 0;
  if (frontend.device[port] == kDevicePaddle) {
    frontend.paddle[port] = std::clamp(frontend.paddle[port] + pointer.dx, 0, 255);
    pointer.x = frontend.paddle[port];
  }
  return pointer;
}

FrameInput ReadInput(bool gameGear, bool keyboard) {
  FrameInput input;
  if (!frontend.inputState) return input;
  if (keyboard) {
    // The SC-3000's keys from the front end's keyboard, as the desktop maps
    // them; Page Up is its RESET key.
    for (const ScKeyMapping& key : ScKeyMap()) {
      std::uint8_t code = 0;
      if (frontend.inputState(0, RETRO_DEVICE_KEYBOARD, 0, RetroKey(key)) && ScKeyFromName(key.scKey, code)) {
        PressScKey(input, code);
      }
    }
    if (frontend.inputState(0, RETRO_DEVICE_KEYBOARD, 0, RETROK_PAGEUP)) input.pause = true;
  }
  bool start = false;
  for (unsigned port = 0; port < kPorts; ++port) {
    const unsigned device = frontend.device[port];
    if (device == kDeviceLightGun) input.pointer[port] = LightGunPointer(port, gameGear);
    if (device == kDevicePaddle || device == kDeviceSportsPad) input.pointer[port] = MousePointer(port);
    if (device != RETRO_DEVICE_JOYPAD) continue;
    for (const ButtonBit& button : kPadButtons)
      if (frontend.inputState(port, RETRO_DEVICE_JOYPAD, 0, button.id)) input.pad[port] |= button.bit;
    if (frontend.inputState(port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_START)) start = true;
  }
  // Start is the Game Gear's Start button; the Master System's nearest
  // thing is the Pause button on the console.
  if (gameGear) {
    input.start = start;
  } else {
    input.pause = input.pause || start;
  }
  return input;
}

void DescribeInput() {
  static const retro_input_descriptor descriptors[] = {
#define TAVRIN_PAD(port)                                                          \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_UP, "Up"},                \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_DOWN, "Down"},            \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_LEFT, "Left"},            \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_RIGHT, "Right"},          \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_B, "Button 1"},           \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A, "Button 2"},           \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_Y, "Button 1"},           \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_X, "Button 2"},           \
  {port, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_START, "Start / Pause"}
      TAVRIN_PAD(0), TAVRIN_PAD(1),
#undef TAVRIN_PAD
      {0, 0, 0, 0, nullptr},
  };
  Environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, const_cast<retro_input_descriptor*>(descriptors));

  static const retro_controller_description devices[] = {
      {"Control Pad", RETRO_DEVICE_JOYPAD},      {"Light Phaser", kDeviceLightGun},
      {"Paddle (mouse)", kDevicePaddle},         {"Sports Pad (mouse)", kDeviceSportsPad},
      {"3-D Glasses", kDeviceGlasses},
  };
  static const retro_controller_info ports[] = {{devices, 5}, {devices, 5}, {nullptr, 0}};
  Environment(RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, const_cast<retro_controller_info*>(ports));
}

// ---- Picture and sound ----

void SendVideo(Core& c) {
  const bool gameGear = c.console.GameGear();
  const int width = gameGear ? kGameGearScreenWidth : Video::kWidth;
  // The Master System's picture is 192 lines, or 224 or 240 in mode 4's taller ones.
  const int height = gameGear ? kGameGearScreenHeight : c.console.ScreenColours() ? Video::kHeight : c.console.FrameHeight();
  const int left = gameGear ? kGameGearScreenX : 0;
  const int top = gameGear ? kGameGearScreenY : 0;

  // Only the shown window is converted, packed at the start of the buffer.
  const int bytesPerPixel = c.format == PixelFormat::Rgb32 ? 4 : 2;
  void* pixels = c.format == PixelFormat::Rgb32 ? static_cast<void*>(c.pixels32) : static_cast<void*>(c.pixels16);
  const std::ptrdiff_t pitch = width * bytesPerPixel;
  if (const std::uint16_t* colours = c.console.ScreenColours()) {
    ConvertColourWordRows({colours + top * Video::kWidth + left, Video::kWidth, static_cast<std::uint8_t*>(pixels),
                           pitch, width, height, bytesPerPixel},
                          c.format);
  } else {
    ConvertPalette(c.console.ShownColours(), c.console.GameGearColours(), c.format, c.palette);
    const std::uint8_t* window = c.console.Frame() + top * Video::kWidth + left;
    ConvertPixelRows({window, Video::kWidth, static_cast<std::uint8_t*>(pixels), pitch, width, height, bytesPerPixel},
                     c.palette);
  }
  frontend.videoRefresh(pixels, width, height, static_cast<std::size_t>(pitch));
}

void SendAudio(Core& c) {
  const int count = c.console.SampleCount();
  const std::int16_t* mono = c.console.Samples();
  for (int i = 0; i < count; ++i) c.stereo[2 * i] = c.stereo[2 * i + 1] = mono[i];
  if (frontend.audioBatch) {
    // A front end may take fewer frames than offered; it has had enough
    // when it takes none.
    std::size_t sent = 0;
    while (sent < static_cast<std::size_t>(count)) {
      const std::size_t taken = frontend.audioBatch(c.stereo + 2 * sent, count - sent);
      if (taken == 0) break;
      sent += taken;
    }
  } else if (frontend.audioSample) {
    for (int i = 0; i < count; ++i) frontend.audioSample(mono[i], mono[i]);
  }
}

// The file name the Game Gear rule reads: the content's path, else the
// front end's extended information, else none (a Master System).
const char* ContentName(const retro_game_info* game) {
  if (game->path && *game->path) return game->path;
  const retro_game_info_ext* ext = nullptr;
  if (Environment(RETRO_ENVIRONMENT_GET_GAME_INFO_EXT, &ext) && ext) {
    if (ext->full_path && *ext->full_path) return ext->full_path;
    if (ext->archive_file && *ext->archive_file) return ext->archive_file;
    if (ext->ext && strcasecmp(ext->ext, "gg") == 0) return ".gg";
    if (ext->ext && strcasecmp(ext->ext, "sg") == 0) return ".sg";
    if (ext->ext && strcasecmp(ext->ext, "sc") == 0) return ".sc";
  }
  return "";
}

void DescribeMemory(Core& c) {
  // The console's 8 KB at 0xC000, seen again at 0xE000: address line 13
  // does not reach the RAM.
  retro_memory_descriptor& ram = c.memoryDescriptors[0];
  ram.flags = RETRO_MEMDESC_SYSTEM_RAM;
  ram.ptr = c.console.systemRam;
  ram.start = 0xC000;
  ram.select = 0xC000;
  ram.disconnect = 0x2000;
  ram.len = Console::kSystemRamSize;
  // The cartridge RAM is banked in at 0x8000 only while the program enables
  // it, so it is described as a region of its own past the processor's
  // 64 KB rather than at a bus address.
  retro_memory_descriptor& cart = c.memoryDescriptors[1];
  cart.flags = RETRO_MEMDESC_SAVE_RAM;
  cart.ptr = c.console.CartridgeRam();
  cart.start = 0x10000;
  cart.len = Console::kCartridgeRamSize;
  retro_memory_map map{c.memoryDescriptors, 2};
  Environment(RETRO_ENVIRONMENT_SET_MEMORY_MAPS, &map);
}

// The cartridge RAM's size as the front end should save it. Front ends read
// the size once after loading, to copy the battery file in, and again when
// they write it out (at unload, or when starting their autosave). Before the
// first frame it is the whole RAM, so a battery file always comes in. After,
// a RAM still blank (every byte 0xFF: the game never stored anything in it
// and no battery file was copied in) reads as size 0, so a game without
// battery RAM leaves no file of 0xFF bytes behind.
std::size_t SaveRamSize(const Core& loaded) {
  if (!loaded.ran) return Console::kCartridgeRamSize;
  const std::uint8_t* ram = loaded.console.CartridgeRam();
  const bool blank = std::all_of(ram, ram + Console::kCartridgeRamSize, [](std::uint8_t b) { return b == 0xFF; });
  return blank ? 0 : Console::kCartridgeRamSize;
}

void DropCore() {
  delete core;
  core = nullptr;
}

}  // namespace

// ---- Entry points ----

TAVRIN_EXPORT unsigned retro_api_version() { return RETRO_API_VERSION; }

TAVRIN_EXPORT void retro_set_environment(retro_environment_t callback) {
  frontend.environment = callback;
  retro_log_callback logging{};
  frontend.log = Environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging) ? logging.log : nullptr;
  bool noGame = false;
  Environment(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, &noGame);
  DeclareOptions();
  DescribeInput();
}

TAVRIN_EXPORT void retro_set_video_refresh(retro_video_refresh_t callback) { frontend.videoRefresh = callback; }
TAVRIN_EXPORT void retro_set_audio_sample(retro_audio_sample_t callback) { frontend.audioSample = callback; }
TAVRIN_EXPORT void retro_set_audio_sample_batch(retro_audio_sample_batch_t callback) { frontend.audioBatch = callback; }
TAVRIN_EXPORT void retro_set_input_poll(retro_input_poll_t callback) { frontend.inputPoll = callback; }
TAVRIN_EXPORT void retro_set_input_state(retro_input_state_t callback) { frontend.inputState = callback; }

TAVRIN_EXPORT void retro_init() {}

TAVRIN_EXPORT void retro_deinit() {
  DropCore();
  frontend.device[0] = frontend.device[1] = RETRO_DEVICE_JOYPAD;
  frontend.paddle[0] = frontend.paddle[1] = 128;
}

TAVRIN_EXPORT void retro_get_system_info(retro_system_info* info) {
  std::memset(info, 0, sizeof *info);
  info->library_name = "Tavrin";
  info->library_version = TAVRIN_VERSION;
  info->valid_extensions = "sms|gg|sg|sc";
  info->need_fullpath = false;
  info->block_extract = false;
}

TAVRIN_EXPORT void retro_get_system_av_info(retro_system_av_info* info) {
  std::memset(info, 0, sizeof *info);
  const bool gameGear = core && core->console.GameGear();
  info->geometry.base_width = gameGear ? kGameGearScreenWidth : Video::kWidth;
  info->geometry.base_height = gameGear ? kGameGearScreenHeight : Video::kHeight;
  info->geometry.max_width = Video::kWidth;
  info->geometry.max_height = Video::kMaxHeight;
  // The Master System fills a 4:3 television; the Game Gear's screen has
  // square pixels, 160:144.
  info->geometry.aspect_ratio = gameGear ? 10.0f / 9.0f : 4.0f / 3.0f;
  info->timing.fps = core ? core->console.timing.FramesPerSecond() : kNtscTiming.FramesPerSecond();
  info->timing.sample_rate = Psg::kSampleRate;
}

TAVRIN_EXPORT void retro_set_controller_port_device(unsigned port, unsigned device) {
  if (port >= kPorts) return;
  // A device the console has no use for reads as unplugged rather than as
  // one it is not; any kind of RetroPad is the pad.
  if ((device & RETRO_DEVICE_MASK) == RETRO_DEVICE_JOYPAD) device = RETRO_DEVICE_JOYPAD;
  if (!Known(device) && device != RETRO_DEVICE_NONE)
    Log(RETRO_LOG_WARN, "Tavrin: port %u: the console has no device %u; the port is left unplugged\n", port + 1, device);
  frontend.device[port] = Known(device) ? device : RETRO_DEVICE_NONE;
  if (core) core->console.SetPeripheral(static_cast<int>(port), PeripheralFor(frontend.device[port]));
}

TAVRIN_EXPORT bool retro_load_game(const retro_game_info* game) {
  if (!game || !game->data || game->size == 0) {
    Log(RETRO_LOG_ERROR, "Tavrin: no cartridge image was given\n");
    return false;
  }
  DropCore();
  core = new (std::nothrow) Core;
  if (!core) {
    Log(RETRO_LOG_ERROR, "Tavrin: out of memory\n");
    return false;
  }
  Console& console = core->console;
  console.SetLogger(Logger{ConsoleLogWriter, nullptr});
  console.Create();
  ApplyLoadOptions(console);
  for (unsigned port = 0; port < kPorts; ++port)
    console.SetPeripheral(static_cast<int>(port), PeripheralFor(frontend.device[port]));
  if (!console.LoadCartridge(static_cast<const std::uint8_t*>(game->data), game->size, ContentName(game))) {
    const std::string reason = "the cartridge image cannot be used: " + Cartridge::SizeProblem(game->size);
    ShowError(reason.c_str());
    DropCore();
    return false;
  }
  // The boot program is the Master System's; the Game Gear starts without.
  if (console.GameGear()) console.ClearBios();

  retro_pixel_format pixelFormat = RETRO_PIXEL_FORMAT_XRGB8888;
  if (!Environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &pixelFormat)) {
    pixelFormat = RETRO_PIXEL_FORMAT_RGB565;
    if (!Environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &pixelFormat))
      Log(RETRO_LOG_WARN, "Tavrin: the front end takes neither XRGB8888 nor RGB565; sending RGB565\n");
    core->format = PixelFormat::Rgb565;
  }
  Environment(RETRO_ENVIRONMENT_GET_CAN_DUPE, &core->canDupe);

  ApplyOptions(console);
  console.Reset();
  DescribeMemory(*core);
  Log(RETRO_LOG_INFO, "Tavrin: %s cartridge, %d pages\n", ConsoleKindTitle(console.RunningConsole()),
      console.cartridge.PageCount());
  return true;
}

TAVRIN_EXPORT bool retro_load_game_special(unsigned, const retro_game_info*, std::size_t) { return false; }

TAVRIN_EXPORT void retro_unload_game() { DropCore(); }

TAVRIN_EXPORT void retro_reset() {
  if (core) core->console.Reset();
}

// What the program printed on the homebrew debug console goes to the front
// end's log at info level, a line at a time.
void LogDebugConsoleText(Core& c) {
  SdscConsole& sdsc = c.console.sdsc;
  for (const char ch : sdsc.Text()) {
    if (ch != '\n') c.debugLine[c.debugLineLength++] = ch;
    if (ch == '\n' || c.debugLineLength == static_cast<int>(sizeof c.debugLine)) {
      if (frontend.log) frontend.log(RETRO_LOG_INFO, "%.*s\n", c.debugLineLength, c.debugLine);
      c.debugLineLength = 0;
    }
  }
  sdsc.ClearText();
}

TAVRIN_EXPORT void retro_run() {
  if (frontend.inputPoll) frontend.inputPoll();
  if (!core) return;
  Console& console = core->console;

  bool optionsChanged = false;
  if (Environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &optionsChanged) && optionsChanged &&
      ApplyOptions(console)) {
    retro_system_av_info info;
    retro_get_system_av_info(&info);
    Environment(RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO, &info);
  }

  console.RunFrame(ReadInput(console.GameGear(), console.RunningConsole() == ConsoleKind::kSc3000));
  core->ran = true;
  if (!console.sdsc.Text().empty()) LogDebugConsoleText(*core);
  // The front end saves the cartridge RAM itself, from the memory pointer;
  // the console's own save request has nobody else to go to.
  console.TakeSaveRequest();

  // Run-ahead and fast-forward frames may be neither shown nor heard.
  int wanted = 3;
  if (!Environment(RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE, &wanted)) wanted = 3;
  if (frontend.videoRefresh) {
    if ((wanted & 1) || !core->canDupe)
      SendVideo(*core);
    else
      frontend.videoRefresh(nullptr, 0, 0, 0);
  }
  if (wanted & 2) SendAudio(*core);
}

TAVRIN_EXPORT std::size_t retro_serialize_size() { return core ? StateSize(core->console) : 0; }

TAVRIN_EXPORT bool retro_serialize(void* data, std::size_t size) {
  if (!core || !data) return false;
  const StateError error = SaveState(core->console, static_cast<std::uint8_t*>(data), size);
  if (error != StateError::None) Log(RETRO_LOG_WARN, "Tavrin: state not saved: %s\n", StateErrorText(error));
  return error == StateError::None;
}

TAVRIN_EXPORT bool retro_unserialize(const void* data, std::size_t size) {
  if (!core || !data) return false;
  const StateError error = LoadState(core->console, static_cast<const std::uint8_t*>(data), size);
  if (error != StateError::None) Log(RETRO_LOG_WARN, "Tavrin: state refused: %s\n", StateErrorText(error));
  return error == StateError::None;
}

TAVRIN_EXPORT void retro_cheat_reset() {}
TAVRIN_EXPORT void retro_cheat_set(unsigned, bool, const char*) {}

TAVRIN_EXPORT unsigned retro_get_region() {
  return core && core->console.CurrentRegion() == Region::kExportPal ? RETRO_REGION_PAL : RETRO_REGION_NTSC;
}

TAVRIN_EXPORT void* retro_get_memory_data(unsigned id) {
  if (!core) return nullptr;
  switch (id) {
    case RETRO_MEMORY_SAVE_RAM: return core->console.CartridgeRam();
    case RETRO_MEMORY_SYSTEM_RAM: return core->console.systemRam;
    default: return nullptr;
  }
}

TAVRIN_EXPORT std::size_t retro_get_memory_size(unsigned id) {
  if (!core) return 0;
  switch (id) {
    case RETRO_MEMORY_SAVE_RAM: return SaveRamSize(*core);
    case RETRO_MEMORY_SYSTEM_RAM: return Console::kSystemRamSize;
    default: return 0;
  }
}
