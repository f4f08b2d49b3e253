#include "platform/backends/qt/qt_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "platform/run.h"

namespace platform::qt {
namespace {

// The pipe's write end for the handler; -1 when no instance lives.
std::atomic<int> gWakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

// Runs in whatever thread the signal lands on: a write(2) and nothing else.
void onSignal(int signal) {
  const int savedErrno = errno;
  const auto number = static_cast<unsigned char>(signal);
  const int fd = gWakeFd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    // A full pipe already holds a signal still to be handled: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
  }
  errno = savedErrno;
}

const char* nameOf(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "a signal";
  }
}

}  // namespace

QuitOnSignals::QuitOnSignals() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;  // signals keep their default action
  readFd_ = fds[0];
  writeFd_ = fds[1];
  int expected = -1;
  if (!gWakeFd.compare_exchange_strong(expected, writeFd_)) {
    ::close(readFd_);
    ::close(writeFd_);
    throw std::logic_error("signal handling is already installed");
  }
  notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { signalled(); });

  struct sigaction action {};
  action.sa_handler = &onSignal;
  sigemptyset(&action.sa_mask);
  // SA_RESTART: system calls the signal interrupts resume rather than fail.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

QuitOnSignals::~QuitOnSignals() {
  if (writeFd_ < 0) return;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  gWakeFd.store(-1);
  notifier_.reset();
  ::close(readFd_);
  ::close(writeFd_);
}

void QuitOnSignals::signalled() {
  unsigned char number = 0;
  bool any = false;
  // Drain the pipe; the first signal decides the status.
  for (unsigned char byte; ::read(readFd_, &byte, 1) == 1;) {
    if (!any) number = byte;
    any = true;
  }
  if (!any || quitting_) return;
  quitting_ = true;
  const int status = kExitSignalBase + number;
  std::fprintf(stderr, "velmora: %s received; quitting with exit status %d\n", nameOf(number),
               status);
  RuntimeQuitWithStatus(status);
}

}  // namespace platform::qt
