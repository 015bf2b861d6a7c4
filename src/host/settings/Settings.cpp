#include "host/settings/Settings.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "debug/DebugConsole.h"
#include "host/files/AtomicFile.h"
#include "host/i18n/SystemError.h"
#include "host/files/FileRead.h"

namespace {

// A settings file larger than this is not one of ours.
constexpr std::uint64_t kMaxSettingsBytes = 1u << 20;

constexpr const char* kWindow = "window";
constexpr const char* kState = "state";
constexpr int kPlaceLimit = 1 << 20;  // farther than any desktop reaches
constexpr const char* kConsole = "console";
constexpr const char* kSound = "sound";
constexpr const char* kFiles = "files";
constexpr const char* kKeys = "keys";
constexpr const char* kPadPrefix = "pad ";

struct KeyFileFree {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};

// Reads the values of one key file into `settings`, noting in `problems`
// every value that was out of range or unreadable.
class Reader {
 public:
  Reader(GKeyFile* file, std::string& problems) : keys(file), notes(problems) {}

  void Bool(const char* group, const char* key, bool& value) {
    if (!g_key_file_has_key(keys, group, key, nullptr)) return;
    GError* error = nullptr;
    const gboolean read = g_key_file_get_boolean(keys, group, key, &error);
    if (error) {
      Note(group, key, "not true or false");
      g_error_free(error);
      return;
    }
    value = read;
  }

  void Int(const char* group, const char* key, int low, int high, int& value) {
    if (!g_key_file_has_key(keys, group, key, nullptr)) return;
    GError* error = nullptr;
    const gint64 read = g_key_file_get_int64(keys, group, key, &error);
    if (error) {
      Note(group, key, "not a number");
      g_error_free(error);
      return;
    }
    if (read < low || read > high) {
      Note(group, key, "out of range " + std::to_string(low) + "-" + std::to_string(high));
      value = read < low ? low : high;
      return;
    }
    value = static_cast<int>(read);
  }

  // False when the key is missing or its value cannot be read.
  bool String(const char* group, const char* key, std::string& value) {
    if (!g_key_file_has_key(keys, group, key, nullptr)) return false;
    GError* error = nullptr;
    gchar* read = g_key_file_get_string(keys, group, key, &error);
    // GLib may hand back the text it read so far along with an error.
    if (error || !read) {
      if (error) Note(group, key, error->message);
      if (error) g_error_free(error);
      g_free(read);
      return false;
    }
    value = read;
    g_free(read);
    return true;
  }

  void List(const char* group, const char* key, std::vector<std::string>& value) {
    if (!g_key_file_has_key(keys, group, key, nullptr)) return;
    GError* error = nullptr;
    gsize length = 0;
    gchar** read = g_key_file_get_string_list(keys, group, key, &length, &error);
    if (error || !read) {
      if (error) Note(group, key, error->message);
      if (error) g_error_free(error);
      g_strfreev(read);
      return;
    }
    value.assign(read, read + length);
    g_strfreev(read);
  }

  // Every key of a group as a map (the bindings).
  void Map(const char* group, std::map<std::string, std::string>& value) {
    gchar** names = g_key_file_get_keys(keys, group, nullptr, nullptr);
    if (!names) return;
    for (gchar** name = names; *name; ++name) {
      // An entry that cannot be read is left out rather than taken for an
      // empty one (which would unbind the control).
      std::string bound;
      if (String(group, *name, bound)) value[*name] = bound;
    }
    g_strfreev(names);
  }

 private:
  void Note(const char* group, const char* key, const std::string& what) {
    if (!notes.empty()) notes += ", ";
    notes += std::string("[") + group + "] " + key + " " + what;
  }

