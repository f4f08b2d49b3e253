// libFuzzer target: any text as a melody string, through the real route (trigger
// button, parser, beat event table, player). Under AddressSanitizer and UBSan a
// read or write outside a text or an array stops the run, and so does a melody
// that ends with a note still sounding or before its last beat.
//
// Input: the first byte chooses how the rest is used. Even: the rest is the
// melody string. Odd: byte 1 picks a built-in melody, byte 2 an offset into it,
// and the bytes after them replace its tail from there, so that runs start near
// well-formed melodies.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/backends/headless/headless.h"
#include "tests/app/app_startup.h"

namespace {

constexpr int kTrigger = 0;
constexpr int32_t kPlayedRowsMax = 200;  // longer melodies are begun, then stopped

struct Fuzzing {
  velmora::testing::AppSession app;
  std::array<std::string, 12> builtIn;  // the window's table before any run changes it
  Fuzzing() {
    for (int k = 0; k < 12; ++k) builtIn[k] = app.window()->sMelodies->get(k);
  }
};

Fuzzing& fuzzing() {
  static Fuzzing f;
  return f;
}

std::string melodyFrom(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  if (size == 0) return {};
  if (data[0] % 2 == 0) return std::string(bytes + 1, size - 1);
  if (size < 3) return {};
  const std::string& base = fuzzing().builtIn[data[1] % 12];
  std::string s = base.substr(0, data[2] % (base.size() + 1));
  s.append(bytes + 3, size - 3);
  return s;
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::frmMain& w = *fuzzing().app.window();
  auto& toolkit = platform::headless::toolkit();
  auto& synth = platform::headless::synth();

  synth.clear();
  w.sMelodies->set(kTrigger, melodyFrom(data, size));
  toolkit.click(*w.cmdTrigger(kTrigger));
  platform::Timer& timer = *w.tmrMelodyPlay();
  if (w.iMelodyPlay->Ubound(1) > kPlayedRowsMax) {
    toolkit.advance(timer.Period());
    toolkit.click(*w.cmdTrigger(kTrigger));
    check(timer.Mode() == platform::Timer::kOff);
    return 0;
  }
  while (timer.Mode() != platform::Timer::kOff) {
    toolkit.advance(timer.deadlineMs() - platform::RuntimeNowMs());
  }
  check(synth.sounding("notMelodies").empty());
  check(w.iMelodyBeat == w.iMelodyPlay->Ubound(1));
  return 0;
}
