// Any bytes as the settings file: read, the bindings in it turned into
// tables, then saved and read back. Whatever was read must come back the same,
// and the key table must survive being written out and read in again.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzQuiet.h"
#include "FuzzScratch.h"
#include "desktop/BindingSettings.h"
#include "host/settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceLog();
  const std::string path = ScratchFolder("settings") + "/tavrin.conf";
  std::error_code ignored;
  std::filesystem::remove(path + ".bad", ignored);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  SettingsFile file(path);
  file.Load();
  std::string problems;
  const KeyTable keys = KeyTableFromSettings(file.values.keyBindings, problems);
  std::string again;
  if (!(KeyTableFromSettings(KeyTableToSettings(keys), again) == keys) || !again.empty()) std::abort();
  for (const auto& [guid, group] : file.values.padBindings) {
    const PadChoice pad = PadChoiceFromSettings(group, problems);
    (void)PadTableToSettings(pad.table);
  }

  if (!file.CanSave()) return 0;
  if (!file.Save()) std::abort();
  SettingsFile reread(path);
  reread.Load();
  if (!(reread.values == file.values)) std::abort();
  return 0;
}
