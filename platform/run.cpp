// Start-up, event loop, quit and shut-down; the backends' lifetime; the trace log.
//
// Exit status (RuntimeExit): kExitOk after a quit; kExitUnhandledException once
// RuntimeUnhandledException has reported anything during the run, so a failure
// never exits as success; kExitNoDisplay when the toolkit cannot start, in which
// case RuntimeInit ends the process itself (the toolkit printed why).
#include "platform/run.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/menu.h"
#include "platform/random.h"
#include "platform/runtime_internal.h"
#include "platform/timer.h"
#include "platform/toolkit.h"
#include "platform/window.h"

namespace platform {

namespace {

struct Runtime {
  std::unique_ptr<Toolkit> toolkit;
  std::unique_ptr<Synth> synth;
  Ref<Application> app;
  bool quitRequested = false;
  int32_t exitStatus = kExitOk;
  Ref<_Keyboard> keyboard;
};

std::unique_ptr<Runtime>& runtimeSlot() {
  static std::unique_ptr<Runtime> runtime;
  return runtime;
}

Runtime& runtime() {
  auto& slot = runtimeSlot();
  if (!slot) throw RuntimeException("RuntimeException", "the framework runtime is not initialised");
  return *slot;
}

struct TraceLog {
  bool enabled = false;
  std::vector<std::string> entries;
};

TraceLog& traceLog() {
  static TraceLog log;
  return log;
}

}  // namespace

Toolkit& toolkit() { return *runtime().toolkit; }
Synth& synth() { return *runtime().synth; }

bool RuntimeIsInitialized() noexcept { return runtimeSlot() != nullptr; }

Ref<_Keyboard>& detail::runtimeKeyboard() { return runtime().keyboard; }

void RuntimeInit() {
  if (RuntimeIsInitialized()) {
    throw RuntimeException("RuntimeException", "the framework runtime is already initialised");
  }
  RuntimeTrace("RuntimeInit");
  auto state = std::make_unique<Runtime>();
  state->toolkit = makeToolkit();
  if (!state->toolkit || !state->toolkit->start()) {
    state.reset();
    std::fflush(stdout);
    std::exit(kExitNoDisplay);
  }
  state->synth = makeSynth();
  runtimeSlot() = std::move(state);
}

void RuntimeRegisterFrameworkClasses() {
  RuntimeTrace("RuntimeRegisterFrameworkClasses");
  Control::__Lookup();
  RectControl::__Lookup();
  PushButton::__Lookup();
  CheckBox::__Lookup();
  StaticText::__Lookup();
  NotePlayer::__Lookup();
  Timer::__Lookup();
  Window::__Lookup();
  MenuItem::__Lookup();
  QuitMenuItem::__Lookup();
  MenuBar::__Lookup();
  Application::__Lookup();
  Random::__Lookup();
  _Keyboard::__Lookup();
  Delegate::__Lookup();
  detail::createWindowLists();
}

// A null entry is a start-up routine that cannot run: reported as a nil object.
void RunFrameworkInitialization(StartupEntry entry) {
  RuntimeTrace("RunFrameworkInitialization");
  if (!entry) RaiseNilObjectException();
  entry();
}

void RuntimeRun() {
  RuntimeTrace("RuntimeRun");
  Runtime& rt = runtime();
  // A quit asked for before the loop starts ends it at once.
  if (rt.quitRequested) return;
  rt.toolkit->whenRunning([] { synth().eventLoopStarted(); });
  rt.toolkit->run();
}

bool RuntimeQuit() {
  if (!RuntimeIsInitialized()) return false;
  RuntimeTrace("RuntimeQuit");
  Runtime& rt = runtime();
  rt.quitRequested = true;
  rt.toolkit->quit();
  return true;
}

bool RuntimeQuitWithStatus(int32_t exitStatus) {
  if (!RuntimeIsInitialized()) return false;
  Runtime& rt = runtime();
  if (rt.exitStatus == kExitOk) rt.exitStatus = exitStatus;
  return RuntimeQuit();
}

bool RuntimeQuitRequested() noexcept {
  return RuntimeIsInitialized() && runtimeSlot()->quitRequested;
}

int32_t RuntimeExit() {
  RuntimeTrace("RuntimeExit");
  if (!RuntimeIsInitialized()) return kExitOk;
  detail::closeAllWindows();
  Runtime& rt = runtime();
  rt.app = nullptr;
  rt.synth->allNotesOff();
  const int32_t status = rt.exitStatus;
  // The synthesiser goes first: it may ask the toolkit's clock until it is gone.
  rt.synth.reset();
  rt.toolkit.reset();
  runtimeSlot().reset();
  return status;
}

// One line, never more: "velmora: unhandled <class>: <message>".
void RuntimeUnhandledException(std::exception_ptr exception) {
  std::string name = "exception";
  std::string message;
  try {
    if (exception) std::rethrow_exception(exception);
  } catch (const RuntimeException& e) {
    name = e.className();
    message = e.what();
  } catch (const std::exception& e) {
    name = "std::exception";
    message = e.what();
  } catch (...) {
    name = "unknown exception";
  }
  RuntimeTrace("RuntimeUnhandledException " + name);
  std::string line = "velmora: unhandled " + name;
  if (!message.empty()) line += ": " + message;
  for (char& ch : line) {
    if (ch == '\n' || ch == '\r') ch = ' ';
  }
  std::cerr << line << std::endl;
  if (RuntimeIsInitialized()) runtime().exitStatus = kExitUnhandledException;
}

void RuntimeRegisterAppObject(const Ref<Application>& app) {
  RuntimeTrace("RuntimeRegisterAppObject");
  runtime().app = app;
}

Ref<Application> RuntimeAppObject() { return RuntimeIsInitialized() ? runtime().app : nullptr; }

void RuntimeInitExternalClasses() { RuntimeTrace("RuntimeInitExternalClasses"); }

Ref<PluginEntrypointsTable> RuntimeAllocatePluginEntrypointsTable(int32_t count) {
  RuntimeTrace("RuntimeAllocatePluginEntrypointsTable");
  return Ref<PluginEntrypointsTable>(new PluginEntrypointsTable(count));
}

void RuntimeReleaseImplicitWindowList() {
  RuntimeTrace("RuntimeReleaseImplicitWindowList");
  detail::releaseImplicitWindows();
}

// No window is ever marked dirty: nothing is saved.
void RuntimeReleaseDirtyWindowList() { RuntimeTrace("RuntimeReleaseDirtyWindowList"); }

void RuntimeReleaseWindowList() {
  RuntimeTrace("RuntimeReleaseWindowList");
  detail::closeAllWindows();
}

// Unregisters every class: the next start-up registers them afresh. The
// descriptions themselves stay, for the objects still alive (the shared menu
// bar is released after this).
void RuntimeReleaseReflectionMaps() {
  RuntimeTrace("RuntimeReleaseReflectionMaps");
  detail::releaseClassRegistry();
}

double RuntimeNowMs() { return RuntimeIsInitialized() ? toolkit().nowMs() : 0.0; }

void RuntimeTraceEnable(bool on) { traceLog().enabled = on; }

bool RuntimeTraceEnabled() noexcept { return traceLog().enabled; }

void RuntimeTrace(std::string entry) {
  TraceLog& log = traceLog();
  if (log.enabled) log.entries.push_back(std::move(entry));
}

const std::vector<std::string>& RuntimeTraceLog() { return traceLog().entries; }

void RuntimeTraceClear() { traceLog().entries.clear(); }

}  // namespace platform
