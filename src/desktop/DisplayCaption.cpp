#include "desktop/DisplayCaption.h"

#include "host/i18n/Translate.h"

std::string DisplayCaption(ConsoleKind console, const std::string& imagePath, bool paused) {
  std::string caption = "Sega ";
  caption += ConsoleKindTitle(console == ConsoleKind::kFromImage ? ConsoleKind::kMasterSystem : console);
  const std::size_t slash = imagePath.find_last_of('/');
  const std::string name = slash == std::string::npos ? imagePath : imagePath.substr(slash + 1);
  if (!name.empty()) caption += " — " + name;
  if (paused) caption += std::string(" — ") + Tr("Pause");
  return caption;
}