  GKeyFile* keys;
  std::string& notes;
};

// Parses the bytes of a settings file into `keys`; the error when they are
// too many (the file was read only in part), not UTF-8 or not a key file.
GError* ParseKeyFile(const FileRead& read, const std::vector<std::uint8_t>& bytes, GKeyFile* keys) {
  GError* error = nullptr;
  if (read.error == EFBIG) {
    error = g_error_new(G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_PARSE, "larger than %u bytes",
                        static_cast<unsigned>(kMaxSettingsBytes));
  } else if (!g_utf8_validate(reinterpret_cast<const gchar*>(bytes.data()), static_cast<gssize>(bytes.size()),
                              nullptr)) {
    // GLib reads such a file, but a key file is UTF-8 text: this is not ours.
    error = g_error_new(G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_UNKNOWN_ENCODING, "not UTF-8 text");
  } else {
    g_key_file_load_from_data(keys, reinterpret_cast<const gchar*>(bytes.data()), bytes.size(),
                              G_KEY_FILE_KEEP_COMMENTS, &error);
  }
  return error;
}

// The window, console, sound and files groups.
void ReadValues(GKeyFile* keys, Reader& reader, std::string& problems, Settings& s) {
  reader.Int(kWindow, "scale", Settings::kMinScale, Settings::kMaxScale, s.windowScale);
  reader.Bool(kWindow, "integer-scaling", s.integerScaling);
  // A place counts only with both of its coordinates.
  if (g_key_file_has_key(keys, kWindow, "x", nullptr) && g_key_file_has_key(keys, kWindow, "y", nullptr)) {
    s.windowPlaced = true;
    reader.Int(kWindow, "x", -kPlaceLimit, kPlaceLimit, s.windowX);
    reader.Int(kWindow, "y", -kPlaceLimit, kPlaceLimit, s.windowY);
  }
  reader.Int(kState, "slot", 1, 9, s.stateSlot);
  reader.Bool(kWindow, "fullscreen", s.fullscreen);
  reader.Bool(kConsole, "japanese", s.japanese);
  reader.Bool(kConsole, "fm", s.fm);
  reader.Bool(kConsole, "pal", s.pal);
  if (s.japanese) s.pal = false;  // one console at a time; the Japanese ones are NTSC
  reader.Bool(kConsole, "sprite-limit", s.spriteLimit);
  reader.String(kConsole, "bios", s.bios);
  // Names this program does not know fall back to the default, with a note.
  auto oneOf = [&](const char* group, const char* key, std::string& value,
                   std::initializer_list<const char*> names) {
    const std::string fallback = value;
    if (!reader.String(group, key, value)) return;
    for (const char* name : names) {
      if (value == name) return;
    }
    if (!problems.empty()) problems += ", ";
    problems += std::string("[") + group + "] " + key + " '" + value + "' unknown";
    value = fallback;
  };
  oneOf(kWindow, "filter", s.filter, {"none", "smooth", "scanlines", "lcd"});
  s.lcdGhosting = s.filter == "lcd";
  reader.Bool(kWindow, "lcd-ghosting", s.lcdGhosting);
  reader.Bool(kWindow, "pixel-aspect", s.pixelAspect);
  oneOf(kConsole, "port1", s.port[0], {"pad", "lightgun", "paddle", "sportspad", "glasses"});
  oneOf(kConsole, "port2", s.port[1], {"pad", "lightgun", "paddle", "sportspad", "glasses"});
  oneOf(kConsole, "glasses", s.glasses, {"left", "anaglyph"});
  reader.Int(kSound, "volume", 0, Settings::kMaxVolume, s.volume);
  reader.Bool(kSound, "muted", s.muted);
  reader.Bool(kSound, "no-device-box", s.noDeviceBox);
  reader.String(kFiles, "last-folder", s.lastFolder);
  std::vector<std::string> recent;
  reader.List(kFiles, "recent", recent);
  // Oldest first, so the newest ends in front; repeats and blanks go.
  for (auto it = recent.rbegin(); it != recent.rend(); ++it) s.AddRecent(*it);
}

// The keyboard's bindings and every pad's.
void ReadBindings(GKeyFile* keys, Reader& reader, Settings& s) {
  reader.Map(kKeys, s.keyBindings);
  gchar** groups = g_key_file_get_groups(keys, nullptr);
  for (gchar** group = groups; group && *group; ++group) {
    const std::string name = *group;
    if (name.rfind(kPadPrefix, 0) == 0 && name.size() > std::strlen(kPadPrefix)) {
      // A pad group without entries says nothing (and is not written back).
      std::map<std::string, std::string> bindings;
      reader.Map(*group, bindings);
      if (!bindings.empty()) s.padBindings[name.substr(std::strlen(kPadPrefix))] = std::move(bindings);
    }
  }
  g_strfreev(groups);
}

// A key file holds UTF-8 text: a path in another encoding is not kept.
bool Utf8(const std::string& text) { return g_utf8_validate(text.data(), text.size(), nullptr) != 0; }

// The window, console, sound and files groups.
void WriteValues(GKeyFile* keys, const Settings& s) {
  g_key_file_set_integer(keys, kWindow, "scale", s.windowScale);
  g_key_file_set_boolean(keys, kWindow, "integer-scaling", s.integerScaling);
  if (s.windowPlaced) {
    g_key_file_set_integer(keys, kWindow, "x", s.windowX);
    g_key_file_set_integer(keys, kWindow, "y", s.windowY);
  }
  g_key_file_set_integer(keys, kState, "slot", s.stateSlot);
  g_key_file_set_boolean(keys, kWindow, "fullscreen", s.fullscreen);
  g_key_file_set_boolean(keys, kConsole, "japanese", s.japanese);
  // Written once set, so a file that never had it stays as it was.
  if (s.fm || g_key_file_has_key(keys, kConsole, "fm", nullptr)) g_key_file_set_boolean(keys, kConsole, "fm", s.fm);
  if (s.pal || g_key_file_has_key(keys, kConsole, "pal", nullptr)) {
    g_key_file_set_boolean(keys, kConsole, "pal", s.pal);
  }
  g_key_file_set_boolean(keys, kConsole, "sprite-limit", s.spriteLimit);
  // The picture and the ports are written once changed, as the FM unit is.
  const Settings defaults;
  auto setString = [&](const char* group, const char* key, const std::string& value, const std::string& fallback) {
    if (value != fallback || g_key_file_has_key(keys, group, key, nullptr)) {
      g_key_file_set_string(keys, group, key, value.c_str());
    }
  };
  setString(kWindow, "filter", s.filter, defaults.filter);
  if (s.pixelAspect || g_key_file_has_key(keys, kWindow, "pixel-aspect", nullptr)) {
    g_key_file_set_boolean(keys, kWindow, "pixel-aspect", s.pixelAspect);
  }
  // Always once the filter is written: "lcd" without it would read as the
  // slow screen too.
  if (s.lcdGhosting || g_key_file_has_key(keys, kWindow, "filter", nullptr) ||
      g_key_file_has_key(keys, kWindow, "lcd-ghosting", nullptr)) {
    g_key_file_set_boolean(keys, kWindow, "lcd-ghosting", s.lcdGhosting);
  }
  setString(kConsole, "port1", s.port[0], defaults.port[0]);
  setString(kConsole, "port2", s.port[1], defaults.port[1]);
  setString(kConsole, "glasses", s.glasses, defaults.glasses);
  g_key_file_set_integer(keys, kSound, "volume", s.volume);
  g_key_file_set_boolean(keys, kSound, "muted", s.muted);
  g_key_file_set_boolean(keys, kSound, "no-device-box", s.noDeviceBox);
  g_key_file_set_string(keys, kFiles, "last-folder", Utf8(s.lastFolder) ? s.lastFolder.c_str() : "");
  // Written only when there is one, so a file without it stays as it was.
  if (!s.bios.empty() && Utf8(s.bios)) {
    g_key_file_set_string(keys, kConsole, "bios", s.bios.c_str());
  } else {
    g_key_file_remove_key(keys, kConsole, "bios", nullptr);
  }
  std::vector<const gchar*> recent;
  for (const std::string& image : s.recentImages) {
    if (Utf8(image)) recent.push_back(image.c_str());
  }
  g_key_file_set_string_list(keys, kFiles, "recent", recent.data(), recent.size());
}

// The keyboard's bindings and every pad's, in place of those the file had.
void WriteBindings(GKeyFile* keys, const Settings& s) {
  g_key_file_remove_group(keys, kKeys, nullptr);
  for (const auto& [action, key] : s.keyBindings) {
    if (Utf8(action) && Utf8(key)) g_key_file_set_string(keys, kKeys, action.c_str(), key.c_str());
  }
  gchar** groups = g_key_file_get_groups(keys, nullptr);
  for (gchar** group = groups; group && *group; ++group) {
    if (std::string(*group).rfind(kPadPrefix, 0) == 0) g_key_file_remove_group(keys, *group, nullptr);
  }
  g_strfreev(groups);
  for (const auto& [guid, bindings] : s.padBindings) {
    const std::string group = kPadPrefix + guid;
    for (const auto& [action, button] : bindings) {
      if (Utf8(group) && Utf8(action) && Utf8(button)) {
        g_key_file_set_string(keys, group.c_str(), action.c_str(), button.c_str());
      }
    }
  }
}

// Writes the text of `keys` over the file at `path`, making its folder if
// need be; on success `written` holds the text.
// The settings file is the log's business: its failures are said in the
// log's words alone.
Result WriteKeyFile(GKeyFile* keys, const std::string& path, std::string& written) {
  gsize length = 0;
  gchar* text = g_key_file_to_data(keys, &length, nullptr);
  const std::string folder = path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
  if (!folder.empty() && g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
    const Reason why = LogReason("'" + folder + "': " + LoggedSystemError(errno));
    g_free(text);
    return why;
  }
  const Result saved =
      WriteFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text), length, LinkPolicy::kFollowLink);
  if (saved) written.assign(text, length);
  g_free(text);
  if (!saved) return LogReason(saved.Log());
  return {};
}

}  // namespace

