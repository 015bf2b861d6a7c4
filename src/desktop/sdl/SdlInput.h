#pragma once

#include <SDL.h>

#include <map>
#include <string>

#include "host/input/Bindings.h"
#include "host/input/InputSource.h"
#include "host/input/KeyEdges.h"

class HostMessageBox;

// The desktop's keyboard and joysticks on SDL. The keyboard is SDL's state of
// the keys held while the display window has the focus, translated to PC
// scan codes. Joysticks are enumerated and logged when opened; the first two
// are used, as game controllers where SDL's mapping database knows them (so
// the d-pad and face buttons sit where a player expects them), otherwise as
// raw joysticks with their axes 0 and 1, hat and numbered buttons.
// Each pad is read through its bindings: those the player made for its GUID
// (SDL_JoystickGetGUIDString), else its defaults (the layout above).
//
// Device state changes arrive with the events the main loop pumps. A key
// pressed and let go between two frames, or let go and pressed again, would
// be missed by the state alone, so both edges are latched (KeyEdges): a
// short press counts as held for a frame, and a quick release and press as
// a release and a new press.
class SdlInput final : public InputSource {
 public:
  ~SdlInput() override;

  bool Open() override;
  void Close() override;
  bool ReadKeyboard(uint8_t (&keys)[kKeyboardKeyCount]) override;

  // A key-down event the main loop took from the queue (repeats aside), with
  // the modifiers held when it came: a Shift+F4 tapped between two frames
  // reads as Shift+F4 even when the Shift key is up again by then.
  void KeyPressed(SDL_Scancode scancode, Uint16 modifiers);
  // A key-up event.
  void KeyReleased(SDL_Scancode scancode);
  // The frame's reads are done: the key events latched so far are spent.
  void FrameRead();
  JoystickRead ReadJoystick(int index, JoystickState& state) override;

  // A device was plugged in (the device index of SDL_JOYDEVICEADDED): it
  // takes the first free pad, unless it is one of the pads already open.
  // Returns the pad's number (1 or 2) and the device's name, or 0 when it
  // is not taken.
  int DeviceAdded(int deviceIndex, std::string& name);
  // A device was pulled out (the instance id of SDL_JOYDEVICEREMOVED): its
  // pad is closed and free again. Returns the pad's number, or 0.
  int DeviceRemoved(SDL_JoystickID instance);

  // The player's bindings by pad GUID; pads open now and later take theirs.
  void SetPadChoices(const std::map<std::string, PadChoice>& choices);
  // The pad in `slot` (0 or 1): its GUID, name, bindings in use and default
  // bindings. False when no pad is there.
  bool PadInfo(int slot, std::string& guid, std::string& name, PadTable& table, PadTable& defaults) const;
  // The inputs of the pad in `slot` held now (buttons down, axes pushed
  // past the threshold, hat directions), at most `max`; their count.
  int HeldInputs(int slot, PadInput* out, int max) const;

  // Where a controller that cannot be opened is shown; nullptr: only logged.
  HostMessageBox* messageBox = nullptr;

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // the controller's own, or a raw one
    std::string guid;
    PadTable defaults;
    PadTable table;  // in use
  };
  bool OpenPad(int deviceIndex, int padNumber);

  Pad pads[kJoystickMax];
  bool subsystemOpen = false;
  std::map<std::string, PadChoice> padChoices;
  KeyEdges edges;  // by PC scan code, since the last FrameRead
};
