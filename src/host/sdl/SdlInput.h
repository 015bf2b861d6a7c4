#pragma once

#include <SDL.h>

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

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // the controller's own, or a raw one
  };
  bool OpenPad(int deviceIndex, int padNumber);

  Pad pads[kJoystickMax];
  bool subsystemOpen = false;
};
