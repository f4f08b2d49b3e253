// Whether Qt can reach a display, asked before QApplication exists: Qt itself
// aborts (and dumps core) when its platform plugin cannot connect.
#pragma once

#include <memory>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace platform::qt {

struct XConnectionCloser {
  void operator()(xcb_connection_t* connection) const;
};
using XConnection = std::unique_ptr<xcb_connection_t, XConnectionCloser>;

struct DisplayChoice {
  // The platform plugin to start Qt with; empty: Qt's own choice, or the one
  // QT_QPA_PLATFORM names.
  std::string platform;
  // Set when no display can be reached: the reason, in words for the person who
  // started the program.
  std::optional<std::string> problem;
  // The check's own connection to the X display, when it made one that works.
  // Keep it until Qt has connected: an X server whose only client leaves resets,
  // and refuses the next connection for a moment (Xvfb and xvfb-run do so), and
  // Qt aborts when its connection is refused.
  XConnection heldX;
};

// Reads DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM and connects to the X
// display to see that it answers. Changes nothing in the process's environment.
DisplayChoice chooseDisplay();

}  // namespace platform::qt
