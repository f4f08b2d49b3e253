// Whether Qt can reach a display, asked before QApplication exists: Qt itself
// aborts (and dumps core) when its platform plugin cannot connect.
#pragma once

#include <optional>
#include <string>

namespace platform::qt {

// Nothing when a display can be reached (or QT_QPA_PLATFORM names a platform
// that needs none, such as offscreen); otherwise the reason, in words for the
// person who started the program.
std::optional<std::string> displayProblem();

}  // namespace platform::qt
