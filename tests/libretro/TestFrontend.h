#pragma once

// A small libretro front end: opens the built core with dlopen, answers the
// environment calls a core makes, keeps the last picture and every sample,
// and holds RetroPad buttons from a table. Callbacks are plain functions, so
// one front end exists at a time.

#include <dlfcn.h>
#include <libretro.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

class TestFrontend {
 public:
#define TAVRIN_ENTRY(name) decltype(&::name) name = nullptr;
#define TAVRIN_ENTRIES(X)                                                                                     \
  X(retro_init) X(retro_deinit) X(retro_set_environment) X(retro_set_video_refresh)                          \
  X(retro_set_audio_sample_batch) X(retro_set_input_poll) X(retro_set_input_state) X(retro_get_system_info)  \
  X(retro_get_system_av_info) X(retro_set_controller_port_device) X(retro_load_game) X(retro_unload_game)     \
  X(retro_run) X(retro_reset) X(retro_serialize_size) X(retro_serialize) X(retro_unserialize)                \
  X(retro_get_memory_data) X(retro_get_memory_size) X(retro_get_region)
  TAVRIN_ENTRIES(TAVRIN_ENTRY)

  // Environment behaviour and what the core told us.
  bool acceptXrgb = true;
  const char* gameExt = nullptr;  // RETRO_ENVIRONMENT_GET_GAME_INFO_EXT's ext, when set
  retro_pixel_format format = RETRO_PIXEL_FORMAT_0RGB1555;
  std::vector<std::string> optionKeys;
  std::map<std::string, std::string> options;  // values GET_VARIABLE answers
  std::string systemFolder;                     // GET_SYSTEM_DIRECTORY's answer, when set
  std::vector<retro_memory_descriptor> memoryMap;
  // Messages: the interface version answered (0: only RETRO_ENVIRONMENT_SET_MESSAGE),
  // each message shown as "ext: text" or "plain: text", each log line as "LEVEL text".
  unsigned messageVersion = 1;
  std::vector<std::string> messages;
  std::vector<std::string> logLines;
  // The last picture, every stereo frame of sound, the buttons held.
  unsigned width = 0, height = 0;
  std::size_t pitch = 0;
  std::vector<std::uint8_t> picture;
  std::vector<std::int16_t> audio;
  std::uint32_t held[2] = {};  // bit n: RetroPad button id n
  // What the other devices give: (port, device, id) to the value, held
  // until changed.
  std::map<std::tuple<unsigned, unsigned, unsigned>, std::int16_t> states;
  // The device types the core offers for each port: "name=id".
  std::vector<std::vector<std::string>> portDevices;

  bool Open(const char* path) {
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
#define TAVRIN_RESOLVE(name) name = reinterpret_cast<decltype(name)>(dlsym(handle, #name));
    TAVRIN_ENTRIES(TAVRIN_RESOLVE)
    current = this;
    retro_set_environment(Environment);
    retro_set_video_refresh(Video);
    retro_set_audio_sample_batch(Audio);
    retro_set_input_poll([] {});
    retro_set_input_state(Input);
    retro_init();
    return true;
  }
  ~TestFrontend() {
    if (!handle) return;
    retro_deinit();
    dlclose(handle);
    current = nullptr;
  }

  bool Load(const std::vector<std::uint8_t>& image, const char* path) {
    retro_game_info game{path, image.data(), image.size(), nullptr};
    return retro_load_game(&game);
  }
  std::vector<std::uint8_t> Memory(unsigned id) {
    auto* data = static_cast<std::uint8_t*>(retro_get_memory_data(id));
    return data ? std::vector<std::uint8_t>(data, data + retro_get_memory_size(id)) : std::vector<std::uint8_t>{};
  }
  std::vector<std::uint8_t> Save() {
    std::vector<std::uint8_t> state(retro_serialize_size());
    return retro_serialize(state.data(), state.size()) ? state : std::vector<std::uint8_t>{};
  }

