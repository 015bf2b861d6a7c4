#include "desktop/sdl/SdlInput.h"

#include <cstdio>

#include "debug/DebugConsole.h"
#include "host/i18n/Translate.h"
#include "desktop/sdl/KeyTranslation.h"
#include "host/dialogs/HostFailure.h"
#include "host/dialogs/HostMessageBox.h"

namespace {
constexpr int kListedMax = 16;
// An axis counts as pushed past this, as the input part's 0x2000 and 0xE000.
constexpr int kAxisPushed = 0x6000;

PadInput FromBind(const SDL_GameControllerButtonBind& bind, bool minus) {
  PadInput input;
  if (bind.bindType == SDL_CONTROLLER_BINDTYPE_BUTTON && bind.value.button >= 0 && bind.value.button < 256) {
    input = {PadInput::Button, static_cast<std::uint8_t>(bind.value.button), 0};
  } else if (bind.bindType == SDL_CONTROLLER_BINDTYPE_AXIS && bind.value.axis >= 0 && bind.value.axis < 256) {
    input = {minus ? PadInput::AxisMinus : PadInput::AxisPlus, static_cast<std::uint8_t>(bind.value.axis), 0};
  } else if (bind.bindType == SDL_CONTROLLER_BINDTYPE_HAT && bind.value.hat.hat >= 0 && bind.value.hat.hat < 256) {
    input = {PadInput::Hat, static_cast<std::uint8_t>(bind.value.hat.hat),
             static_cast<std::uint8_t>(bind.value.hat.hat_mask & 0x0F)};
  }
  return input;
}

// A game controller's defaults in its raw joystick's terms, after SDL's
// mapping: the d-pad or the left stick steer, A or X is button 1, B or Y
// button 2, Start is Start and Back pauses.
PadTable ControllerDefaults(SDL_GameController* c) {
  PadTable table;
  auto button = [&](SDL_GameControllerButton b) { return FromBind(SDL_GameControllerGetBindForButton(c, b), false); };
  auto axis = [&](SDL_GameControllerAxis a, bool minus) {
    return FromBind(SDL_GameControllerGetBindForAxis(c, a), minus);
  };
  auto set = [&](Control control, PadInput first, PadInput second) {
    table.inputs[static_cast<int>(control)] = {first, second};
  };
  set(Control::Pad1Up, button(SDL_CONTROLLER_BUTTON_DPAD_UP), axis(SDL_CONTROLLER_AXIS_LEFTY, true));
  set(Control::Pad1Down, button(SDL_CONTROLLER_BUTTON_DPAD_DOWN), axis(SDL_CONTROLLER_AXIS_LEFTY, false));
  set(Control::Pad1Left, button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), axis(SDL_CONTROLLER_AXIS_LEFTX, true));
  set(Control::Pad1Right, button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), axis(SDL_CONTROLLER_AXIS_LEFTX, false));
  set(Control::Pad1Button1, button(SDL_CONTROLLER_BUTTON_A), button(SDL_CONTROLLER_BUTTON_X));
  set(Control::Pad1Button2, button(SDL_CONTROLLER_BUTTON_B), button(SDL_CONTROLLER_BUTTON_Y));
  set(Control::Start, button(SDL_CONTROLLER_BUTTON_START), {});
  set(Control::Pause, button(SDL_CONTROLLER_BUTTON_BACK), {});
  return table;
}

bool Held(SDL_Joystick* j, const PadInput& input) {
  switch (input.kind) {
    case PadInput::Button:
      return input.index < SDL_JoystickNumButtons(j) && SDL_JoystickGetButton(j, input.index);
    case PadInput::AxisMinus:
      return input.index < SDL_JoystickNumAxes(j) && SDL_JoystickGetAxis(j, input.index) < -kAxisPushed;
    case PadInput::AxisPlus:
      return input.index < SDL_JoystickNumAxes(j) && SDL_JoystickGetAxis(j, input.index) > kAxisPushed;
    case PadInput::Hat:
      return input.index < SDL_JoystickNumHats(j) && (SDL_JoystickGetHat(j, input.index) & input.hat) != 0;
    case PadInput::None:
      break;
  }
  return false;
}

}  // namespace

SdlInput::~SdlInput() { Close(); }

bool SdlInput::Open() {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
    LogPrintf("Unable to get DirectInput interface\n");
    ShowHostMessageBox(messageBox, Tr("Impossible de créer l'interface DirectInput !\n"), Tr("Pas de DirectInput !"));
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
  if (pad.joystick) {
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(pad.joystick), guid, sizeof guid);
    pad.guid = guid;
    pad.defaults = pad.controller ? ControllerDefaults(pad.controller) : PadTable::RawDefaults();
    const auto stored = padChoices.find(pad.guid);
    pad.table = stored != padChoices.end() ? stored->second.Over(pad.defaults) : pad.defaults;
  }
  if (!pad.joystick) {
    LogPrintf("  %s\n", SDL_GetError());
    char context[32];
    std::snprintf(context, sizeof context, "Joystick%d Create Device", padNumber);
    ReportHostFailure(messageBox, context);
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
  std::uint8_t held[kKeyboardKeyCount];
  TranslateKeyboardState(state, count, held);
  edges.View(held, keys);
  return true;
}

