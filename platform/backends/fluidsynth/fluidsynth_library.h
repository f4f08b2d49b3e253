// libfluidsynth opened at run time: the executable does not link it, so its
// forty-odd libraries cost nothing until the synthesiser's loader thread asks.
// Its functions are reached through a table resolved with dlsym, typed by
// FluidSynth's own headers; so are the GLib and ALSA functions that quieten its
// dependencies' logs. Internal to the FluidSynth backend.
#pragma once

#include <fluidsynth.h>
#include <glib.h>

#include <memory>
#include <string>

#ifdef VELMORA_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace platform::fluidsynth {

// The FluidSynth functions this backend calls, by their C names.
#define VELMORA_FLUIDSYNTH_FUNCTIONS(X) \
  X(fluid_set_log_function)             \
  X(new_fluid_settings)                 \
  X(delete_fluid_settings)              \
  X(fluid_settings_setnum)              \
  X(fluid_settings_setint)              \
  X(fluid_settings_setstr)              \
  X(fluid_settings_getnum)              \
  X(fluid_settings_getint)              \
  X(new_fluid_synth)                    \
  X(delete_fluid_synth)                 \
  X(new_fluid_audio_driver)             \
  X(delete_fluid_audio_driver)          \
  X(fluid_synth_sfload)                 \
  X(fluid_synth_program_change)         \
  X(fluid_synth_pin_preset)             \
  X(fluid_synth_noteon)                 \
  X(fluid_synth_noteoff)                \
  X(fluid_synth_all_notes_off)          \
  X(fluid_synth_system_reset)           \
  X(fluid_synth_write_float)

// Pointers with the headers' own signatures, so a call through the table is
// checked like a direct one.
struct FluidApi {
#define VELMORA_DECLARE(name) decltype(&::name) name = nullptr;
  VELMORA_FLUIDSYNTH_FUNCTIONS(VELMORA_DECLARE)
#undef VELMORA_DECLARE
  // From libfluidsynth's own dependencies; null when this build of it has none.
  decltype(&::g_log_set_default_handler) g_log_set_default_handler = nullptr;
#ifdef VELMORA_HAVE_ALSA
  decltype(&::snd_lib_error_set_handler) snd_lib_error_set_handler = nullptr;
#endif
};

struct LibraryCloser {
  void operator()(void* library) const;
};
// A dlopen handle. Closing it never unmaps the library (see openFluidSynth).
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

// Opens the library `name` and fills `api`; empty when it cannot be opened or
// lacks a function (a FluidSynth too old for this program). Blocks for as long
// as the dynamic loader takes: call it off the GUI thread.
LibraryHandle openFluidSynth(const std::string& name, FluidApi& api);

// Our one line on stderr is the whole report; the libraries' own logs would add
// lines a person cannot act on (ALSA alone prints a dozen when no sound card
// exists). Once per process, before any FluidSynth call that could log.
void quietLibraryLogs(const FluidApi& api);

// fluid_synth_sfload with GLib's log set aside: when FluidSynth's own loader
// rejects a file it offers it to libinstpatch, which complains through GLib
// (other threads' GLib messages in that window are lost too, a price paid once,
// at start-up). The SoundFont's id, or FLUID_FAILED.
int loadSoundFontQuietly(const FluidApi& api, fluid_synth_t* synth, const std::string& path);

}  // namespace platform::fluidsynth
