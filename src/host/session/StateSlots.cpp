#include "host/session/StateSlots.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/files/StateFile.h"
#include "host/i18n/SystemError.h"
#include "host/i18n/Translate.h"

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

std::string SaveStateSlot(const Console& console, const std::string& folder, const std::string& imagePath, int slot,
                          bool* done) {
  if (done) *done = false;
  const std::string path = StateSlotPath(folder, imagePath, slot);
  if (path.empty()) return Format(Tr("État %d : aucun dossier"), slot);
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  if (made) return Format(Tr("État %d : %s"), slot, ShownSystemError(made.value()).c_str());
  if (Result written = WriteStateFile(path, console); !written) {
    return Format(Tr("État %d : %s"), slot, written.Shown().c_str());
  }
  if (done) *done = true;
  return Format(Tr("État %d sauvegardé"), slot);
}

std::string LoadStateSlot(Console& console, const std::string& folder, const std::string& imagePath, int slot,
                          bool* done) {
  if (done) *done = false;
  const std::string path = StateSlotPath(folder, imagePath, slot);
  std::error_code missing;
  if (path.empty() || !std::filesystem::exists(path, missing)) return Format(Tr("État %d : aucun fichier"), slot);
  if (Result read = ReadStateFile(path, console); !read) return Format(Tr("État %d : %s"), slot, read.Shown().c_str());
  if (done) *done = true;
  return Format(Tr("État %d chargé"), slot);
}