 private:
  static inline TestFrontend* current = nullptr;
  void* handle = nullptr;

  static bool Environment(unsigned command, void* data) {
    TestFrontend& f = *current;
    switch (command) {
      case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT: {
        const auto format = *static_cast<retro_pixel_format*>(data);
        if (format == RETRO_PIXEL_FORMAT_XRGB8888 && !f.acceptXrgb) return false;
        f.format = format;
        return true;
      }
      case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2:
        for (auto* d = static_cast<retro_core_options_v2*>(data)->definitions; d->key; ++d) f.optionKeys.push_back(d->key);
        return true;
      case RETRO_ENVIRONMENT_GET_VARIABLE: {
        auto* variable = static_cast<retro_variable*>(data);
        const auto found = f.options.find(variable->key);
        if (found == f.options.end()) return false;
        variable->value = found->second.c_str();
        return true;
      }
      case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
        if (f.systemFolder.empty()) return false;
        *static_cast<const char**>(data) = f.systemFolder.c_str();
        return true;
      case RETRO_ENVIRONMENT_SET_MEMORY_MAPS: {
        const auto* map = static_cast<retro_memory_map*>(data);
        f.memoryMap.assign(map->descriptors, map->descriptors + map->num_descriptors);
        return true;
      }
      case RETRO_ENVIRONMENT_GET_GAME_INFO_EXT: {
        static retro_game_info_ext ext;
        ext = {};
        ext.ext = f.gameExt;
        *static_cast<const retro_game_info_ext**>(data) = &ext;
        return f.gameExt != nullptr;
      }
      case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO:
        f.portDevices.clear();
        for (auto* port = static_cast<const retro_controller_info*>(data); port->types; ++port) {
          f.portDevices.emplace_back();
          for (unsigned i = 0; i < port->num_types; ++i)
            f.portDevices.back().push_back(std::string(port->types[i].desc) + "=" + std::to_string(port->types[i].id));
        }
        return true;
      case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
        static_cast<retro_log_callback*>(data)->log = LogLine;
        return true;
      case RETRO_ENVIRONMENT_GET_MESSAGE_INTERFACE_VERSION:
        *static_cast<unsigned*>(data) = f.messageVersion;
        return true;
      case RETRO_ENVIRONMENT_SET_MESSAGE_EXT:
        if (f.messageVersion < 1) return false;
        f.messages.push_back(std::string("ext: ") + static_cast<const retro_message_ext*>(data)->msg);
        return true;
      case RETRO_ENVIRONMENT_SET_MESSAGE:
        f.messages.push_back(std::string("plain: ") + static_cast<const retro_message*>(data)->msg);
        return true;
      default: return false;
    }
  }
  static void LogLine(retro_log_level level, const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    const char* names[] = {"DEBUG", "INFO", "WARN", "ERROR"};
    current->logLines.push_back(std::string(level <= RETRO_LOG_ERROR ? names[level] : "?") + " " + line);
  }
  static void Video(const void* data, unsigned width, unsigned height, std::size_t pitch) {
    TestFrontend& f = *current;
    f.width = width, f.height = height, f.pitch = pitch;
    if (data) f.picture.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + pitch * height);
  }
  static std::size_t Audio(const std::int16_t* data, std::size_t frames) {
    current->audio.insert(current->audio.end(), data, data + 2 * frames);
    return frames;
  }
  static std::int16_t Input(unsigned port, unsigned device, unsigned, unsigned id) {
    if (device == RETRO_DEVICE_JOYPAD) return port < 2 && id < 32 && (current->held[port] >> id & 1);
    const auto found = current->states.find({port, device, id});
    return found == current->states.end() ? 0 : found->second;
  }
#undef TAVRIN_RESOLVE
#undef TAVRIN_ENTRIES
#undef TAVRIN_ENTRY
};
