// The beat event table: the parsed items of one melody as note events by beat.
//
// iMelodyPlay row b holds the events of beat b in slots 0..kLastSlot: +n starts
// note n, -n releases it, and the first 0 ends the row's list. Events of one beat
// stand in item order, an item's note-on before its note-off.
//
// Items the table cannot hold are left out whole, never half: an item whose note
// number is not positive (0 would read as a free slot), whose start beat or
// duration is negative, or whose note-on or note-off row has no free slot left.
// Leaving out both events keeps the promise that a melody played to its end
// releases every note it started; nothing outside the table is read or written.

#include <cstdint>

#include "main_window/frm_main.h"
#include "platform/text.h"

namespace velmora {

namespace {

constexpr int32_t kLastSlot = 19;  // 20 events per beat
constexpr int32_t kNoteColumn = 0, kDurationColumn = 1, kStartColumn = 2;

// The first free slot of `row`; kLastSlot + 1 when the row is full.
int32_t freeSlot(const platform::Int32Array2& table, int32_t row) {
  int32_t j = 0;
  while (j <= kLastSlot && table.get(row, j) != 0) ++j;
  return j;
}

struct Item {
  int32_t note, duration, start;
  // Whether the item can stand in a table at all (capacity aside).
  bool placeable() const {
    return note > 0 && duration >= 0 && start >= 0 &&
           static_cast<int64_t>(start) + duration <= INT32_MAX;
  }
  int32_t end() const { return start + duration; }
};

Item readItem(const platform::Int32Array2& build, int32_t i) {
  return Item{build.get(i, kNoteColumn), build.get(i, kDurationColumn), build.get(i, kStartColumn)};
}

}  // namespace

void frmMain::MelodyLoad(int32_t k) {
  Ref<platform::Int32Array2> table = iMelodyPlay;

  // Empty the table: Redim keeps row 0, so clear its slots.
  table->Redim(0, kLastSlot);
  for (int32_t j = 0; j <= kLastSlot; ++j) table->set(0, j, 0);

  ParseMelody(k);
  Ref<platform::Int32Array2> build = iMelodyBuild;
  const int32_t n = build->Ubound(1);  // index of the last item; -1 for none

  // The last beat: the largest end of any item, wherever it stands in the list.
  int32_t lastBeat = 0;
  for (int32_t i = 0; i <= n; ++i) {
    const Item item = readItem(*build, i);
    if (!item.placeable()) continue;
    lastBeat = static_cast<int32_t>(platform::Max(lastBeat, item.end()));
  }
  table->Redim(lastBeat, kLastSlot);

  for (int32_t i = 0; i <= n; ++i) {
    const Item item = readItem(*build, i);
    if (!item.placeable()) continue;
    const int32_t on = freeSlot(*table, item.start);
    if (on > kLastSlot) continue;
    // A zero-length item needs the slot after its own note-on.
    const int32_t off = item.duration == 0 ? on + 1 : freeSlot(*table, item.end());
    if (off > kLastSlot) continue;
    table->set(item.start, on, item.note);
    table->set(item.end(), off, -item.note);
  }
}

}  // namespace velmora
