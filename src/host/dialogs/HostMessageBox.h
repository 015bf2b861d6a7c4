#pragma once

// A modal message box with a single OK button and no owner window. Each host
// makes its own and hands it to what may have to show one (the session, the
// display, the controllers); this base shows nothing (the caller has already
// logged).
class HostMessageBox {
 public:
  virtual ~HostMessageBox() = default;
  // Shows text under caption and returns when the player has dismissed it.
  virtual void Show(const char* text, const char* caption) {
    (void)text;
    (void)caption;
  }
};

// Shows through `box`; nothing without one.
inline void ShowHostMessageBox(HostMessageBox* box, const char* text, const char* caption) {
  if (box) box->Show(text, caption);
}
