#include "app/StateSlots.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/files/StateFile.h"

namespace {

std::string SlotName(int slot) { return "\xC3\x89tat " + std::to_string(slot); }

}  // namespace

std::string StateFolder() {
  // A relative XDG_DATA_HOME is ignored, as the XDG base directory rules say.
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return (std::filesystem::path(data) / "tavrin" / "states").string();
  const char* home = std::getenv("HOME");
  if (home && *home) return (std::filesystem::path(home) / ".local" / "share" / "tavrin" / "states").string();
  return {};
}

std::string StateSlotPath(const std::string& folder, const std::string& imagePath, int slot) {
  if (slot < 1 || slot > kStateSlotCount || folder.empty()) return {};
  const std::filesystem::path name = std::filesystem::path(imagePath).filename();
  if (name.empty() || name == "." || name == "..") return {};
  return (std::filesystem::path(folder) / (name.string() + ".state" + std::to_string(slot))).string();
}

std::string SaveStateSlot(const Console& console, const std::string& folder, const std::string& imagePath, int slot) {
  const std::string path = StateSlotPath(folder, imagePath, slot);
  if (path.empty()) return SlotName(slot) + " : aucun dossier";
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  if (made) return SlotName(slot) + " : " + made.message();
  std::string error;
  if (!WriteStateFile(path, console, error)) return SlotName(slot) + " : " + error;
  return SlotName(slot) + " sauvegard\xC3\xA9";
}

std::string LoadStateSlot(Console& console, const std::string& folder, const std::string& imagePath, int slot) {
  const std::string path = StateSlotPath(folder, imagePath, slot);
  std::error_code missing;
  if (path.empty() || !std::filesystem::exists(path, missing)) return SlotName(slot) + " : aucun fichier";
  std::string error;
  if (!ReadStateFile(path, console, error)) return SlotName(slot) + " : " + error;
  return SlotName(slot) + " charg\xC3\xA9";
}
