// Many thousands of malformed melody strings through the real route (trigger
// button, parser, beat table, player). Run under the sanitizer build, this is the
// check that nothing reads or writes outside a text or an array whatever a melody
// string holds; each string is also compared with a plain reading of the format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/app/melody_session.h"

namespace velmora::testing {
namespace {

constexpr int kStrings = 10000;
constexpr int kMaxTempoMs = 60000;
constexpr int kMaxStartBeat = 9999;
constexpr size_t kPlayedRowsMax = 100;
constexpr double kForeverMs = 1e12;  // virtual: a slow tempo over many beats is no wait

bool digits(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The number a digit string spells, or nothing when it exceeds `limit`.
std::optional<int> number(const std::string& s, int limit) {
  long long v = 0;
  for (char c : s) {
    v = v * 10 + (c - '0');
    if (v > limit) return std::nullopt;
  }
  return static_cast<int>(v);
}

struct Reading {
  std::optional<int> tempo;  // nothing: no valid tempo, no items
  std::vector<Item> items;
};

// The well-formed items before the first malformed one.
Reading readMelody(const std::string& s) {
  Reading r;
  const size_t comma = s.find(',');
  if (comma == std::string::npos || comma == 0 || !digits(s.substr(0, comma))) return r;
  r.tempo = number(s.substr(0, comma), kMaxTempoMs);
  if (!r.tempo || *r.tempo < 1) return Reading{};
  for (size_t pos = comma + 1;;) {
    const size_t end = s.find(',', pos);
    if (end == std::string::npos) break;
    const std::string item = s.substr(pos, end - pos);
    if (item.size() < 5 || !digits(item)) break;
    const std::optional<int> start = number(item.substr(4), kMaxStartBeat);
    if (!start) break;
    r.items.push_back({std::stoi(item.substr(0, 2)), std::stoi(item.substr(2, 2)), *start});
    pos = end + 1;
  }
  return r;
}

class Strings {
 public:
  explicit Strings(std::vector<std::string> seeds) : seeds_(std::move(seeds)) {}

  std::string next() {
    switch (pick(4)) {
      case 0:
        return noise();
      case 1:
        return mutated(seeds_[pick(seeds_.size())]);
      case 2:
        return mutated(itemsAlmostRight(60));
      default:
        return mutated(itemsAlmostRight(3));
    }
  }

 private:
  size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  char anyChar() {
    static const std::string kChars = "0123456789,,,,-+. x\n\x80";
    return kChars[pick(kChars.size())];
  }
  std::string noise() {
    std::string s(pick(40), ' ');
    for (char& c : s) c = anyChar();
    return s;
  }
  // Well-formed items over `beats` beats; few beats crowd more than 20 events onto one.
  std::string itemsAlmostRight(size_t beats) {
    std::string s = std::to_string(pick(300)) + ",";
    char item[16];
    for (size_t n = pick(45); n > 0; --n) {
      std::snprintf(item, sizeof item, "%02zu%02zu%zu,", pick(100), pick(beats / 2 + 1),
                    pick(beats));
      s += item;
    }
    return s;
  }
  std::string mutated(std::string s) {
    for (size_t edits = 1 + pick(3); edits > 0; --edits) {
      const size_t at = s.empty() ? 0 : pick(s.size());
      switch (pick(5)) {
        case 0:
          if (!s.empty()) s.erase(at, 1);
          break;
        case 1:
          s.insert(s.begin() + at, anyChar());
          break;
        case 2:
          if (!s.empty()) s[at] = anyChar();
          break;
        case 3:
          s.resize(at);
          break;
        default:
          s += anyChar();
          break;
      }
    }
    return s;
  }

  std::vector<std::string> seeds_;
  std::mt19937 rng_{20240611};
};

// Per note number: starts minus releases over the whole table.
std::map<int, int> balance(const std::vector<std::vector<int>>& table) {
  std::map<int, int> out;
  for (const auto& row : table) {
    for (int v : eventsOf(row)) out[std::abs(v)] += v > 0 ? 1 : -1;
  }
  std::erase_if(out, [](const auto& e) { return e.second == 0; });
  return out;
}

TEST(MalformedMelodies, ParseAsTheirWellFormedPrefixAndPlayWithoutLeavingNotesOn) {
  MelodySession s;
  std::vector<std::string> builtIn;
  for (int k = 0; k < kMelodyCount; ++k) builtIn.push_back(s.melody(k));
  Strings strings(builtIn);

  for (int n = 0; n < kStrings; ++n) {
    const std::string text = strings.next();
    const int k = n % kMelodyCount;
    SCOPED_TRACE("string \"" + text + "\"");
    s.setMelody(k, text);
    platform::headless::synth().clear();  // the last string left nothing sounding
    const int periodBefore = s.tempo();
    const size_t atPress = s.mark();
    const double pressMs = s.now();
    s.pressTrigger(k);

    const Reading want = readMelody(text);
    ASSERT_EQ(s.items(), want.items);
    ASSERT_EQ(s.tempo(), want.tempo.value_or(periodBefore));

    const auto table = s.table();
    std::vector<Item> playable;
    for (const Item& i : want.items) {
      if (i.note > 0) playable.push_back(i);
    }
    bool fits = true;
    for (size_t b = 0; b < table.size(); ++b) {
      fits = fits && beatEvents(playable, int(b), 0).size() <= size_t(kTableSlots);
    }
    ASSERT_TRUE(balance(table).empty()) << "every start in the table has its release";
    if (table.size() > kPlayedRowsMax) {
      // Long melodies (start beats up to 9999) are only begun, then stopped.
      s.advance(10.0 * s.tempo());
      s.pressTrigger(k);
      ASSERT_FALSE(s.playing());
      continue;
    }
    ASSERT_TRUE(s.playToEnd(kForeverMs));
    ASSERT_TRUE(s.sounding().empty());
    if (fits) {
      ASSERT_EQ(s.heard(atPress), performance(playable, s.tempo(), pressMs));
    }
  }
}

}  // namespace
}  // namespace velmora::testing
