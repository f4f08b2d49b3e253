// How the framework's menu shortcuts are matched on this platform.
#pragma once

#include <QKeySequence>
#include <string_view>

namespace platform::qt {

// A shortcut written "Cmd+" and a key ("Cmd+Q"), shown and matched as Ctrl+ here
// (there is no Cmd key); other modifiers pass as written. "" is no shortcut.
QKeySequence keySequenceFor(std::string_view shortcut);

}  // namespace platform::qt
