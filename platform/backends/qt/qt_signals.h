// SIGINT and SIGTERM end the program through its normal quit: the event loop
// returns, the windows close and the synthesiser releases its notes and stops,
// and the exit status is 128 + the signal's number (130, 143), as a shell
// reports a program that a signal ended, so scripts still see a non-zero status.
#pragma once

#include <array>
#include <csignal>
#include <memory>

class QSocketNotifier;

namespace platform::qt {

// Exit status of a quit asked for by signal n: kExitSignalBase + n.
inline constexpr int kExitSignalBase = 128;

// While it lives, SIGINT and SIGTERM are caught. The handler only writes the
// signal's number into a pipe (async-signal-safe); a notifier on the event-loop
// thread reads it, prints one line on stderr and asks the framework to quit.
// Each handler is reset to the default action when it runs, so a second signal
// of the same kind ends a shut-down that hangs. The destructor puts the previous
// handlers back. One instance at a time (the handler reaches the pipe through a
// process-wide variable); a second is refused with std::logic_error. Without a
// pipe the signals keep their default action.
class QuitOnSignals {
 public:
  QuitOnSignals();
  ~QuitOnSignals();
  QuitOnSignals(const QuitOnSignals&) = delete;
  QuitOnSignals& operator=(const QuitOnSignals&) = delete;

  static constexpr std::array<int, 2> kSignals = {SIGINT, SIGTERM};

 private:
  void signalled();

  int readFd_ = -1;
  int writeFd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::array<struct sigaction, kSignals.size()> previous_{};
  bool quitting_ = false;
};

}  // namespace platform::qt
