#include "shell/startup.h"

#include <exception>
#include <variant>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/run.h"
#include "shell/app.h"
#include "shell/menu_bar1.h"

namespace velmora {

namespace {

using platform::Ref;

// The program uses no plug-ins; the empty table is kept for the process's life.
Ref<platform::PluginEntrypointsTable> gPluginEntrypoints;

}  // namespace

int percentMain() {
  platform::RuntimeInit();
  percentInitialize();
  _Main();
  percentFinalize();
  return platform::RuntimeExit();
}

void percentInitialize() {
  platform::RuntimeRegisterFrameworkClasses();
  App::__Lookup();
  frmMain::__ctblinit();
  frmMain_cmdResponse::__Lookup();
  frmMain_tmrPitch::__Lookup();
  frmMain_chkPitch::__Lookup();
  frmMain_cmdTrigger::__Lookup();
  frmMain_tmrDelay::__Lookup();
  frmMain_tmrMelodyPlay::__Lookup();
  frmMain_chkOctave::__Lookup();
  MenuBar1::__Lookup();
}

void percentFinalize() {
  platform::RuntimeReleaseImplicitWindowList();
  platform::RuntimeReleaseDirtyWindowList();
  platform::RuntimeReleaseWindowList();
  platform::RuntimeReleaseReflectionMaps();
  releaseMenuBar1Instance();
}

void _Main() {
  Ref<platform::Delegate> startup;
  try {
    startup = platform::RuntimeCreateDelegate(platform::DelegateInvoker::Invoke, &_Startup, nullptr,
                                              "(  )");
    // A nil delegate hands on a null entry; the framework decides what that means.
    platform::StartupEntry entry = nullptr;
    if (startup) {
      if (const auto* e = std::get_if<platform::StartupEntry>(&startup->entry())) entry = *e;
    }
    platform::RunFrameworkInitialization(entry);
    startup.reset();
    platform::RuntimeRun();
  } catch (...) {
    // Whatever the report itself raises passes on; `startup` is released on the way.
    platform::RuntimeUnhandledException(std::current_exception());
    startup.reset();
  }
}

void _Startup() {
  platform::RuntimeInitExternalClasses();
  gPluginEntrypoints = platform::RuntimeAllocatePluginEntrypointsTable(0);
  _InitFileTypes();
  _NewAppInstance();
  _ApplicationAddMenuHandlers();
  _MakeDefaultView();
}

// The program declares no file types.
void _InitFileTypes() {}

void _NewAppInstance() {
  Ref<App> app = platform::RuntimeNewObjectAs<App>(App::__Lookup());
  // Checked before the menu bar exists, so a failure here builds no menu.
  if (!app) platform::RaiseNilObjectException();
  {
    Ref<MenuBar1> bar = accessor::MenuBar1();
    app->MenuBar(bar);
  }
  platform::RuntimeRegisterAppObject(app);
}

// The program installs no application-level menu handler.
void _ApplicationAddMenuHandlers() {}

// The framework keeps the window; the accessor's reference is given back at once.
void _MakeDefaultView() { accessor::frmMain(); }

}  // namespace velmora
