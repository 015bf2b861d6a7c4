#include "host/input/InputScript.h"

#include <charconv>
#include <cstdlib>

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

// The command line's lines: the log's words alone.
Result InputScript::Add(const std::string& text) {
  std::size_t at = text.find('@');
  if (at == std::string::npos) {
    return LogReason("hold '" + text + "' needs @FRAME or @FROM-TO");
  }
  Hold hold;
  std::string names = text.substr(0, at);
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t plus = names.find('+', start);
    std::string name = names.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    int code = ScanCodeForControl(name);
    if (code < 0) {
      return LogReason("hold '" + text + "': unknown control '" + name + "'");
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
    return LogReason("hold '" + text + "': frames must be FRAME or FROM-TO with FROM <= TO");
  }
  holds.push_back(std::move(hold));
  return {};
}

namespace {

// A coordinate: decimal, with a minus sign allowed (off the picture), no
// further off than one picture's size on either side.
bool ParseCoordinate(const std::string& text, int& value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (!ParseFrameNumber(negative ? text.substr(1) : text, value) || value > 512) return false;
  if (negative) value = -value;
  return true;
}

bool ParsePoint(const std::string& text, int& x, int& y) {
  const std::size_t comma = text.find(',');
  return comma != std::string::npos && ParseCoordinate(text.substr(0, comma), x) &&
         ParseCoordinate(text.substr(comma + 1), y);
}

// Where an aim points during a frame it covers.
void AimPosition(const Aim& aim, int frame, int& x, int& y) {
  if (aim.to == aim.from) {
    x = aim.x, y = aim.y;
    return;
  }
  const long long step = frame - aim.from, steps = aim.to - aim.from;
  x = aim.x + static_cast<int>((aim.toX - aim.x) * step / steps);
  y = aim.y + static_cast<int>((aim.toY - aim.y) * step / steps);
}

}  // namespace

Result InputScript::AddAim(const std::string& text) {
  const std::size_t at = text.find('@');
  if (at == std::string::npos) {
    return LogReason("aim '" + text + "' needs @FRAME or @FROM-TO");
  }
  Aim aim;
  std::string where = text.substr(0, at);
  if (where.rfind("p2:", 0) == 0) {
    aim.port = 1;
    where.erase(0, 3);
  }
  // The buttons after the point.
  for (std::size_t plus; (plus = where.rfind('+')) != std::string::npos; where.erase(plus)) {
    const std::string button = where.substr(plus + 1);
    if (button != "1" && button != "2") {
      return LogReason("aim '" + text + "': unknown button '" + button + "' (1 or 2)");
    }
    (button == "1" ? aim.button1 : aim.button2) = true;
  }
  const std::size_t colon = where.find(':');
  const bool glides = colon != std::string::npos;
  if (!ParsePoint(where.substr(0, colon), aim.x, aim.y) ||
      (glides && !ParsePoint(where.substr(colon + 1), aim.toX, aim.toY))) {
    return LogReason("aim '" + text + "': the point must be X,Y or X,Y:X2,Y2, each from -512 to 512");
  }
  if (!glides) aim.toX = aim.x, aim.toY = aim.y;
  const std::string range = text.substr(at + 1);
  const std::size_t dash = range.find('-');
  const bool ok = dash == std::string::npos ? ParseFrameNumber(range, aim.from)
                                            : ParseFrameNumber(range.substr(0, dash), aim.from) &&
                                                  ParseFrameNumber(range.substr(dash + 1), aim.to);
  if (dash == std::string::npos) aim.to = aim.from;
  if (!ok || aim.to < aim.from) {
    return LogReason("aim '" + text + "': frames must be FRAME or FROM-TO with FROM <= TO");
  }
  aims.push_back(aim);
  return {};
}

const Aim* InputScript::AimAt(int port, int frame) const {
  for (auto aim = aims.rbegin(); aim != aims.rend(); ++aim)
    if (aim->port == port && frame >= aim->from && frame <= aim->to) return &*aim;
  return nullptr;
}

PointerInput InputScript::PointerAt(int port, int frame) const {
  PointerInput pointer;
  const Aim* aim = AimAt(port, frame);
  if (!aim) return pointer;
  AimPosition(*aim, frame, pointer.x, pointer.y);
  pointer.button1 = aim->button1;
  pointer.button2 = aim->button2;
  if (const Aim* before = frame > 0 ? AimAt(port, frame - 1) : nullptr) {
    int x = 0, y = 0;
    AimPosition(*before, frame - 1, x, y);
    pointer.dx = pointer.x - x;
    pointer.dy = pointer.y - y;
  }
  return pointer;
}

std::vector<std::uint8_t> InputScript::KeysAt(int frame) const {
  std::vector<std::uint8_t> keys;
  for (const Hold& hold : holds) {
    if (frame >= hold.from && frame <= hold.to) keys.insert(keys.end(), hold.scanCodes.begin(), hold.scanCodes.end());
  }
  return keys;
}
