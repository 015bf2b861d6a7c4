#include "host/sdl/SdlInput.h"

#include <cstdio>

#include "debug/DebugConsole.h"
#include "host/i18n/Translate.h"
#include "host/sdl/JoystickMapping.h"
#include "host/sdl/KeyTranslation.h"
#include "host/video/DxCheck.h"
#include "host/video/HostMessageBox.h"

namespace {
constexpr std::uint32_t kGenericError = 0x80004005u;
constexpr int kListedMax = 16;
}  // namespace

SdlInput::~SdlInput() { Close(); }

bool SdlInput::Open() {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
    LogPrintf("Unable to get DirectInput interface\n");
    ShowHostMessageBox(Tr("Unable to create DirectInput Interface!\n"), Tr("No DirectInput!"));
    return false;
  }
  subsystemOpen = true;

  LogPrintf("Joysticks attached:\n");
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count && i < kListedMax; ++i) {
    const char* product = SDL_JoystickNameForIndex(i);
    const char* instance = SDL_IsGameController(i) ? SDL_GameControllerNameForIndex(i) : product;
    LogPrintf("%s [%s]\n", instance ? instance : "Joystick", product ? product : "Unknown");
  }
  for (int pad = 0; pad < kJoystickMax && pad < count; ++pad) {
    if (!OpenPad(pad, pad + 1)) return false;
  }
  return true;
}

bool SdlInput::OpenPad(int deviceIndex, int padNumber) {
  const char* name = SDL_IsGameController(deviceIndex) ? SDL_GameControllerNameForIndex(deviceIndex)
                                                       : SDL_JoystickNameForIndex(deviceIndex);
  LogPrintf("Joypad %d: %s\n", padNumber, name ? name : "Joystick");
  Pad& pad = pads[padNumber - 1];
  if (SDL_IsGameController(deviceIndex)) {
    pad.controller = SDL_GameControllerOpen(deviceIndex);
    if (pad.controller) pad.joystick = SDL_GameControllerGetJoystick(pad.controller);
  } else {
    pad.joystick = SDL_JoystickOpen(deviceIndex);
  }
  if (!pad.joystick) {
    LogPrintf("  %s\n", SDL_GetError());
    char context[32];
    std::snprintf(context, sizeof context, "Joystick%d Create Device", padNumber);
    DxCheck(kGenericError, context);
    return false;
  }
  return true;
}

int SdlInput::DeviceAdded(int deviceIndex, std::string& name) {
  if (!subsystemOpen || deviceIndex < 0 || deviceIndex >= SDL_NumJoysticks()) return 0;
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  for (const Pad& pad : pads) {
    // SDL also announces the devices that were there when it started.
    if (pad.joystick && SDL_JoystickInstanceID(pad.joystick) == instance) return 0;
  }
  for (int slot = 0; slot < kJoystickMax; ++slot) {
    if (pads[slot].joystick) continue;
    if (!OpenPad(deviceIndex, slot + 1)) {
      pads[slot] = Pad{};
      return 0;
    }
    const char* shown = pads[slot].controller ? SDL_GameControllerName(pads[slot].controller)
                                              : SDL_JoystickName(pads[slot].joystick);
    name = shown ? shown : "Joystick";
    return slot + 1;
  }
  return 0;
}

int SdlInput::DeviceRemoved(SDL_JoystickID instance) {
  for (int slot = 0; slot < kJoystickMax; ++slot) {
    Pad& pad = pads[slot];
    if (!pad.joystick || SDL_JoystickInstanceID(pad.joystick) != instance) continue;
    if (pad.controller) {
      SDL_GameControllerClose(pad.controller);
    } else {
      SDL_JoystickClose(pad.joystick);
    }
    pad = Pad{};
    LogPrintf("Joypad %d removed\n", slot + 1);
    return slot + 1;
  }
  return 0;
}

void SdlInput::Close() {
  for (Pad& pad : pads) {
    if (pad.controller) {
      SDL_GameControllerClose(pad.controller);
    } else if (pad.joystick) {
      SDL_JoystickClose(pad.joystick);
    }
    pad = Pad{};
  }
  if (subsystemOpen) SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
  subsystemOpen = false;
}

bool SdlInput::ReadKeyboard(uint8_t (&keys)[kKeyboardKeyCount]) {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  if (!state) return false;
  TranslateKeyboardState(state, count, keys);
  return true;
}

JoystickRead SdlInput::ReadJoystick(int index, JoystickState& state) {
  if (index < 0 || index >= kJoystickMax) return JoystickRead::NotRead;
  Pad& pad = pads[index];
  // An unplugged pad is skipped, as an unacquired device would be.
  if (!pad.joystick || !SDL_JoystickGetAttached(pad.joystick)) return JoystickRead::NotRead;

  if (pad.controller) {
    SDL_GameController* c = pad.controller;
    ControllerReading reading;
    reading.leftX = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    reading.leftY = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
    reading.up = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP);
    reading.down = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    reading.left = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    reading.right = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    reading.a = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_A);
    reading.b = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_B);
    reading.x = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_X);
    reading.y = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_Y);
    reading.start = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_START);
    reading.back = SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_BACK);
    ControllerToJoystick(reading, state);
    return JoystickRead::Read;
  }

  SDL_Joystick* j = pad.joystick;
  state = JoystickState{};
  if (SDL_JoystickNumAxes(j) >= 2) {
    state.x = AxisFromSdl(SDL_JoystickGetAxis(j, 0));
    state.y = AxisFromSdl(SDL_JoystickGetAxis(j, 1));
  }
  if (SDL_JoystickNumHats(j) >= 1) ApplyHat(SDL_JoystickGetHat(j, 0), state);
  const int buttons = SDL_JoystickNumButtons(j);
  for (int b = 0; b < buttons && b < kJoystickButtonCount; ++b) {
    state.buttons[b] = SDL_JoystickGetButton(j, b) ? 1 : 0;
  }
  return JoystickRead::Read;
}
