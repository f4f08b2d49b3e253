#include "platform/text.h"

#include <gtest/gtest.h>

namespace platform::testing {
namespace {

struct ValCase {
  const char* text;
  double value;
};

TEST(TextFunctions, ValReadsTheLeadingNumberOnly) {
  const ValCase cases[] = {
      {"0,4802", 0}, {"150,", 150}, {"08", 8},        {"  42abc", 42}, {"-3", -3},
      {"+7", 7},     {"2.5", 2.5},  {".5", 0.5},      {"", 0},         {",", 0},
      {"abc", 0},    {"-", 0},      {"60021", 60021}, {"1e3", 1},      {"9,", 9},
  };
  for (const ValCase& c : cases) EXPECT_EQ(Val(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextFunctions, InStrCountsFromOneAndAcceptsZeroAsTheStart) {
  const std::string_view melody = "150,60020,62021,";
  EXPECT_EQ(InStr(melody, 0, ","), 4);
  EXPECT_EQ(InStr(melody, 1, ","), 4);
  EXPECT_EQ(InStr(melody, 5, ","), 10);
  EXPECT_EQ(InStr(melody, 16, ","), 16);
  EXPECT_EQ(InStr(melody, 17, ","), 0);
  EXPECT_EQ(InStr(melody, 1, ";"), 0);
  EXPECT_EQ(InStr(melody, 1, ""), 0);
}

TEST(TextFunctions, MidLeftAndLenStayInsideTheText) {
  EXPECT_EQ(Mid("60020,", 1, 2), "60");
  EXPECT_EQ(Mid("60020,", 5, 1), "0");
  EXPECT_EQ(Mid("60020,", 5, 10), "0,");
  EXPECT_EQ(Mid("60020,", 7, 2), "");
  EXPECT_EQ(Mid("60020,", 100), "");
  EXPECT_EQ(Mid("60020,", 3), "020,");
  EXPECT_EQ(Mid("60020,", 0, 2), "60");
  EXPECT_EQ(Mid("abc", 2, -1), "");
  EXPECT_EQ(Left("abc", 5), "abc");
  EXPECT_EQ(Left("abc", 2), "ab");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Len(""), 0);
  EXPECT_EQ(Len("Bb"), 2);
}

TEST(TextFunctions, UppercaseChangesAsciiLettersOnly) {
  EXPECT_EQ(Uppercase("c#, eb"), "C#, EB");
  EXPECT_EQ(Uppercase("\xC3\xA9"), "\xC3\xA9");
}

}  // namespace
}  // namespace platform::testing
