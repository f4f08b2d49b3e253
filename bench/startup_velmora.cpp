// The program's own start-up path (classes, application object, menu bar, the
// main window with its 49 controls, the synthesiser), ended on the event loop's
// first pass. Only the quit at that pass is added to what the program does.
#include <QTimer>

#include "platform/run.h"
#include "shell/startup.h"
#include "startup_first_pass.h"

int main() {
  platform::RuntimeInit();
  velmora::percentInitialize();
  // Posted before the loop runs, so it fires on its first pass, after start-up
  // has shown the window.
  QTimer::singleShot(0, [] {
    velmora::bench::reportFirstPass();
    platform::RuntimeQuit();
  });
  velmora::_Main();
  velmora::percentFinalize();
  return platform::RuntimeExit();
}
