// Answers by key: the seven letters in either case, Shift for the sharps and
// flats, and every other key a wrong answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/drill_session.h"

namespace velmora::testing {
namespace {

constexpr int kNone = -1;

struct KeyRow {
  std::string key;
  bool shift;
  int answer;  // the pitch class the key names, or kNone
};

std::vector<KeyRow> keyTable() {
  std::vector<KeyRow> rows;
  const struct {
    char letter;
    int plain, shifted;
  } kLetters[] = {{'c', 0, 1}, {'d', 2, 2}, {'e', 4, 3},  {'f', 5, 6},
                  {'g', 7, 7}, {'a', 9, 8}, {'b', 11, 10}};
  for (const auto& l : kLetters) {
    const std::string lower(1, l.letter);
    const std::string upper(1, static_cast<char>(l.letter - 'a' + 'A'));
    rows.push_back({lower, false, l.plain});
    rows.push_back({upper, false, l.plain});  // Caps Lock
    rows.push_back({lower, true, l.shifted});
    rows.push_back({upper, true, l.shifted});
  }
  const std::vector<std::string> noName = {
      "0", "1", "5", "7", "9", "#", " ", "\t", "\r", "\n", "\x1b", "\x7f", "\x01", "", "h", "H",
      "x", "z", "!", "@", "+",
      // several characters, none of them a whole pitch name once upper-cased
      "cc", "CD", "Eb", "eb", "ab", "Bb", "c ", " c", "c#x",
      // beyond ASCII
      "\xc3\xa9", "\xc3\x89", "\xc3\x9f", "\xe2\x99\xaf", "\xef\xbc\xa3"};
  for (const std::string& k : noName) {
    rows.push_back({k, false, kNone});
    rows.push_back({k, true, kNone});
  }
  // A text spelling a sharp's name is that name whole, with or without Shift.
  rows.push_back({"c#", false, 1});
  rows.push_back({"F#", true, 6});
  return rows;
}

std::string printable(const std::string& key) {
  std::string out;
  for (unsigned char c : key) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += "\\x" + std::to_string(c);
    }
  }
  return "\"" + out + "\"";
}

class Keyboard : public ::testing::Test {
 protected:
  // The pitch class of the turn becomes `k`: settle, answer right, leave only
  // k's button for the draw of the next turn, then enable every button again.
  void bringPitchClass(int k) {
    s.advance(kNextTurnDelayMs + kNoteLengthMs);
    if (s.window().iPitch == k) return;
    s.clickResponse(s.window().iPitch);
    s.keepOnlyPitchClasses({k});
    s.advance(kNextTurnDelayMs);
    ASSERT_EQ(s.heardPitchClass(), k);
    s.keepOnlyPitchClasses({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  }
  void TearDown() override {
    s.advance(kNextTurnDelayMs + kNoteLengthMs);
    EXPECT_TRUE(s.sounding().empty()) << "a drill note was left sounding";
  }
  DrillSession s;
};

// Every key in every turn: "Yep" exactly when it names the turn's pitch class.
// Keys are compared with the names "Give Answer" shows, so each turn shows its name
// first. Pitch class 0 is the turn before the first "Start".
TEST_F(Keyboard, EachKeyAnswersThePitchClassItNames) {
  const std::vector<KeyRow> rows = keyTable();
  for (int k = 0; k < 12; ++k) {
    bringPitchClass(k);
    s.pressGiveAnswer();
    EXPECT_EQ(s.answer(), kPitchNames[k]);
    for (const KeyRow& row : rows) {
      SCOPED_TRACE("key " + printable(row.key) + (row.shift ? " with Shift" : "") +
                   ", pitch class " + std::to_string(k));
      EXPECT_FALSE(s.key(row.key, row.shift)) << "a key is never marked as handled";
      EXPECT_EQ(s.feedback(), row.answer == k ? "Yep" : "Nope");
    }
  }
}

}  // namespace
}  // namespace velmora::testing
