#include "host/input/Bindings.h"

#include <charconv>

namespace {

struct ControlNames {
  const char* key;
  const char* pad;
};

constexpr ControlNames kNames[kControlCount] = {
    {"pad1-up", "up"},           {"pad1-down", "down"},         {"pad1-left", "left"},
    {"pad1-right", "right"},     {"pad1-button-1", "button-1"}, {"pad1-button-2", "button-2"},
    {"pad2-up", nullptr},        {"pad2-down", nullptr},        {"pad2-left", nullptr},
    {"pad2-right", nullptr},     {"pad2-button-1", nullptr},    {"pad2-button-2", nullptr},
    {"start", "start"},          {"pause", "pause"},            {"reset", "reset"},
    {"frame-rate", "frame-rate"}, {"sprites", "sprites"},       {"fullscreen", "fullscreen"},
    {"screenshot", "screenshot"}, {"mute", "mute"},             {"rewind", "rewind"},
    {"fast-forward", "fast-forward"},
    {"slot-1", "slot-1"}, {"slot-2", "slot-2"}, {"slot-3", "slot-3"}, {"slot-4", "slot-4"}, {"slot-5", "slot-5"},
    {"slot-6", "slot-6"}, {"slot-7", "slot-7"}, {"slot-8", "slot-8"}, {"slot-9", "slot-9"},
    {"emulator-pause", nullptr},
};

// The keys of the desktop before they could be changed, by PC scan code.
constexpr std::uint8_t kDefaultScan[kControlCount] = {
    0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D,  // arrows, Z, X
    0x17, 0x25, 0x24, 0x26, 0x10, 0x11,  // I, K, J, L, Q, W
    0x1F, 0x19, 0x13,                    // S, P, R
    0x21, 0x39, 0x57, 0x58, 0x32,        // F, Space, F11, F12, M
    0x0E, 0x0F,                          // Backspace, Tab
    0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43,  // F1-F9
    0xC5,                                                  // Pause/Break
};

constexpr const char* kHatNames[4] = {"up", "right", "down", "left"};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A number 0-255 making up the whole of `text`.
bool SmallNumber(std::string_view text, std::uint8_t& value) {
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.empty() || number > 255) return false;
  value = static_cast<std::uint8_t>(number);
  return true;
}

}  // namespace

const char* KeyControlName(Control control) { return kNames[static_cast<int>(control)].key; }
const char* PadControlName(Control control) { return kNames[static_cast<int>(control)].pad; }

bool KeyControlFromName(std::string_view name, Control& control) {
  for (int i = 0; i < kControlCount; ++i) {
    if (name == kNames[i].key) {
      control = static_cast<Control>(i);
      return true;
    }
  }
  return false;
}

bool PadControlFromName(std::string_view name, Control& control) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kNames[i].pad && name == kNames[i].pad) {
      control = static_cast<Control>(i);
      return true;
    }
  }
  return false;
}

KeyTable KeyTable::Defaults() {
  KeyTable table;
  for (int i = 0; i < kControlCount; ++i) table.scan[i] = kDefaultScan[i];
  return table;
}

int KeyTable::Bind(Control control, std::uint8_t key) {
  int robbed = -1;
  if (key != 0) {
    for (int i = 0; i < kControlCount; ++i) {
      if (i != static_cast<int>(control) && scan[i] == key) {
        scan[i] = 0;
        robbed = i;
      }
    }
  }
  scan[static_cast<int>(control)] = key;
  return robbed;
}

std::string FormatPadInput(const PadInput& input) {
  const std::string index = std::to_string(input.index);
  switch (input.kind) {
    case PadInput::Button:
      return "button " + index;
    case PadInput::AxisMinus:
      return "axis " + index + "-";
    case PadInput::AxisPlus:
      return "axis " + index + "+";
    case PadInput::Hat:
      for (int bit = 0; bit < 4; ++bit) {
        if (input.hat == 1 << bit) return "hat " + index + " " + kHatNames[bit];
      }
      return {};
    case PadInput::None:
      break;
  }
  return {};
}

