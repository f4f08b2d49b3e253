// The shared menu bar as a person finds it: File and Edit, their items in
// order, mnemonics and shortcuts, and what choosing an item does.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/backends/headless/headless.h"
#include "platform/menu.h"
#include "platform/run.h"
#include "shell/menu_bar1.h"
#include "tests/app/app_startup.h"

namespace velmora::testing {
namespace {

using platform::MenuItem;

struct ExpectedItem {
  const char* name;
  const char* text;
  std::optional<const char*> shortcut;  // nullopt: never written
  bool quits;
};

const ExpectedItem kFileMenu[] = {
    {"FileQuit", "&Quit", "Cmd+Q", true},
};

const ExpectedItem kEditMenu[] = {
    {"EditUndo", "&Undo", "Cmd+Z", false},       {"UntitledMenu1", "-", std::nullopt, false},
    {"EditCut", "Cu&t", "Cmd+X", false},         {"EditCopy", "&Copy", "Cmd+C", false},
    {"EditPaste", "&Paste", "Cmd+V", false},     {"EditClear", "&Delete", "", false},
    {"UntitledMenu0", "-", std::nullopt, false}, {"EditSelectAll", "Select &All", "Cmd+A", false},
};

void expectItem(const Ref<MenuItem>& item, const ExpectedItem& e) {
  ASSERT_TRUE(item) << e.name;
  SCOPED_TRACE(e.name);
  EXPECT_EQ(item->Name(), e.name);
  EXPECT_EQ(item->Text(), e.text);
  EXPECT_TRUE(item->AutoEnable());
  EXPECT_EQ(item->shortcutWritten(), e.shortcut.has_value());
  if (e.shortcut) {
    EXPECT_EQ(item->KeyboardShortcut(), *e.shortcut);
  }
  EXPECT_EQ(item->isA(platform::QuitMenuItem::__Lookup()), e.quits);
}

template <size_t N>
void expectMenu(const Ref<MenuItem>& menu, const char* name, const char* text,
                const ExpectedItem (&items)[N]) {
  ASSERT_TRUE(menu);
  expectItem(menu, {name, text, "", false});
  ASSERT_EQ(menu->Count(), static_cast<int32_t>(N)) << name;
  for (size_t i = 0; i < N; ++i) expectItem(menu->Item(static_cast<int32_t>(i)), items[i]);
}

TEST(MenuBar, HoldsFileThenEditWithTheirItemsInOrder) {
  AppSession app;
  Ref<MenuBar1> bar = accessor::MenuBar1();
  ASSERT_EQ(bar->Count(), 2);
  expectMenu(bar->Item(0), "FileMenu", "&File", kFileMenu);
  expectMenu(bar->Item(1), "EditMenu", "&Edit", kEditMenu);
}

TEST(MenuBar, SecondAccessorCallReturnsTheSameBarAndBuildsNothing) {
  AppSession app;
  Ref<MenuBar1> first = accessor::MenuBar1();
  const int32_t references = first->refCount();
  Ref<MenuBar1> second = accessor::MenuBar1();
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(second->refCount(), references + 1);
  EXPECT_EQ(second->Count(), 2);
  EXPECT_EQ(second->Child("EditMenu")->Count(), 8);
}

TEST(MenuBar, WindowFindsItsMenuItemsByName) {
  AppSession app;
  EXPECT_EQ(app.window()->menuItem("FileQuit")->Text(), "&Quit");
  EXPECT_EQ(app.window()->menuItem("EditSelectAll")->Text(), "Select &All");
  EXPECT_EQ(app.window()->menuItem("EditRedo"), nullptr);
}

TEST(MenuBar, ChoosingAnEditItemRunsNothingOfTheProgram) {
  AppSession app;
  for (const ExpectedItem& e : kEditMenu) {
    platform::headless::toolkit().chooseMenu(*app.window(), e.name);
    EXPECT_FALSE(app.window()->menuItem(e.name)->hasHandler("Action")) << e.name;
  }
  EXPECT_FALSE(platform::RuntimeQuitRequested());
  EXPECT_EQ(app.window()->lblFeedback()->Text(), "0");
  EXPECT_EQ(app.window()->cmdGo()->Caption(), "Start");
}

}  // namespace
}  // namespace velmora::testing
