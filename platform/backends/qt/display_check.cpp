#include "platform/backends/qt/display_check.h"

#include <xcb/xcb.h>

#include <QFileInfo>
#include <QLibraryInfo>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace platform::qt {
namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Nothing when the X display named by DISPLAY accepts a connection; that
// connection is then kept in `held`.
std::optional<std::string> xProblem(XConnection& held) {
  const std::string display = env("DISPLAY");
  if (display.empty()) return "DISPLAY is not set";
  // Asked for the screen number, xcb also checks that the server has that screen
  // (Qt asks for it too, and aborts without it).
  int screen = 0;
  XConnection connection(xcb_connect(nullptr, &screen));  // freed also when it failed
  switch (xcb_connection_has_error(connection.get())) {
    case 0:
      held = std::move(connection);
      return std::nullopt;
    case XCB_CONN_CLOSED_PARSE_ERR:
      return "DISPLAY '" + display + "' is not a display name";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
      return "the X display '" + display + "' has no such screen";
    default:
      return "the X display '" + display + "' does not answer or refuses the connection";
  }
}

bool waylandPluginInstalled() {
  const QString platforms = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/";
  return QFileInfo::exists(platforms + "libqwayland-generic.so") ||
         QFileInfo::exists(platforms + "libqwayland-egl.so");
}

std::optional<std::string> waylandProblem() {
  if (env("WAYLAND_DISPLAY").empty()) return "WAYLAND_DISPLAY is not set";
  if (!waylandPluginInstalled()) {
    return "WAYLAND_DISPLAY is set but Qt's Wayland plugin is missing (install qt6-wayland)";
  }
  return std::nullopt;
}

// The problem of one entry of QT_QPA_PLATFORM ("name" or "name:options").
std::optional<std::string> platformProblem(std::string_view entry, XConnection& held) {
  const std::string_view name = entry.substr(0, entry.find(':'));
  if (name == "xcb") return xProblem(held);
  if (name.starts_with("wayland")) return waylandProblem();
  return std::nullopt;  // offscreen, minimal, vnc, eglfs, ...: nothing to check here
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    const size_t end = text.find(separator);
    if (end != 0) parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return parts;
}

}  // namespace

void XConnectionCloser::operator()(xcb_connection_t* connection) const {
  xcb_disconnect(connection);
}

DisplayChoice chooseDisplay() {
  XConnection held;
  const auto reached = [&held](std::string platform) {
    return DisplayChoice{std::move(platform), {}, std::move(held)};
  };
  const auto unreachable = [](std::string why) { return DisplayChoice{"", std::move(why), {}}; };

  const std::string requested = env("QT_QPA_PLATFORM");
  if (!requested.empty()) {
    // Qt tries the entries of a ';' list in order and takes the first that starts.
    std::optional<std::string> first;
    for (std::string_view entry : split(requested, ';')) {
      std::optional<std::string> problem = platformProblem(entry, held);
      if (!problem) return reached("");
      if (!first) first = std::move(problem);
    }
    return unreachable(first ? *first : "QT_QPA_PLATFORM is empty");
  }

  // No platform requested: Qt would pick X (or Wayland in some Wayland sessions)
  // and abort when it cannot connect. Choose one that works.
  const std::optional<std::string> x = xProblem(held);
  const std::optional<std::string> wayland = waylandProblem();
  if (x && wayland) {
    if (env("DISPLAY").empty() && env("WAYLAND_DISPLAY").empty()) {
      return unreachable("neither DISPLAY nor WAYLAND_DISPLAY is set");
    }
    return unreachable(env("DISPLAY").empty() ? *wayland : *x);
  }
  if (!x && wayland) return reached("xcb");
  if (x && !wayland) return reached("wayland");
  return reached("");
}

}  // namespace platform::qt