void Settings::AddRecent(const std::string& path) {
  if (path.empty()) return;
  recentImages.erase(std::remove(recentImages.begin(), recentImages.end(), path), recentImages.end());
  recentImages.insert(recentImages.begin(), path);
  if (recentImages.size() > kMaxRecent) recentImages.resize(kMaxRecent);
}

void Settings::ForgetMissingRecent() {
  std::erase_if(recentImages,
                [](const std::string& path) { return !g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR); });
}

std::string DefaultSettingsPath() {
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is ignored.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (config && config[0] == '/') {
    folder = config;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home && *home ? home : g_get_home_dir()) + "/.config";
  }
  return folder + "/tavrin/tavrin.conf";
}

void SettingsFile::Load() {
  values = Settings{};
  loadedText.clear();
  canSave = true;

  std::vector<std::uint8_t> bytes;
  const FileRead read = ReadRegularFile(path, kMaxSettingsBytes, bytes);
  if (read.error == ENOENT) return;
  if (read.error != 0 && read.error != EFBIG) {
    // Saving would replace a file this run could not even read.
    canSave = false;
    LogPrintf("tavrin: settings not read, defaults used and nothing saved this run: %s\n", read.reason.log.c_str());
    return;
  }

  KeyFile keys(g_key_file_new());
  if (GError* error = ParseKeyFile(read, bytes, keys.get())) {
    std::unique_ptr<GError, ErrorFree> owned(error);
    SetAsideMalformed(error->message);
    return;
  }

  loadedText.assign(bytes.begin(), bytes.end());
  std::string problems;
  Reader reader(keys.get(), problems);
  ReadValues(keys.get(), reader, problems, values);
  ReadBindings(keys.get(), reader, values);
  if (!problems.empty()) {
    LogPrintf("tavrin: settings file '%s': %s; defaults or nearest values used\n", path.c_str(), problems.c_str());
  }
}

