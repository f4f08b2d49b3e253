// The program started on whichever backend the test links, for tests that act on it.
//
// Registration: a running runtime with every class of the program registered and
// no object of it made yet. Its destructor shuts down as percentMain does: module
// release (windows, class registry, shared menu bar), then RuntimeExit, so the
// next test starts from a process in which nothing has run yet.
// AppSession runs the same steps as percentMain up to the event loop (runtime,
// class registration, the start-up routine that opens the main window) and stops
// there, so a test clicks, types and advances the clock itself. Start-up
// exceptions pass on to the test instead of being reported, so a broken start-up
// fails the test where it happened; the shut-down still runs.
#pragma once

#include <functional>

#include "main_window/frm_main.h"
#include "platform/run.h"
#include "shell/startup.h"

namespace velmora::testing {

class Registration {
 public:
  Registration() {
    platform::RuntimeInit();
    percentInitialize();
  }
  ~Registration() {
    percentFinalize();
    platform::RuntimeExit();
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
};

class AppSession {
 public:
  // `beforeStartup` runs after class registration, before the start-up routine:
  // the place to watch a class's property writes.
  explicit AppSession(const std::function<void()>& beforeStartup = {}) {
    if (beforeStartup) beforeStartup();
    platform::RunFrameworkInitialization(&_Startup);
    window_ = accessor::frmMain();
  }
  AppSession(const AppSession&) = delete;
  AppSession& operator=(const AppSession&) = delete;

  const Ref<frmMain>& window() const { return window_; }

 private:
  Registration registration_;
  Ref<frmMain> window_;  // given back before the shut-down that registration_ runs
};

}  // namespace velmora::testing
