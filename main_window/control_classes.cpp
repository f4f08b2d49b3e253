// Class descriptions of the window's own control classes, and the timers' link
// to their window.
#include "main_window/control_classes.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "main_window/class_entries.h"

namespace velmora {

namespace {

using platform::Attributes;
using platform::ClassInfo;
using platform::MemberEntry;
using platform::Object;

const std::vector<std::string> kPushButtonInterfaces = {"actionSource", "_MouseEvents",
                                                        "_FocusEvents"};
const std::vector<std::string> kCheckBoxInterfaces = {
    "bindingPartInterface", "dataNotifier", "BooleanProvider", "_FocusEvents", "_MouseEvents"};
const std::vector<std::string> kTimerInterfaces = {"actionSource", "_PaneChild"};

// The framework's factory for class T; the new object is owned by the reference count.
template <class T>
Object* create() {
  return new T;
}

// A control-array class: its base, its interfaces and its Constructor (index).
template <class T>
const ClassInfo& arrayClass(const char* name, const ClassInfo& base,
                            const std::vector<std::string>& interfaces) {
  ClassInfo& c = platform::RuntimeNewClass(&base, name, &create<T>);
  if (c.members.empty()) {
    c.attributes = scope("Private");
    c.interfaces = interfaces;
    c.members = {member("Constructor", "(index As Int32)")};
  }
  return c;
}

// Gives the timer's window back when the timer goes.
void timerExit(Object& self) { dynamic_cast<WindowTimer&>(self)._SetWindow(nullptr); }

template <class T>
const ClassInfo& timerClass(const char* name) {
  ClassInfo& c = platform::RuntimeNewClass(&platform::Timer::__Lookup(), name, &create<T>);
  if (c.members.empty()) {
    c.attributes = scope("Private");
    c.interfaces = kTimerInterfaces;
    c.finaliser = &timerExit;
    c.members = {member("_SetWindow", "(window As Window)", true),
                 member("Window", "(  ) As Window"), member("_Index", "(  ) As Int32", true),
                 member("_SetIndex", "(index As Int32)", true), member("Constructor", "(  )")};
    c.properties = {
        {"Index", platform::PropertyType::Int32, "i4", true, scope("Public"),
         [](Object& o, const platform::PropertyValue& v) {
           const auto* index = std::get_if<int32_t>(&v);
           if (!index)
             throw platform::UnsupportedFormatException("a timer's Index takes an integer");
           dynamic_cast<WindowTimer&>(o)._SetIndex(*index);
         },
         [](const Object& o) -> platform::PropertyValue {
           return dynamic_cast<const WindowTimer&>(o).Index;
         }},
        // Reached only through _PaneChild (_SetWindow, Window), never by name.
        {"ownerWindow", platform::PropertyType::Object, "Window", false, scope("Private"), nullptr,
         nullptr},
    };
  }
  return c;
}

// The registered description of `name`, built by `ctblinit` when it does not exist yet.
const ClassInfo& lookup(const char* name, void (*ctblinit)()) {
  if (const ClassInfo* c = platform::RuntimeFindClass(name)) return *c;
  ctblinit();
  return *platform::RuntimeFindClass(name);
}

}  // namespace

void frmMain_cmdResponse::__ctblinit() {
  arrayClass<frmMain_cmdResponse>("frmMain.cmdResponse", platform::PushButton::__Lookup(),
                                  kPushButtonInterfaces);
}

const ClassInfo& frmMain_cmdResponse::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const ClassInfo& { return lookup("frmMain.cmdResponse", &__ctblinit); });
}

void frmMain_chkPitch::__ctblinit() {
  arrayClass<frmMain_chkPitch>("frmMain.chkPitch", platform::CheckBox::__Lookup(),
                               kCheckBoxInterfaces);
}

const ClassInfo& frmMain_chkPitch::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const ClassInfo& { return lookup("frmMain.chkPitch", &__ctblinit); });
}

void frmMain_cmdTrigger::__ctblinit() {
  arrayClass<frmMain_cmdTrigger>("frmMain.cmdTrigger", platform::PushButton::__Lookup(),
                                 kPushButtonInterfaces);
}

const ClassInfo& frmMain_cmdTrigger::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const ClassInfo& { return lookup("frmMain.cmdTrigger", &__ctblinit); });
}

void frmMain_chkOctave::__ctblinit() {
  arrayClass<frmMain_chkOctave>("frmMain.chkOctave", platform::CheckBox::__Lookup(),
                                kCheckBoxInterfaces);
}

const ClassInfo& frmMain_chkOctave::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const ClassInfo& { return lookup("frmMain.chkOctave", &__ctblinit); });
}

void frmMain_tmrPitch::__ctblinit() { timerClass<frmMain_tmrPitch>("frmMain.tmrPitch"); }

const ClassInfo& frmMain_tmrPitch::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const ClassInfo& { return lookup("frmMain.tmrPitch", &__ctblinit); });
}

void frmMain_tmrDelay::__ctblinit() { timerClass<frmMain_tmrDelay>("frmMain.tmrDelay"); }

const ClassInfo& frmMain_tmrDelay::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get([]() -> const ClassInfo& { return lookup("frmMain.tmrDelay", &__ctblinit); });
}

void frmMain_tmrMelodyPlay::__ctblinit() {
  timerClass<frmMain_tmrMelodyPlay>("frmMain.tmrMelodyPlay");
}

const ClassInfo& frmMain_tmrMelodyPlay::__Lookup() {
  static platform::ClassSlot slot;
  return slot.get(
      []() -> const ClassInfo& { return lookup("frmMain.tmrMelodyPlay", &__ctblinit); });
}

// ---------------------------------------------------------------- window timers

WindowTimer::~WindowTimer() = default;

void WindowTimer::_SetWindow(platform::Window* window) {
  // The new window's reference is taken before the old one's is given back, so
  // handing the same window again never drops it to zero.
  ownerWindow = Ref<platform::Window>(window);
}

Ref<platform::Window> WindowTimer::Window() { return ownerWindow; }

}  // namespace velmora
