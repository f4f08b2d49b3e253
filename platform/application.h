// The application object's base class.
#pragma once

#include "platform/object.h"

namespace platform {

class MenuBar;

class Application : public Object {
 public:
  static const ClassInfo& __Lookup();
  const Ref<platform::MenuBar>& MenuBar() const noexcept { return menuBar_; }
  void MenuBar(const Ref<platform::MenuBar>& bar) { menuBar_ = bar; }

 private:
  Ref<platform::MenuBar> menuBar_;
};

}  // namespace platform
