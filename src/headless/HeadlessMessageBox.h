#pragma once

#include "host/dialogs/HostMessageBox.h"

// The headless host's message box: nobody is there to answer it, so it only
// logs what it would have shown ("[caption] text") and returns at once.
class HeadlessMessageBox final : public HostMessageBox {
 public:
  void Show(const char* text, const char* caption) override;
};
