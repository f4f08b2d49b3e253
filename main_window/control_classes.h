// The window's own control classes: array elements that know their index, and
// timers that know their window.
#pragma once

#include <cstdint>

#include "platform/controls.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace velmora {

using platform::Ref;

// A push button or check box element of a control array. The constructor gives
// the element its index before the base construction runs.
template <class Base>
class ArrayElement : public Base {
 public:
  void Constructor(int32_t index) {
    this->Index(index);
    Base::Constructor();
  }
};

class frmMain_cmdResponse final : public ArrayElement<platform::PushButton> {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.cmdResponse"
  static void __ctblinit();
};
class frmMain_chkPitch final : public ArrayElement<platform::CheckBox> {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.chkPitch"
  static void __ctblinit();
};
class frmMain_cmdTrigger final : public ArrayElement<platform::PushButton> {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.cmdTrigger"
  static void __ctblinit();
};
class frmMain_chkOctave final : public ArrayElement<platform::CheckBox> {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.chkOctave"
  static void __ctblinit();
};

// A timer that belongs to a window: the framework hands it its window (a counted
// reference) when the window registers it, and takes it back when the window closes.
class WindowTimer : public platform::Timer, public platform::_PaneChild {
 public:
  ~WindowTimer() override;
  void Constructor() {}
  void _SetWindow(platform::Window* window) override;
  Ref<platform::Window> Window() override;
  int32_t _Index() override { return Index; }
  void _SetIndex(int32_t index) override { Index = index; }

  int32_t Index = 0;

 private:
  Ref<platform::Window> ownerWindow;
};

class frmMain_tmrPitch final : public WindowTimer {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.tmrPitch"
  static void __ctblinit();
};
class frmMain_tmrDelay final : public WindowTimer {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.tmrDelay"
  static void __ctblinit();
};
class frmMain_tmrMelodyPlay final : public WindowTimer {
 public:
  static const platform::ClassInfo& __Lookup();  // "frmMain.tmrMelodyPlay"
  static void __ctblinit();
};

}  // namespace velmora
