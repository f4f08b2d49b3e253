#include "platform/property_list.h"

#include <gtest/gtest.h>

#include <memory>

#include "fixture.h"
#include "platform/controls.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace platform::testing {
namespace {

using namespace std::string_view_literals;

constexpr auto kTimerList = MakePropertyList<[](auto& w) {
  w.i32("Mode", 0);
  w.i32("Period", 1000);
}>();

TEST(PropertyListBytes, TimerListIsTwentyBytesOfNamesBlanksAndBigEndianIntegers) {
  static_assert(kTimerList.bytes.size() == 20);
  EXPECT_EQ(kTimerList.view(), "Mode \x00\x00\x00\x00Period \x00\x00\x03\xE8"sv);
}

TEST(PropertyListBytes, EachValueTakesItsDeclaredForm) {
  constexpr auto list = MakePropertyList<[](auto& w) {
    w.text("HelpTag", "");
    w.text("Caption", "C#");
    w.boolean("Enabled", true);
    w.color("BackColor", 0xFF, 0xFF, 0xFF);
    w.i32("Index", -2147483648);
    w.i32("Width", 482);
  }>();
  EXPECT_EQ(list.view(),
            "HelpTag \x00\x00\x00\x00"
            "Caption \x00\x00\x00\x02"
            "C#"
            "Enabled \x01"
            "BackColor \xFF\xFF\xFF"
            "Index \x80\x00\x00\x00"
            "Width \x00\x00\x01\xE2"sv);
}

class PropertyListApplier : public RuntimeTest {};

TEST_F(PropertyListApplier, NamesMatchWithoutRegardToCase) {
  Ref<Window> window = RuntimeNewObjectAs<Window>(Window::__Lookup());
  Ref<StaticText> label = RuntimeNewObjectAs<StaticText>(StaticText::__Lookup());
  constexpr auto windowList = MakePropertyList<[](auto& w) { w.i32("MacProcID", 7); }>();
  constexpr auto labelList = MakePropertyList<[](auto& w) {
    w.boolean("Multiline", true);
    w.text("TEXT", "Yep");
  }>();
  RuntimeMassPropertySetter(*window, windowList);
  RuntimeMassPropertySetter(*label, labelList);
  EXPECT_EQ(window->MacProcId(), 7);
  EXPECT_TRUE(label->MultiLine());
  EXPECT_EQ(label->Text(), "Yep");
}

// The window's full design-time list: every entry is read by its declared type,
// so one wrong type would shift every later value.
TEST_F(PropertyListApplier, WindowListSetsEveryDeclaredProperty) {
  constexpr auto list = MakePropertyList<[](auto& w) {
    w.i32("Placement", 0);
    w.i32("Width", 482);
    w.i32("Height", 331);
    w.i32("MinWidth", 64);
    w.i32("MinHeight", 64);
    w.i32("MaxWidth", 32000);
    w.i32("MaxHeight", 32000);
    w.i32("Frame", 0);
    w.boolean("Composite", false);
    w.boolean("HasBackColor", false);
    w.color("BackColor", 0xFF, 0xFF, 0xFF);
    w.text("Title", "Velmora");
    w.boolean("Visible", true);
    w.boolean("FullScreen", false);
    w.boolean("MenuBarVisible", true);
    w.boolean("CloseButton", true);
    w.boolean("Resizeable", false);
    w.boolean("LiveResize", false);
    w.boolean("MaximizeButton", false);
    w.boolean("MinimizeButton", true);
    w.i32("MacProcID", 0);
  }>();
  Ref<Window> window = RuntimeNewObjectAs<Window>(Window::__Lookup());
  RuntimeMassPropertySetter(*window, list);
  EXPECT_EQ(window->Width(), 482);
  EXPECT_EQ(window->Height(), 331);
  EXPECT_EQ(window->minWidth, 64);
  EXPECT_EQ(window->maxHeight, 32000);
  EXPECT_EQ(window->BackColor(), (Color{255, 255, 255}));
  EXPECT_EQ(window->Title(), "Velmora");
  EXPECT_FALSE(window->Resizeable());
  EXPECT_FALSE(window->MaximizeButton());
  EXPECT_TRUE(window->MinimizeButton());
  EXPECT_TRUE(window->CloseButton());
}

TEST_F(PropertyListApplier, PushButtonListSetsEveryDeclaredProperty) {
  constexpr auto list = MakePropertyList<[](auto& w) {
    w.text("Name", "cmdGo");
    w.i32("Index", -2147483648);
    w.i32("Left", 211);
    w.i32("Top", 15);
    w.i32("Width", 80);
    w.i32("Height", 36);
    w.boolean("LockLeft", false);
    w.boolean("LockTop", true);
    w.boolean("LockRight", false);
    w.boolean("LockBottom", false);
    w.i32("TabPanelIndex", 0);
    w.i32("TabIndex", 4);
    w.boolean("TabStop", true);
    w.text("Caption", "Start");
    w.boolean("Default", false);
    w.boolean("Cancel", false);
    w.boolean("Enabled", false);
    w.boolean("Visible", true);
    w.text("HelpTag", "");
    w.boolean("AutoDeactivate", true);
    w.text("TextFont", "System");
    w.i32("TextSize", 0);
    w.boolean("Bold", true);
    w.boolean("Italic", false);
    w.boolean("Underline", false);
    w.text("InitialParent", "");
  }>();
  Ref<PushButton> button = RuntimeNewObjectAs<PushButton>(PushButton::__Lookup());
  RuntimeMassPropertySetter(*button, list);
  EXPECT_EQ(button->Name(), "cmdGo");
  EXPECT_EQ(button->Index(), kNoIndex);
  EXPECT_EQ(button->Left(), 211);
  EXPECT_EQ(button->Height(), 36);
  EXPECT_TRUE(button->lockTop);
  EXPECT_EQ(button->TabIndex(), 4);
  EXPECT_EQ(button->Caption(), "Start");
  EXPECT_FALSE(button->Enabled());
  EXPECT_EQ(button->TextFont(), "System");
  EXPECT_TRUE(button->Bold());
}

TEST_F(PropertyListApplier, UnknownNameRaisesAfterApplyingTheEntriesBeforeIt) {
  constexpr auto list = MakePropertyList<[](auto& w) {
    w.i32("Period", 250);
    w.i32("Colour", 1);
    w.i32("Mode", 2);
  }>();
  Ref<Timer> timer = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
  EXPECT_THROW(RuntimeMassPropertySetter(*timer, list), UnsupportedFormatException);
  EXPECT_EQ(timer->Period(), 250);
  EXPECT_EQ(timer->Mode(), 0);
}

// The list sits at the very end of its own heap block, so reading one byte past
// it would be caught by the address sanitizer.
TEST_F(PropertyListApplier, ValueCutShortByTheListEndRaisesWithoutReadingPastIt) {
  const std::string_view full = kTimerList.view();
  for (size_t cut : {size_t{3}, size_t{5}, size_t{7}, size_t{16}, size_t{19}}) {
    auto block = std::make_unique<char[]>(cut);
    std::copy_n(full.data(), cut, block.get());
    Ref<Timer> timer = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
    EXPECT_THROW(RuntimeMassPropertySetter(*timer, std::string_view(block.get(), cut)),
                 UnsupportedFormatException)
        << "cut at " << cut;
  }
}

TEST_F(PropertyListApplier, TextLongerThanTheListRaises) {
  const std::string_view list = "Caption \x00\x00\x00\x09Start"sv;
  Ref<PushButton> button = RuntimeNewObjectAs<PushButton>(PushButton::__Lookup());
  EXPECT_THROW(RuntimeMassPropertySetter(*button, list), UnsupportedFormatException);
  EXPECT_EQ(button->Caption(), "");
}

}  // namespace
}  // namespace platform::testing
