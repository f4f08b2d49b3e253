// The application's one menu bar: File with Quit, Edit with the usual editing
// commands. One shared instance, used by the application object and the window.
#pragma once

#include "platform/menu.h"
#include "platform/object.h"

namespace velmora {

using platform::Ref;

class MenuBar1 final : public platform::MenuBar {
 public:
  static constexpr const char* kClassName = "MenuBar1.MenuBar1";
  // The class description, registered on first use.
  static const platform::ClassInfo& __Lookup();

  // Builds the menus (Untitled0, then Untitled1). Replaces MenuItem's own
  // construction, which it does not call.
  void Constructor() override;
  // The File menu: "&File" on the bar, then "&Quit" in it.
  void Untitled0();
  // The Edit menu: "&Edit" on the bar, then its eight items.
  void Untitled1();

  // The module-level shared instance: nil until the accessor's first call and
  // again after the module release at shut-down.
  static Ref<MenuBar1> _implicitInstance;
};

// Gives back the module's reference to the shared instance; the next accessor
// call would build a new one. Part of the module release at shut-down.
void releaseMenuBar1Instance();

namespace accessor {
// The shared instance, built on the first call; the caller owns the reference.
Ref<velmora::MenuBar1> MenuBar1();
}  // namespace accessor

}  // namespace velmora
