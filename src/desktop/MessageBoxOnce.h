#pragma once

#include <string>
#include <vector>

#include "host/dialogs/HostMessageBox.h"

// A failure that repeats every frame must not bury the player under modal
// boxes. This box shows each message (the same text under the same caption)
// through the host's box only the first time in the run; the caller has
// logged it every time already.
class MessageBoxOnce final : public HostMessageBox {
 public:
  explicit MessageBoxOnce(HostMessageBox* show = nullptr) : box(show) {}
  void Show(const char* text, const char* caption) override;
  // Forgets which messages were shown.
  void Forget() { shown.clear(); }

 private:
  HostMessageBox* box;
  std::vector<std::string> shown;
};
