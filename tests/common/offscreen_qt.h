// Qt's offscreen platform with nothing of the person's desktop session, so that
// what a test sees on the widgets and reads on stderr is the same on every
// machine: no display of theirs is touched, no theme, style, scaling or logging
// rule of theirs applies, and Qt finds a private runtime directory (without one
// it warns on stderr).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/common/scoped_env.h"
#include "tests/common/temp_dir.h"

namespace velmora::testing {

struct EnvSetting {
  std::string name;
  std::optional<std::string> value;  // nullopt: unset
};

// The settings, with `home` (an empty private directory) as the home, runtime
// and configuration directory. Also for tests that start a child process.
inline std::vector<EnvSetting> offscreenQtSettings(const std::filesystem::path& home) {
  std::vector<EnvSetting> settings = {
      {"QT_QPA_PLATFORM", "offscreen"},   {"HOME", home.string()},
      {"XDG_RUNTIME_DIR", home.string()}, {"XDG_CONFIG_HOME", (home / ".config").string()},
      {"DISPLAY", std::nullopt},          {"WAYLAND_DISPLAY", std::nullopt},
  };
  for (const char* name :
       {"QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
        "QT_FONT_DPI", "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY",
        "QT_LOGGING_RULES", "QT_LOGGING_CONF", "QT_DEBUG_PLUGINS", "QT_FATAL_WARNINGS",
        "QT_PLUGIN_PATH", "QT_QPA_PLATFORM_PLUGIN_PATH"}) {
    settings.push_back({name, std::nullopt});
  }
  return settings;
}

// The settings above for one scope (a test), then the environment as it was.
class OffscreenQt {
 public:
  OffscreenQt() : home_("velmora-qt") {
    for (const EnvSetting& setting : offscreenQtSettings(home_.path())) {
      env_.apply(setting.name, setting.value);
    }
  }

 private:
  TempDir home_;
  ScopedEnv env_;  // put back before the directory goes
};

}  // namespace velmora::testing
