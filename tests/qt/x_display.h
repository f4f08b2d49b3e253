// X display names that answer, or do not, the same way on every machine: each
// is a TCP port on the loopback interface that this process holds, so no X
// server of the machine can be listening there (a display number could be
// anyone's).
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace velmora::test {

// Nothing listens: a connection is refused.
class RefusingXDisplay {
 public:
  RefusingXDisplay();
  ~RefusingXDisplay();
  RefusingXDisplay(const RefusingXDisplay&) = delete;
  RefusingXDisplay& operator=(const RefusingXDisplay&) = delete;

  // "127.0.0.1:N".
  const std::string& name() const { return name_; }

 private:
  int socket_ = -1;
  std::string name_;
};

// A stand-in X server: it answers each connection's setup with a server of one
// screen, then waits for the client to leave. Enough to check that a display
// opens; nothing can be drawn on it.
class AnsweringXDisplay {
 public:
  enum class OnLastClientLeaving {
    Stays,
    // Resets, as an X server started without -noreset does (Xvfb, xvfb-run):
    // connections that come after that are closed unanswered.
    Resets,
  };
  explicit AnsweringXDisplay(OnLastClientLeaving onLast = OnLastClientLeaving::Stays);
  ~AnsweringXDisplay();
  AnsweringXDisplay(const AnsweringXDisplay&) = delete;
  AnsweringXDisplay& operator=(const AnsweringXDisplay&) = delete;

  // "127.0.0.1:N" (screen 0, the only one).
  const std::string& name() const { return name_; }

 private:
  void serve();
  // The connection setup; false when the client did not ask for it.
  bool answer(int connection);

  const OnLastClientLeaving onLast_;
  int socket_ = -1;
  int stopRead_ = -1;  // readable once the destructor asks the server to stop
  int stopWrite_ = -1;
  std::string name_;
  std::thread server_;
};

}  // namespace velmora::test