void SdlInput::KeyPressed(SDL_Scancode scancode, Uint16 modifiers) {
  if (const std::uint8_t key = PcScanCode(scancode)) edges.Pressed(key);
  const struct {
    Uint16 mask;
    SDL_Scancode key;
  } held[] = {{KMOD_LSHIFT, SDL_SCANCODE_LSHIFT}, {KMOD_RSHIFT, SDL_SCANCODE_RSHIFT},
              {KMOD_LALT, SDL_SCANCODE_LALT},     {KMOD_RALT, SDL_SCANCODE_RALT}};
  for (const auto& modifier : held) {
    if (modifiers & modifier.mask) edges.HeldWithPress(PcScanCode(modifier.key));
  }
}

void SdlInput::KeyReleased(SDL_Scancode scancode) {
  if (const std::uint8_t key = PcScanCode(scancode)) edges.Released(key);
}

void SdlInput::FrameRead() {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  std::uint8_t held[kKeyboardKeyCount];
  TranslateKeyboardState(state, count, held);
  edges.FrameDone(held);
}

JoystickRead SdlInput::ReadJoystick(int index, JoystickState& state) {
  if (index < 0 || index >= kJoystickMax) return JoystickRead::NotRead;
  Pad& pad = pads[index];
  // An unplugged pad is skipped, as an unacquired device would be.
  if (!pad.joystick || !SDL_JoystickGetAttached(pad.joystick)) return JoystickRead::NotRead;

  SDL_Joystick* j = pad.joystick;
  std::uint32_t held = 0;
  for (int control = 0; control < kControlCount; ++control) {
    for (const PadInput& input : pad.table.inputs[control]) {
      if (Held(j, input)) held |= 1u << control;
    }
  }
  state = JoystickState{};
  if (held & ControlBit(Control::Pad1Up)) state.y = 0;
  if (held & ControlBit(Control::Pad1Down)) state.y = 0xFFFF;
  if (held & ControlBit(Control::Pad1Left)) state.x = 0;
  if (held & ControlBit(Control::Pad1Right)) state.x = 0xFFFF;
  state.buttons[0] = (held & ControlBit(Control::Pad1Button1)) ? 1 : 0;
  state.buttons[1] = (held & ControlBit(Control::Pad1Button2)) ? 1 : 0;
  state.held = held & ~((1u << kPadControlFirstShared) - 1);
  return JoystickRead::Read;
}

void SdlInput::SetPadChoices(const std::map<std::string, PadChoice>& choices) {
  padChoices = choices;
  for (Pad& pad : pads) {
    if (!pad.joystick) continue;
    const auto stored = padChoices.find(pad.guid);
    pad.table = stored != padChoices.end() ? stored->second.Over(pad.defaults) : pad.defaults;
  }
}

bool SdlInput::PadInfo(int slot, std::string& guid, std::string& name, PadTable& table, PadTable& defaults) const {
  if (slot < 0 || slot >= kJoystickMax || !pads[slot].joystick) return false;
  const Pad& pad = pads[slot];
  const char* shown = pad.controller ? SDL_GameControllerName(pad.controller) : SDL_JoystickName(pad.joystick);
  guid = pad.guid;
  name = shown ? shown : "Joystick";
  table = pad.table;
  defaults = pad.defaults;
  return true;
}

int SdlInput::HeldInputs(int slot, PadInput* out, int max) const {
  if (slot < 0 || slot >= kJoystickMax || !pads[slot].joystick || !out) return 0;
  SDL_Joystick* j = pads[slot].joystick;
  int count = 0;
  auto add = [&](PadInput input) {
    if (count < max) out[count++] = input;
  };
  for (int b = 0; b < SDL_JoystickNumButtons(j) && b < 256; ++b) {
    if (SDL_JoystickGetButton(j, b)) add({PadInput::Button, static_cast<std::uint8_t>(b), 0});
  }
  for (int a = 0; a < SDL_JoystickNumAxes(j) && a < 256; ++a) {
    const int value = SDL_JoystickGetAxis(j, a);
    if (value < -kAxisPushed) add({PadInput::AxisMinus, static_cast<std::uint8_t>(a), 0});
    if (value > kAxisPushed) add({PadInput::AxisPlus, static_cast<std::uint8_t>(a), 0});
  }
  for (int h = 0; h < SDL_JoystickNumHats(j) && h < 256; ++h) {
    const int hat = SDL_JoystickGetHat(j, h);
    for (int bit = 0; bit < 4; ++bit) {
      if (hat & (1 << bit)) add({PadInput::Hat, static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(1 << bit)});
    }
  }
  return count;
}
