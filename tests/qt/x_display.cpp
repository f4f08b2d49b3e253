#include "x_display.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace velmora::test {
namespace {

// X display n is TCP port 6000 + n.
constexpr int kXTcpPortBase = 6000;
constexpr int kLastPort = 65535;
// A setup reply's status, protocol version and length fields.
constexpr size_t kSetupReplyHeaderBytes = 8;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

bool bindLoopback(int socket, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

int boundPort(int socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    fail("getsockname");
  }
  return ntohs(address.sin_port);
}

// A TCP socket bound to a loopback port that is some X display's: the port the
// system hands out when it is one, else the first free one from there on.
// Returns the socket and sets `display` to "127.0.0.1:N".
int bindDisplayPort(std::string& display) {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) fail("socket");
  int port = bindLoopback(socket, 0) ? boundPort(socket) : 0;
  if (port <= kXTcpPortBase) {
    ::close(socket);
    for (port = kXTcpPortBase + 1; port <= kLastPort; ++port) {
      const int candidate = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (candidate < 0) fail("socket");
      if (bindLoopback(candidate, port)) {
        display = "127.0.0.1:" + std::to_string(port - kXTcpPortBase);
        return candidate;
      }
      ::close(candidate);
    }
    fail("no loopback port is free for an X display");
  }
  display = "127.0.0.1:" + std::to_string(port - kXTcpPortBase);
  return socket;
}

// Reads exactly `size` bytes; false at the end of the stream or on an error.
bool readFully(int fd, void* data, size_t size) {
  auto* at = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = ::read(fd, at, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool writeFully(int fd, const void* data, size_t size) {
  const auto* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, at, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    at += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

constexpr size_t padded(size_t size) { return (size + 3) & ~size_t{3}; }

}  // namespace

RefusingXDisplay::RefusingXDisplay() { socket_ = bindDisplayPort(name_); }

RefusingXDisplay::~RefusingXDisplay() { ::close(socket_); }

AnsweringXDisplay::AnsweringXDisplay(OnLastClientLeaving onLast) : onLast_(onLast) {
  socket_ = bindDisplayPort(name_);
  if (::listen(socket_, 8) != 0) fail("listen");
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) fail("pipe2");
  stopRead_ = fds[0];
  stopWrite_ = fds[1];
  server_ = std::thread([this] { serve(); });
}

AnsweringXDisplay::~AnsweringXDisplay() {
  ::close(stopWrite_);  // the server sees the end of the pipe
  server_.join();
  ::close(stopRead_);
  ::close(socket_);
}

void AnsweringXDisplay::serve() {
  std::vector<int> clients;  // answered and still connected
  bool reset = false;
  for (;;) {
    std::vector<pollfd> fds = {{stopRead_, POLLIN, 0}, {socket_, POLLIN, 0}};
    for (int client : clients) fds.push_back({client, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents != 0) break;
    // Clients that left first: one that left before another came is gone by
    // the time that one is taken.
    char discard[256];
    for (size_t i = fds.size() - 1; i >= 2; --i) {
      if (fds[i].revents != 0 && ::read(fds[i].fd, discard, sizeof discard) <= 0) {
        ::close(fds[i].fd);
        std::erase(clients, fds[i].fd);
        if (clients.empty() && onLast_ == OnLastClientLeaving::Resets) reset = true;
      }
    }
    if (fds[1].revents == 0) continue;
    const int connection = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    if (!reset && answer(connection)) {
      clients.push_back(connection);
    } else {
      ::close(connection);
    }
  }
  for (int client : clients) ::close(client);
}

// The client's setup request, then a reply in the client's byte order (this
// machine's: the client runs here) describing one screen and no depths.
bool AnsweringXDisplay::answer(int connection) {
  xcb_setup_request_t request{};
  if (!readFully(connection, &request, sizeof request)) return false;
  std::vector<char> authorisation(padded(request.authorization_protocol_name_len) +
                                  padded(request.authorization_protocol_data_len));
  if (!readFully(connection, authorisation.data(), authorisation.size())) return false;

  struct {
    xcb_setup_t setup;
    xcb_screen_t screen;
  } reply{};
  static_assert(sizeof reply == sizeof(xcb_setup_t) + sizeof(xcb_screen_t));
  reply.setup.status = 1;  // success
  reply.setup.protocol_major_version = X_PROTOCOL;
  reply.setup.protocol_minor_version = X_PROTOCOL_REVISION;
  reply.setup.length = (sizeof reply - kSetupReplyHeaderBytes) / 4;  // what follows the header
  reply.setup.resource_id_base = 0x00200000;
  reply.setup.resource_id_mask = 0x001fffff;
  reply.setup.maximum_request_length = 0xffff;
  reply.setup.roots_len = 1;
  reply.setup.bitmap_format_scanline_unit = 32;
  reply.setup.bitmap_format_scanline_pad = 32;
  reply.setup.min_keycode = 8;
  reply.setup.max_keycode = 255;
  reply.screen.root = 0x100;
  reply.screen.width_in_pixels = 1024;
  reply.screen.height_in_pixels = 768;
  reply.screen.root_depth = 24;
  return writeFully(connection, &reply, sizeof reply);
}

}  // namespace velmora::test