bool ParsePadInput(std::string_view text, PadInput& input) {
  text = Trim(text);
  PadInput read;
  if (text.starts_with("button ")) {
    read.kind = PadInput::Button;
    if (!SmallNumber(text.substr(7), read.index)) return false;
  } else if (text.starts_with("axis ") && text.size() > 6 && (text.back() == '+' || text.back() == '-')) {
    read.kind = text.back() == '+' ? PadInput::AxisPlus : PadInput::AxisMinus;
    if (!SmallNumber(text.substr(5, text.size() - 6), read.index)) return false;
  } else if (text.starts_with("hat ")) {
    read.kind = PadInput::Hat;
    const std::string_view rest = text.substr(4);
    const std::size_t space = rest.find(' ');
    if (space == std::string_view::npos || !SmallNumber(rest.substr(0, space), read.index)) return false;
    const std::string_view direction = rest.substr(space + 1);
    for (int bit = 0; bit < 4; ++bit) {
      if (direction == kHatNames[bit]) read.hat = static_cast<std::uint8_t>(1 << bit);
    }
    if (read.hat == 0) return false;
  } else {
    return false;
  }
  input = read;
  return true;
}

PadTable PadTable::RawDefaults() {
  PadTable table;
  auto set = [&](Control control, PadInput first, PadInput second = {}) {
    table.inputs[static_cast<int>(control)] = {first, second};
  };
  set(Control::Pad1Up, {PadInput::Hat, 0, 1}, {PadInput::AxisMinus, 1, 0});
  set(Control::Pad1Right, {PadInput::Hat, 0, 2}, {PadInput::AxisPlus, 0, 0});
  set(Control::Pad1Down, {PadInput::Hat, 0, 4}, {PadInput::AxisPlus, 1, 0});
  set(Control::Pad1Left, {PadInput::Hat, 0, 8}, {PadInput::AxisMinus, 0, 0});
  set(Control::Pad1Button1, {PadInput::Button, 0, 0});
  set(Control::Pad1Button2, {PadInput::Button, 1, 0});
  set(Control::Start, {PadInput::Button, 2, 0});
  set(Control::Pause, {PadInput::Button, 3, 0});
  return table;
}

int PadTable::Bind(Control control, const PadInput& input) {
  if (!PadBinds(control)) return -2;
  int robbed = -1;
  if (input.kind != PadInput::None) {
    for (int i = 0; i < kControlCount; ++i) {
      if (i == static_cast<int>(control)) continue;
      for (PadInput& other : inputs[i]) {
        if (other == input) {
          other = PadInput{};
          robbed = i;
        }
      }
    }
  }
  inputs[static_cast<int>(control)] = {input, PadInput{}};
  return robbed;
}

PadTable PadChoice::Over(const PadTable& defaults) const {
  PadTable result = defaults;
  for (int control = 0; control < kControlCount; ++control) {
    if (!(given & (1u << control))) continue;
    result.inputs[control] = table.inputs[control];
    for (const PadInput& taken : table.inputs[control]) {
      if (taken.kind == PadInput::None) continue;
      for (int other = 0; other < kControlCount; ++other) {
        if (given & (1u << other)) continue;
        for (PadInput& input : result.inputs[other]) {
          if (input == taken) input = PadInput{};
        }
      }
    }
  }
  return result;
}

std::string FormatPadInputs(const PadInputs& list) {
  std::string text;
  for (const PadInput& input : list) {
    if (input.kind == PadInput::None) continue;
    if (!text.empty()) text += ", ";
    text += FormatPadInput(input);
  }
  return text;
}

PadInputs ParsePadInputs(std::string_view text, int& bad) {
  PadInputs list{};
  int count = 0;
  while (!Trim(text).empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view part = text.substr(0, comma);
    PadInput input;
    if (ParsePadInput(part, input) && count < kPadInputsPerControl) {
      list[count++] = input;
    } else {
      ++bad;
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return list;
}

std::uint8_t PcScanCodeFromLinux(int code) {
  // The Linux codes of the main block are the PC's set 1 codes.
  if ((code >= 1 && code <= 0x53) || (code >= 0x56 && code <= 0x58)) return static_cast<std::uint8_t>(code);
  struct Pair {
    int evdev;
    std::uint8_t pc;
  };
  static constexpr Pair kExtended[] = {
      {96, 0x9C},  {97, 0x9D},  {98, 0xB5},  {99, 0xB7},  {100, 0xB8}, {102, 0xC7}, {103, 0xC8},
      {104, 0xC9}, {105, 0xCB}, {106, 0xCD}, {107, 0xCF}, {108, 0xD0}, {109, 0xD1}, {110, 0xD2},
      {111, 0xD3}, {117, 0x8D}, {119, 0xC5}, {125, 0xDB}, {126, 0xDC}, {127, 0xDD},
  };
  for (const Pair& pair : kExtended) {
    if (pair.evdev == code) return pair.pc;
  }
  return 0;
}
