#include "platform/backends/fluidsynth/fluidsynth_library.h"

#include <dlfcn.h>

#include <mutex>

namespace platform::fluidsynth {
namespace {

// dlsym on a library's handle also searches the libraries it depends on.
template <typename Function>
bool resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

bool resolveAll(void* library, FluidApi& api) {
  bool complete = true;
#define VELMORA_RESOLVE(name) complete = resolve(library, #name, api.name) && complete;
  VELMORA_FLUIDSYNTH_FUNCTIONS(VELMORA_RESOLVE)
#undef VELMORA_RESOLVE
  resolve(library, "g_log_set_default_handler", api.g_log_set_default_handler);
#ifdef VELMORA_HAVE_ALSA
  resolve(library, "snd_lib_error_set_handler", api.snd_lib_error_set_handler);
#endif
  return complete;
}

#ifdef VELMORA_HAVE_ALSA
void discardAlsaError(const char*, int, const char*, int, const char*, ...) {}
#endif

void discardGlibLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

void LibraryCloser::operator()(void* library) const { dlclose(library); }

// RTLD_NODELETE: closing the handle never unmaps the library, whose dependencies
// register GLib types and atexit handlers that cannot be taken back. RTLD_NOW:
// every symbol is bound here, so the audio thread never stops to bind one.
LibraryHandle openFluidSynth(const std::string& name, FluidApi& api) {
  LibraryHandle library(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
  if (library == nullptr || !resolveAll(library.get(), api)) return nullptr;
  return library;
}

void quietLibraryLogs(const FluidApi& api) {
  static std::once_flag once;
  std::call_once(once, [&api] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      api.fluid_set_log_function(level, nullptr, nullptr);
    }
#ifdef VELMORA_HAVE_ALSA
    if (api.snd_lib_error_set_handler != nullptr) api.snd_lib_error_set_handler(discardAlsaError);
#endif
  });
}

int loadSoundFontQuietly(const FluidApi& api, fluid_synth_t* synth, const std::string& path) {
  if (api.g_log_set_default_handler == nullptr) {
    return api.fluid_synth_sfload(synth, path.c_str(), 0);
  }
  // One load at a time, so that each puts back the handler it found.
  static std::mutex loading;
  std::lock_guard lock(loading);
  const GLogFunc previous = api.g_log_set_default_handler(discardGlibLog, nullptr);
  const int id = api.fluid_synth_sfload(synth, path.c_str(), 0);
  api.g_log_set_default_handler(previous, nullptr);
  return id;
}

}  // namespace platform::fluidsynth
