// Menus: a tree of MenuItem objects; a MenuBar is the root.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/object.h"

namespace platform {

class MenuItem : public Object {
 public:
  static const ClassInfo& __Lookup();
  ~MenuItem() override;
  // The framework's default construction of a menu item.
  virtual void Constructor();

  const String& Name() const noexcept { return name_; }
  void Name(String v) { name_ = std::move(v); }
  // "&" marks the mnemonic letter; "-" alone makes a separator.
  void Text(platform::String v);
  const platform::String& Text() const noexcept { return text_; }
  // Written "Cmd+" and a key; shown and matched as Ctrl+ where there is no Cmd key.
  const platform::String& KeyboardShortcut() const noexcept { return shortcut_; }
  void KeyboardShortcut(platform::String v);
  // Whether KeyboardShortcut was ever written (separators never are).
  bool shortcutWritten() const noexcept { return shortcutWritten_; }
  bool AutoEnable() const noexcept { return autoEnable_; }
  void AutoEnable(bool v) noexcept { autoEnable_ = v; }
  bool Enabled() const noexcept { return enabled_; }
  bool isSeparator() const noexcept { return text_ == "-"; }

  void Append(const Ref<MenuItem>& item);
  int32_t Count() const noexcept { return static_cast<int32_t>(children_.size()); }
  // Child at 0-based index; nil when out of range.
  Ref<MenuItem> Item(int32_t index) const;
  // Child whose Name equals `name`; nil when none.
  Ref<MenuItem> Child(std::string_view name) const;
  MenuItem* parent() const noexcept { return parent_; }

  // A person chose the item. Runs the item's action; false when it has none.
  virtual bool Action() { return false; }
  void choose();

 private:
  platform::String name_, text_, shortcut_;
  bool shortcutWritten_ = false, autoEnable_ = false, enabled_ = true;
  std::vector<Ref<MenuItem>> children_;
  MenuItem* parent_ = nullptr;
};

// An item whose action quits the application.
class QuitMenuItem : public MenuItem {
 public:
  static const ClassInfo& __Lookup();
  bool Action() override;
};

class MenuBar : public MenuItem {
 public:
  static const ClassInfo& __Lookup();
};

// The framework's quit action: ends the event loop; true when the quit was accepted.
bool QuitMenuAction();

}  // namespace platform
