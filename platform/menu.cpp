// Menus: the item tree, choosing an item, the quit item.
#include "platform/menu.h"

#include "platform/class_table.h"
#include "platform/run.h"

namespace platform {

const ClassInfo& MenuItem::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c =
        RuntimeNewClass(nullptr, "MenuItem", [] { return static_cast<Object*>(new MenuItem); });
    c.properties = {
        VELMORA_PROPERTY(MenuItem, Text, Name),
        VELMORA_PROPERTY(MenuItem, Text, Text),
        VELMORA_PROPERTY(MenuItem, Text, KeyboardShortcut),
        VELMORA_PROPERTY(MenuItem, Boolean, AutoEnable),
    };
    return c;
  });
}

// Children that outlive their menu forget it.
MenuItem::~MenuItem() {
  for (const Ref<MenuItem>& child : children_) {
    if (child->parent_ == this) child->parent_ = nullptr;
  }
}

void MenuItem::Constructor() {}

// Menus are built before the window shows them and never change afterwards, so
// the backend reads them whole in showWindow; these writes notify nothing.
void MenuItem::Text(platform::String v) { text_ = std::move(v); }

void MenuItem::KeyboardShortcut(platform::String v) {
  shortcut_ = std::move(v);
  shortcutWritten_ = true;
}

void MenuItem::Append(const Ref<MenuItem>& item) {
  if (!item) RaiseNilObjectException();
  if (item.get() == this) return;  // an item cannot hold itself
  children_.push_back(item);
  item->parent_ = this;
}

Ref<MenuItem> MenuItem::Item(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<size_t>(index)];
}

Ref<MenuItem> MenuItem::Child(std::string_view name) const {
  for (const Ref<MenuItem>& child : children_) {
    if (child->Name() == name) return child;
  }
  return nullptr;
}

// An item without an action of its own runs the "Action" handler installed on it.
void MenuItem::choose() {
  if (!enabled_ || isSeparator()) return;
  Ref<Object> keep(this);
  if (!Action()) raiseEvent("Action");
}

const ClassInfo& QuitMenuItem::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    return RuntimeNewClass(&MenuItem::__Lookup(), "QuitMenuItem",
                           [] { return static_cast<Object*>(new QuitMenuItem); });
  });
}

bool QuitMenuItem::Action() { return QuitMenuAction(); }

const ClassInfo& MenuBar::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    return RuntimeNewClass(&MenuItem::__Lookup(), "MenuBar",
                           [] { return static_cast<Object*>(new MenuBar); });
  });
}

bool QuitMenuAction() { return RuntimeQuit(); }

}  // namespace platform
