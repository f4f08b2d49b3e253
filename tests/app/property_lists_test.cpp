// The design-time property lists byte for byte: the format, each kind's
// entries in order, and each list ending exactly with its last value.
#include "main_window/property_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::testing {
namespace {

using namespace std::string_literals;
using layout::Kind;

enum class Type { Int32, Boolean, Color, Text };

// Declared types of the properties the lists name; every other one is a 32-bit integer.
Type typeOf(std::string_view name) {
  static const std::set<std::string_view> texts = {"Title",      "Name",      "Caption",
                                                   "Text",       "HelpTag",   "TextFont",
                                                   "DataSource", "DataField", "InitialParent"};
  static const std::set<std::string_view> colors = {"BackColor", "TextColor"};
  static const std::set<std::string_view> booleans = {
      "Composite",   "HasBackColor",   "Visible",    "FullScreen",     "MenuBarVisible",
      "CloseButton", "Resizeable",     "LiveResize", "MaximizeButton", "MinimizeButton",
      "LockLeft",    "LockTop",        "LockRight",  "LockBottom",     "TabStop",
      "Enabled",     "AutoDeactivate", "Default",    "Cancel",         "Bold",
      "Italic",      "Underline",      "Value",      "Multiline"};
  if (texts.contains(name)) return Type::Text;
  if (colors.contains(name)) return Type::Color;
  if (booleans.contains(name)) return Type::Boolean;
  return Type::Int32;
}

struct Entry {
  std::string name;
  std::string value;  // the value's bytes as they stand in the list
};

// Reads a list entry by entry; fails the test when a value runs past the end.
std::vector<Entry> parse(std::string_view list) {
  std::vector<Entry> entries;
  size_t pos = 0;
  while (pos < list.size()) {
    const size_t blank = list.find(' ', pos);
    if (blank == std::string_view::npos) {
      ADD_FAILURE() << "no blank after a name at byte " << pos;
      break;
    }
    const std::string name(list.substr(pos, blank - pos));
    pos = blank + 1;
    size_t size = 0;
    switch (typeOf(name)) {
      case Type::Int32:
        size = 4;
        break;
      case Type::Boolean:
        size = 1;
        break;
      case Type::Color:
        size = 3;
        break;
      case Type::Text: {
        if (list.size() - pos < 4) break;
        uint32_t count = 0;
        for (size_t i = 0; i < 4; ++i) count = (count << 8) | static_cast<uint8_t>(list[pos + i]);
        size = 4 + count;
        break;
      }
    }
    if (size == 0 || list.size() - pos < size) {
      ADD_FAILURE() << name << "'s value runs past the end of the list";
      break;
    }
    entries.push_back({name, std::string(list.substr(pos, size))});
    pos += size;
  }
  return entries;
}

std::vector<std::string> names(const std::vector<Entry>& entries) {
  std::vector<std::string> out;
  for (const Entry& e : entries) out.push_back(e.name);
  return out;
}

std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}
std::string text(std::string_view s) {
  return be32(static_cast<uint32_t>(s.size())) + std::string(s);
}

const std::vector<std::string> kRectStart = {
    "Name",     "Index",   "Left",      "Top",        "Width",         "Height",
    "LockLeft", "LockTop", "LockRight", "LockBottom", "TabPanelIndex", "TabIndex"};
const std::vector<std::string> kTextStyle = {"HelpTag", "AutoDeactivate", "TextFont", "TextSize",
                                             "Bold",    "Italic",         "Underline"};

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<std::string> expectedNames(Kind kind) {
  switch (kind) {
    case Kind::PushButton:
      return join({kRectStart,
                   {"TabStop", "Caption", "Default", "Cancel", "Enabled", "Visible"},
                   kTextStyle,
                   {"InitialParent"}});
    case Kind::CheckBox:
      return join({kRectStart,
                   {"TabStop", "Caption", "Enabled", "Visible"},
                   kTextStyle,
                   {"Value", "DataSource", "DataField", "InitialParent"}});
    case Kind::Label:
      return join({kRectStart,
                   {"Text", "TextAlign", "TextColor", "Multiline", "Enabled", "Visible"},
                   kTextStyle,
                   {"DataSource", "DataField", "InitialParent"}});
    case Kind::NotePlayer:
      return {"Name", "Index", "TabPanelIndex", "Instrument"};
    case Kind::Timer:
      return {"Mode", "Period"};
  }
  return {};
}

std::string_view listOf(std::string_view name, int32_t index = platform::kNoIndex) {
  for (size_t i = 0; i < layout::kControls.size(); ++i) {
    if (layout::kControls[i].name == name && layout::kControls[i].index == index) {
      return layout::kControlLists[i];
    }
  }
  ADD_FAILURE() << "no list for " << name;
  return {};
}

TEST(PropertyLists, PitchTimerListIsModeZeroAndPeriodOneThousandInTwentyBytes) {
  EXPECT_EQ(listOf("tmrPitch"), "Mode \0\0\0\0Period \0\0\x03\xE8"s);
  EXPECT_EQ(listOf("tmrDelay"), "Mode \0\0\0\0Period \0\0\x07\xD0"s);
  EXPECT_EQ(listOf("tmrMelodyPlay"), "Mode \0\0\0\0Period \0\0\0\x96"s);
  EXPECT_EQ(listOf("lblFeedback").size(), 339u) << "the longest list";
}

TEST(PropertyLists, WindowListSetsSizeTitleAndButtonsAndEndsWithMacProcId) {
  const std::string_view list = layout::kWindowList;
  const std::vector<Entry> entries = parse(list);
  EXPECT_EQ(names(entries),
            (std::vector<std::string>{
                "Placement",   "Width",      "Height",     "MinWidth",       "MinHeight",
                "MaxWidth",    "MaxHeight",  "Frame",      "Composite",      "HasBackColor",
                "BackColor",   "Title",      "Visible",    "FullScreen",     "MenuBarVisible",
                "CloseButton", "Resizeable", "LiveResize", "MaximizeButton", "MinimizeButton",
                "MacProcID"}));
  EXPECT_EQ(list.size(), 274u);
  EXPECT_TRUE(list.starts_with("Placement \0\0\0\0Width \0\0\x01\xE2Height \0\0\x01\x4B"s));
  EXPECT_TRUE(list.ends_with("MaximizeButton \0MinimizeButton \1MacProcID \0\0\0\0"s));
  EXPECT_NE(list.find("BackColor \xFF\xFF\xFFTitle \0\0\0\x07Velmora"s), std::string_view::npos);
  EXPECT_NE(list.find("Resizeable \0"s), std::string_view::npos);
}

TEST(PropertyLists, EachListHoldsItsKindsEntriesInOrderAndEndsWithTheLastValue) {
  for (size_t i = 0; i < layout::kControls.size(); ++i) {
    const layout::ControlRow& row = layout::kControls[i];
    SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
    const std::vector<Entry> entries = parse(layout::kControlLists[i]);
    EXPECT_EQ(names(entries), expectedNames(row.kind));
    if (row.kind == Kind::Timer) continue;
    EXPECT_EQ(entries[0].value, text(row.name));
    EXPECT_EQ(entries[1].value, be32(static_cast<uint32_t>(row.index)));
  }
}

TEST(PropertyLists, ControlsOutsideArraysCarryTheLowestIndex) {
  for (const char* name : {"cmdGo", "cmdReveal", "lblFeedback", "lblAnswer", "notPitches",
                           "notMelodies", "chkInstrument"}) {
    EXPECT_NE(listOf(name).find("Index \x80\0\0\0"s), std::string_view::npos) << name;
  }
}

}  // namespace
}  // namespace velmora::testing
