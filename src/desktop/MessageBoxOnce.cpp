#include "desktop/MessageBoxOnce.h"

void MessageBoxOnce::Show(const char* text, const char* caption) {
  std::string key = std::string(caption ? caption : "") + '\n' + (text ? text : "");
  for (const std::string& seen : shown) {
    if (seen == key) return;
  }
  shown.push_back(std::move(key));
  ShowHostMessageBox(box, text, caption);
}
