#include "host/display/HostMessageBox.h"

namespace {
MessageBoxHook installedMessageBox = nullptr;
}  // namespace

void SetHostMessageBox(MessageBoxHook hook) { installedMessageBox = hook; }

void ShowHostMessageBox(const char* text, const char* caption) {
  if (installedMessageBox) installedMessageBox(text, caption);
}
