// Internal to the framework core: what run.cpp needs of the window lists, and
// what the rest of the core keeps in the running runtime.
#pragma once

#include "platform/object.h"

namespace platform {
class _Keyboard;
}

namespace platform::detail {

// Creates the (empty) window lists if they do not exist yet.
void createWindowLists();
// Drops the implicit-instance entries (the windows stay open).
void releaseImplicitWindows();
// Closes every window still open, newest first, and drops the lists' references.
void closeAllWindows();
// The running runtime's keyboard-state object; nil until first asked for. Raises
// RuntimeException when no runtime runs.
Ref<_Keyboard>& runtimeKeyboard();

}  // namespace platform::detail
