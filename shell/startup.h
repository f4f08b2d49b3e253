// The program's life from the process's main routine to the exit status:
// class registration, the start-up routine the framework runs, the event loop,
// and the module release at shut-down.
#pragma once

namespace velmora {

// The whole life of the application; returns the exit status.
int percentMain();

// Registers every class description once, the framework's first, then the
// application's. Creates no instance of any of them.
void percentInitialize();

// Releases the module-level objects at shut-down, the shared menu bar last.
void percentFinalize();

// Runs the framework's initialisation with _Startup, then the event loop. The one
// place that catches: whatever escapes goes to the framework's report, and the
// routine returns so that shut-down follows as after a quit.
void _Main();

// The start-up steps the framework's initialisation calls, in their fixed order.
void _Startup();
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _MakeDefaultView();

}  // namespace velmora
