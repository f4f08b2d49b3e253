// Start-up, event loop, quit and shut-down of the framework.
//
// Exit status: 0 after a quit; 1 once an unhandled exception was reported (a
// failure never exits as success); 2 when the backend cannot start (no display),
// which RuntimeInit reports itself; what RuntimeQuitWithStatus gives after a
// quit a backend asks for on the person's behalf (128 + n for signal n).
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "platform/object.h"

namespace platform {

class Application;

inline constexpr int kExitOk = 0;
inline constexpr int kExitUnhandledException = 1;
inline constexpr int kExitNoDisplay = 2;

// The first framework call of the process: creates the runtime and its backends
// (toolkit and synthesiser, chosen at link time). When the toolkit cannot start
// it prints one line on stderr and exits the process with kExitNoDisplay.
void RuntimeInit();
// Builds the framework's own class descriptions (and its empty window list).
void RuntimeRegisterFrameworkClasses();
// Readies the backend for windows, then calls `entry` once; exceptions from it
// pass on. A null entry raises NilObjectException (there would be nothing to run).
void RunFrameworkInitialization(StartupEntry entry);
// The event loop; returns once the application quits. An exception raised by a
// handler ends the loop and passes on from here.
void RuntimeRun();
// Shuts the framework down (closes what is still open, stops the sound) and
// gives the exit status.
int32_t RuntimeExit();
// Reports an exception nobody handled: one line on stderr naming it
// ("velmora: unhandled NilObjectException: ..."); the exit status becomes 1.
void RuntimeUnhandledException(std::exception_ptr exception);
// Registers the application object; the framework keeps it until shut-down.
void RuntimeRegisterAppObject(const Ref<Application>& app);
Ref<Application> RuntimeAppObject();
void RuntimeInitExternalClasses();

// The plug-in entry-point table (this program has no plug-ins).
class PluginEntrypointsTable : public Object {
 public:
  explicit PluginEntrypointsTable(int32_t count) : count_(count) {}
  int32_t count() const noexcept { return count_; }

 private:
  int32_t count_;
};
Ref<PluginEntrypointsTable> RuntimeAllocatePluginEntrypointsTable(int32_t count);

// Module release at shut-down, in the order the program calls them.
void RuntimeReleaseImplicitWindowList();
void RuntimeReleaseDirtyWindowList();
void RuntimeReleaseWindowList();  // closes the windows still open
// Releases the class registry: the next start-up registers every class afresh.
void RuntimeReleaseReflectionMaps();

// Asks the event loop to end (the quit action); false when no runtime runs.
bool RuntimeQuit();
// RuntimeQuit, with `exitStatus` as the status RuntimeExit gives unless a failure
// was reported (that status is kept).
bool RuntimeQuitWithStatus(int32_t exitStatus);
bool RuntimeQuitRequested() noexcept;
bool RuntimeIsInitialized() noexcept;

// Milliseconds on the backend's clock (virtual on the headless backend).
double RuntimeNowMs();

// A record of framework calls, for tests of ordering. Off unless enabled; the
// log lives for the process, so whoever enables it also turns it off and clears it.
void RuntimeTraceEnable(bool on);
bool RuntimeTraceEnabled() noexcept;
void RuntimeTrace(std::string entry);
const std::vector<std::string>& RuntimeTraceLog();
void RuntimeTraceClear();

}  // namespace platform
