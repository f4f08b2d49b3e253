#include "shell/menu_bar1.h"

#include <optional>
#include <span>
#include <string_view>

#include "platform/run.h"

namespace velmora {

namespace {

using platform::MenuItem;

platform::Object* createMenuBar1() { return new MenuBar1; }

struct ItemRow {
  std::string_view name;
  const platform::ClassInfo& (*cls)();
  std::string_view text;
  std::optional<std::string_view> shortcut;  // nullopt: never written (separators)
  std::string_view menu;                     // empty: a title, appended to the bar
};

constexpr auto kMenuItem = &MenuItem::__Lookup;
constexpr auto kQuitItem = &platform::QuitMenuItem::__Lookup;
constexpr std::nullopt_t kNoShortcut = std::nullopt;

constexpr ItemRow kFileRows[] = {
    {"FileMenu", kMenuItem, "&File", "", ""},
    {"FileQuit", kQuitItem, "&Quit", "Cmd+Q", "FileMenu"},
};

constexpr ItemRow kEditRows[] = {
    {"EditMenu", kMenuItem, "&Edit", "", ""},
    {"EditUndo", kMenuItem, "&Undo", "Cmd+Z", "EditMenu"},
    {"UntitledMenu1", kMenuItem, "-", kNoShortcut, "EditMenu"},
    {"EditCut", kMenuItem, "Cu&t", "Cmd+X", "EditMenu"},
    {"EditCopy", kMenuItem, "&Copy", "Cmd+C", "EditMenu"},
    {"EditPaste", kMenuItem, "&Paste", "Cmd+V", "EditMenu"},
    {"EditClear", kMenuItem, "&Delete", "", "EditMenu"},
    {"UntitledMenu0", kMenuItem, "-", kNoShortcut, "EditMenu"},
    {"EditSelectAll", kMenuItem, "Select &All", "Cmd+A", "EditMenu"},
};

// Creates each row's item, writes Name, AutoEnable, Text and KeyboardShortcut in
// this order, and appends it: a title to the bar at once, any other item to its
// menu, found anew on the bar by name for every item.
void buildItems(MenuBar1& bar, std::span<const ItemRow> rows) {
  Ref<MenuItem> item;
  for (const ItemRow& row : rows) {
    item = platform::RuntimeNewObjectAs<MenuItem>(row.cls());
    item->Constructor();
    item->Name(platform::String(row.name));
    item->AutoEnable(true);
    item->Text(platform::String(row.text));
    if (row.shortcut) item->KeyboardShortcut(platform::String(*row.shortcut));
    if (row.menu.empty()) {
      bar.Append(item);
    } else {
      Ref<MenuItem> menu = bar.Child(row.menu);
      if (!menu) platform::RaiseNilObjectException();
      menu->Append(item);
    }
  }
}

platform::MemberEntry publicMethod(std::string name) {
  return {std::move(name), {{"__Scope", "Public"}}, "(  )"};
}

}  // namespace

Ref<MenuBar1> MenuBar1::_implicitInstance;

const platform::ClassInfo& MenuBar1::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const platform::ClassInfo& {
    platform::ClassInfo& c =
        platform::RuntimeNewClass(&platform::MenuBar::__Lookup(), kClassName, &createMenuBar1);
    if (c.members.empty()) {
      c.members = {publicMethod("Constructor"), publicMethod("Untitled0"),
                   publicMethod("Untitled1")};
    }
    return c;
  });
}

void MenuBar1::Constructor() {
  Untitled0();
  Untitled1();
}

void MenuBar1::Untitled0() { buildItems(*this, kFileRows); }

void MenuBar1::Untitled1() { buildItems(*this, kEditRows); }

void releaseMenuBar1Instance() {
  platform::RuntimeTrace("release MenuBar1._implicitInstance");
  MenuBar1::_implicitInstance.reset();
}

namespace accessor {

Ref<velmora::MenuBar1> MenuBar1() {
  if (!MenuBar1::_implicitInstance) {
    auto bar = platform::RuntimeNewObjectAs<velmora::MenuBar1>(velmora::MenuBar1::__Lookup());
    bar->Constructor();
    // Stored only once the menus are built: a failed build leaves no instance.
    MenuBar1::_implicitInstance = bar;
  }
  return MenuBar1::_implicitInstance;
}

}  // namespace accessor

}  // namespace velmora
