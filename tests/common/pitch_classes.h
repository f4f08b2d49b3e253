// The twelve pitch classes as a person names and answers them: the name on each
// response button, and the key that answers it.
#pragma once

namespace velmora::testing {

inline constexpr const char* kPitchNames[12] = {"C",  "C#", "D",  "Eb", "E",  "F",
                                                "F#", "G",  "Ab", "A",  "Bb", "B"};

// The letter that answers each pitch class, with Shift for the sharps and flats
// (Shift raises C and F and lowers E, A and B).
struct AnswerKey {
  char letter;  // lower case
  bool shift;
};
inline constexpr AnswerKey kAnswerKeys[12] = {
    {'c', false}, {'c', true},  {'d', false}, {'e', true},  {'e', false}, {'f', false},
    {'f', true},  {'g', false}, {'a', true},  {'a', false}, {'b', true},  {'b', false}};

}  // namespace velmora::testing
