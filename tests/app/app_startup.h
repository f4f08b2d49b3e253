// The program started on the headless backend, for tests that act on it.
//
// AppSession runs the same steps as percentMain up to the event loop (runtime,
// class registration, the start-up routine that opens the main window) and
// stops there, so a test clicks, types and advances the virtual clock itself.
// Its destructor shuts down as percentMain does: module release, then
// RuntimeExit. Start-up exceptions pass on to the test instead of being
// reported, so a broken start-up fails the test where it happened.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "main_window/frm_main.h"
#include "platform/backends/headless/headless.h"
#include "platform/run.h"
#include "shell/startup.h"

namespace velmora::testing {

class AppSession {
 public:
  // `seed` seeds the headless random source the program's Random objects draw
  // from. `beforeStartup` runs after class registration, before the start-up
  // routine: the place to watch a class's property writes.
  explicit AppSession(uint64_t seed = 1, std::function<void()> beforeStartup = {}) {
    platform::RuntimeInit();
    platform::headless::toolkit().seedRandom(seed);
    percentInitialize();
    if (beforeStartup) beforeStartup();
    platform::RunFrameworkInitialization(&_Startup);
    window_ = accessor::frmMain();
  }
  ~AppSession() {
    window_.reset();
    percentFinalize();
    platform::RuntimeExit();
  }
  AppSession(const AppSession&) = delete;
  AppSession& operator=(const AppSession&) = delete;

  const Ref<frmMain>& window() const { return window_; }

 private:
  Ref<frmMain> window_;
};

}  // namespace velmora::testing
