#pragma once

#include <SDL.h>

#include <string>

#include "host/input/InputSource.h"

// The desktop's keyboard and joysticks on SDL. The keyboard is SDL's state of
// the keys held while the display window has the focus, translated to PC
// scan codes. Joysticks are enumerated and logged when opened; the first two
// are used, as game controllers where SDL's mapping database knows them (so
// the d-pad and face buttons sit where a player expects them), otherwise as
// raw joysticks with their axes 0 and 1, hat and numbered buttons.
//
// Device state changes arrive with the events the main loop pumps.
class SdlInput final : public InputSource {
 public:
  ~SdlInput() override;

  bool Open() override;
  void Close() override;
  bool ReadKeyboard(uint8_t (&keys)[kKeyboardKeyCount]) override;
  JoystickRead ReadJoystick(int index, JoystickState& state) override;

  // A device was plugged in (the device index of SDL_JOYDEVICEADDED): it
  // takes the first free pad, unless it is one of the pads already open.
  // Returns the pad's number (1 or 2) and the device's name, or 0 when it
  // is not taken.
  int DeviceAdded(int deviceIndex, std::string& name);
  // A device was pulled out (the instance id of SDL_JOYDEVICEREMOVED): its
  // pad is closed and free again. Returns the pad's number, or 0.
  int DeviceRemoved(SDL_JoystickID instance);

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // the controller's own, or a raw one
  };
  bool OpenPad(int deviceIndex, int padNumber);

  Pad pads[kJoystickMax];
  bool subsystemOpen = false;
};
