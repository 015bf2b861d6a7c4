#include "desktop/MessageBoxOnce.h"

#include <string>
#include <vector>

namespace {

MessageBoxHook hostBox = nullptr;
MessageBoxHook againBox = nullptr;
std::vector<std::string> shown;

void ShowOnce(const char* text, const char* caption) {
  std::string key = std::string(caption ? caption : "") + '\n' + (text ? text : "");
  for (const std::string& seen : shown) {
    if (seen == key) return;
  }
  shown.push_back(std::move(key));
  if (hostBox) hostBox(text, caption);
}

}  // namespace

void InstallMessageBoxOnce(MessageBoxHook show) {
  hostBox = show;
  SetHostMessageBox(show ? ShowOnce : nullptr);
}

void ForgetShownMessageBoxes() { shown.clear(); }

void InstallMessageBoxAgain(MessageBoxHook show) { againBox = show; }

void ShowMessageBoxAgain(const char* text, const char* caption) {
  if (againBox) {
    againBox(text, caption);
  } else if (hostBox) {
    hostBox(text, caption);
  } else {
    ShowHostMessageBox(text, caption);  // a host box installed without the filter
  }
}
