#include "desktop/DisplayCaption.h"

#include "host/i18n/Translate.h"

std::string DisplayCaption(bool gameGear, const std::string& imagePath, bool paused) {
  std::string caption = gameGear ? "Sega Game Gear" : "Sega Master System";
  const std::size_t slash = imagePath.find_last_of('/');
  const std::string name = slash == std::string::npos ? imagePath : imagePath.substr(slash + 1);
  if (!name.empty()) caption += " — " + name;
  if (paused) caption += std::string(" — ") + Tr("Pause");
  return caption;
}