void SettingsFile::SetAsideMalformed(const std::string& why) {
  // The file is kept for the player to look at, then replaced by defaults.
  const std::string bad = path + ".bad";
  if (std::rename(path.c_str(), bad.c_str()) != 0) {
    canSave = false;
    LogPrintf("tavrin: settings file '%s' is malformed (%s) and cannot be renamed '%s' (%s): defaults used, "
              "nothing saved this run\n",
              path.c_str(), why.c_str(), bad.c_str(), LoggedSystemError(errno).c_str());
    return;
  }
  if (const Result saved = Save(); !saved) {
    LogPrintf("tavrin: settings file '%s' is malformed (%s): kept as '%s', defaults used but not written (%s)\n",
              path.c_str(), why.c_str(), bad.c_str(), saved.Log().c_str());
  } else {
    LogPrintf("tavrin: settings file '%s' is malformed (%s): kept as '%s', defaults written\n", path.c_str(),
              why.c_str(), bad.c_str());
  }
}

Result SettingsFile::Save() {
  if (!canSave) return LogReason("'" + path + "': not saved, since it could not be read at start");
  KeyFile keys(g_key_file_new());
  // Groups and keys of a newer version of the program stay as they were.
  if (!loadedText.empty()) {
    g_key_file_load_from_data(keys.get(), loadedText.data(), loadedText.size(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
  }
  WriteValues(keys.get(), values);
  WriteBindings(keys.get(), values);
  return WriteKeyFile(keys.get(), path, loadedText);
}
