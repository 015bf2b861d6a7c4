#include "host/input/InputScript.h"

#include <charconv>

#include "host/input/KeyAction.h"
#include "host/input/ScKeyMap.h"

namespace {

struct ControlName {
  const char* name;
  KeyAction action;
};

constexpr ControlName kControls[] = {
    {"up", Pad1Up},        {"down", Pad1Down},       {"left", Pad1Left},
    {"right", Pad1Right},  {"1", Pad1Button1},       {"2", Pad1Button2},
    {"p2up", Pad2Up},      {"p2down", Pad2Down},     {"p2left", Pad2Left},
    {"p2right", Pad2Right}, {"p2-1", Pad2Button1},   {"p2-2", Pad2Button2},
    {"start", Start},      {"pause", Pause},         {"reset", ResetButton},
    {"framerate", ToggleFrameRate}, {"sprites", ToggleSprites},
};

}  // namespace

bool ParseFrameNumber(const std::string& text, int& value) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

int ScanCodeForControl(const std::string& name) {
  // key:NAME is the PC key of that name in the SC-3000's key map (key:A,
  // key:Return, key:Left Shift), for typing on its keyboard.
  if (name.starts_with("key:")) {
    for (const ScKeyMapping& key : ScKeyMap()) {
      if (name.compare(4, std::string::npos, key.hostKey) == 0) return key.scanCode;
    }
    if (name == "key:Page Up") return kScResetScanCode;
    return -1;
  }
  for (const ControlName& control : kControls) {
    if (name != control.name) continue;
    for (const DefaultBinding& binding : kDefaultKeyBindings) {
      if (binding.action == control.action) return binding.scanCode;
    }
  }
  return -1;
}

bool InputScript::Add(const std::string& text, std::string& error) {
  std::size_t at = text.find('@');
  if (at == std::string::npos) {
    error = "hold '" + text + "' needs @FRAME or @FROM-TO";
    return false;
  }
  Hold hold;
  std::string names = text.substr(0, at);
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t plus = names.find('+', start);
    std::string name = names.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    int code = ScanCodeForControl(name);
    if (code < 0) {
      error = "hold '" + text + "': unknown control '" + name + "'";
      return false;
    }
    hold.scanCodes.push_back(static_cast<std::uint8_t>(code));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  std::string range = text.substr(at + 1);
  std::size_t dash = range.find('-');
  bool ok = dash == std::string::npos
                ? ParseFrameNumber(range, hold.from)
                : ParseFrameNumber(range.substr(0, dash), hold.from) &&
                      ParseFrameNumber(range.substr(dash + 1), hold.to);
  if (dash == std::string::npos) hold.to = hold.from;
  if (!ok || hold.to < hold.from) {
    error = "hold '" + text + "': frames must be FRAME or FROM-TO with FROM <= TO";
    return false;
  }
  holds.push_back(std::move(hold));
  return true;
}

std::vector<std::uint8_t> InputScript::KeysAt(int frame) const {
  std::vector<std::uint8_t> keys;
  for (const Hold& hold : holds) {
    if (frame >= hold.from && frame <= hold.to) keys.insert(keys.end(), hold.scanCodes.begin(), hold.scanCodes.end());
  }
  return keys;
}
