// Internal to the framework core: what run.cpp needs of the window lists.
#pragma once

namespace platform::detail {

// Creates the (empty) window lists if they do not exist yet.
void createWindowLists();
// Drops the implicit-instance entries (the windows stay open).
void releaseImplicitWindows();
// Closes every window still open, newest first, and drops the lists' references.
void closeAllWindows();

}  // namespace platform::detail
