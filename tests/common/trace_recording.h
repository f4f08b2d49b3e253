// The framework's trace log for the life of one object: switched on from empty
// at construction, off and empty again at destruction, so no test reads what an
// earlier one recorded and none leaves the log running.
#pragma once

#include "platform/run.h"

namespace velmora::testing {

class TraceRecording {
 public:
  TraceRecording() {
    platform::RuntimeTraceClear();
    platform::RuntimeTraceEnable(true);
  }
  ~TraceRecording() {
    platform::RuntimeTraceEnable(false);
    platform::RuntimeTraceClear();
  }
  TraceRecording(const TraceRecording&) = delete;
  TraceRecording& operator=(const TraceRecording&) = delete;
};

}  // namespace velmora::testing
