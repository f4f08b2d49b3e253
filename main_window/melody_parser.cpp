// The built-in melody table and the melody string parser.
//
// A melody string is "tempo," followed by items "NNDDS...," where NN is the note
// number (2 digits), DD the duration in beats (2 digits) and S... the start beat
// (one or more digits); every item ends with its own comma.
//
// Malformed strings: the parser never reads or writes outside its text or its
// array. It reads the text item by item and stops before the first item that is
// not well formed (fewer than five characters before its comma, a character
// that is not a digit, no comma at all, or a start beat above kMaxStartBeat);
// the items before it stand. A tempo that is missing, not digits, or outside
// 1..kMaxTempoMs makes the whole melody empty and leaves the period unchanged.
// An empty melody has no rows: iMelodyBuild's first upper bound is then -1.
// A melody index outside sMelodies reads as an empty text.

#include <algorithm>
#include <string_view>

#include "main_window/frm_main.h"
#include "main_window/melody_table.h"
#include "platform/text.h"

namespace velmora {

namespace {

constexpr int32_t kBuildColumns = 2;    // upper bound: note, duration, start beat
constexpr int32_t kNoteWidth = 2;       // characters 1-2 of an item
constexpr int32_t kDurationWidth = 2;   // characters 3-4
constexpr int32_t kStartColumn = 5;     // the start beat begins at character 5
constexpr double kMaxTempoMs = 60000;   // one beat a minute at the slowest
constexpr double kMaxStartBeat = 9999;  // keeps the beat table a sane size

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

void frmMain::MelodyInit() {
  Ref<platform::TextArray> melodies = sMelodies;
  for (int32_t k = 0; k < static_cast<int32_t>(kBuiltInMelodies.size()); ++k) {
    melodies->set(k, platform::String(kBuiltInMelodies[k]));
  }
}

void frmMain::ParseMelody(int32_t k) {
  Ref<platform::TextArray> melodies = sMelodies;
  Ref<platform::Int32Array2> build = iMelodyBuild;

  platform::String s;
  if (k >= 0 && k <= melodies->Ubound(1)) s = melodies->get(k);
  int32_t row = -1;

  // The tempo: the digits before the first comma, in milliseconds per beat.
  int32_t p = platform::InStr(s, 0, ",");
  const platform::String tempoText = platform::Left(s, p - 1);
  const double tempo = platform::Val(tempoText);
  if (p < 2 || !allDigits(tempoText) || tempo < 1 || tempo > kMaxTempoMs) {
    build->Redim(-1, kBuildColumns);
    return;
  }
  tmrMelodyPlay()->Period(static_cast<int32_t>(tempo));
  s = platform::Mid(s, p + 1);

  for (;;) {
    // p: the comma that ends the current item (6 or 7 in the built-in table).
    p = platform::InStr(s, 0, ",");
    if (p < kStartColumn + 1 || !allDigits(platform::Left(s, p - 1))) break;
    const double note = platform::Val(platform::Left(s, kNoteWidth));
    const double duration = platform::Val(platform::Mid(s, kNoteWidth + 1, kDurationWidth));
    // p characters from character 5 always reach the comma, where Val stops.
    const double start = platform::Val(platform::Mid(s, kStartColumn, p));
    if (start > kMaxStartBeat) break;

    // One row per item; the first pass cuts away the rows of an earlier melody.
    ++row;
    build->Redim(row, kBuildColumns);
    build->set(row, 0, static_cast<int32_t>(note));
    build->set(row, 1, static_cast<int32_t>(duration));
    build->set(row, 2, static_cast<int32_t>(start));

    if (p + 1 > platform::Len(s)) break;  // that comma was the last character
    s = platform::Mid(s, p + 1);
  }
  if (row < 0) build->Redim(-1, kBuildColumns);
}

}  // namespace velmora
