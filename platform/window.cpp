// Windows: construction events, controls by name, keys, closing; the framework's
// window lists.
#include "platform/window.h"

#include <algorithm>
#include <memory>

#include "platform/class_table.h"
#include "platform/controls.h"
#include "platform/menu.h"
#include "platform/run.h"
#include "platform/runtime_internal.h"
#include "platform/timer.h"
#include "platform/toolkit.h"

namespace platform {

namespace {

// The framework holds a counted reference to every open window, and one to each
// window class's implicit instance, until the window closes or shut-down.
struct WindowLists {
  std::vector<Ref<Window>> open;
  std::vector<std::pair<String, Ref<Window>>> implicit;
};

std::unique_ptr<WindowLists>& windowListsSlot() {
  static std::unique_ptr<WindowLists> lists;
  return lists;
}

WindowLists& windowLists() {
  auto& slot = windowListsSlot();
  if (!slot) slot = std::make_unique<WindowLists>();
  return *slot;
}

void forget(Window& window) {
  WindowLists& lists = windowLists();
  std::erase_if(lists.implicit, [&](const auto& entry) { return entry.second.get() == &window; });
  std::erase_if(lists.open, [&](const Ref<Window>& w) { return w.get() == &window; });
}

void notify(Window& window, Change what) {
  if (RuntimeIsInitialized()) toolkit().changed(window, what);
}

using detail::assign;

}  // namespace

namespace detail {

void createWindowLists() { windowLists(); }

void releaseImplicitWindows() {
  // Moved out first: releasing may run finalisers that look at the lists.
  auto implicit = std::move(windowLists().implicit);
  windowLists().implicit.clear();
}

void closeAllWindows() {
  while (!windowLists().open.empty()) {
    Ref<Window> window = windowLists().open.back();
    window->Close();
    forget(*window);  // also when Close found it closing already
  }
  releaseImplicitWindows();
}

}  // namespace detail

// Private state that the property table writes.
struct WindowPropertySetters {
  static void build(ClassInfo& c) {
    using W = Window;
    c.properties = {
        VELMORA_FIELD_PROPERTY(W, Int32, Placement, placement),
        VELMORA_PROPERTY(W, Int32, Width),
        VELMORA_PROPERTY(W, Int32, Height),
        VELMORA_FIELD_PROPERTY(W, Int32, MinWidth, minWidth),
        VELMORA_FIELD_PROPERTY(W, Int32, MinHeight, minHeight),
        VELMORA_FIELD_PROPERTY(W, Int32, MaxWidth, maxWidth),
        VELMORA_FIELD_PROPERTY(W, Int32, MaxHeight, maxHeight),
        VELMORA_FIELD_PROPERTY(W, Int32, Frame, frame),
        VELMORA_FIELD_PROPERTY(W, Int32, MacProcId, macProcId_),
        VELMORA_FIELD_PROPERTY(W, Boolean, Composite, composite),
        VELMORA_FIELD_PROPERTY(W, Boolean, HasBackColor, hasBackColor_),
        VELMORA_PROPERTY(W, Boolean, Visible),
        VELMORA_FIELD_PROPERTY(W, Boolean, FullScreen, fullScreen),
        VELMORA_FIELD_PROPERTY(W, Boolean, MenuBarVisible, menuBarVisible_),
        VELMORA_FIELD_PROPERTY(W, Boolean, CloseButton, closeButton_),
        VELMORA_FIELD_PROPERTY(W, Boolean, Resizeable, resizeable_),
        VELMORA_FIELD_PROPERTY(W, Boolean, LiveResize, liveResize),
        VELMORA_FIELD_PROPERTY(W, Boolean, MaximizeButton, maximizeButton_),
        VELMORA_FIELD_PROPERTY(W, Boolean, MinimizeButton, minimizeButton_),
        VELMORA_FIELD_PROPERTY(W, Color, BackColor, backColor_),
        VELMORA_PROPERTY(W, Text, Title),
    };
  }
};

const ClassInfo& Window::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c =
        RuntimeNewClass(nullptr, "Window", [] { return static_cast<Object*>(new Window); });
    WindowPropertySetters::build(c);
    return c;
  });
}

Window::~Window() {
  // A window dropped without closing (never constructed) still leaves its
  // controls pointing at nothing.
  for (auto& [name, control] : controls_) {
    if (auto* c = dynamic_cast<Control*>(control.get())) c->_SetWindow(nullptr);
  }
}

void Window::Constructor() {
  if (open_) return;  // constructed once
  Ref<Window> self(this);
  WindowLists& lists = windowLists();
  open_ = true;
  lists.open.push_back(self);
  const String className = classInfo() ? classInfo()->name : String("Window");
  if (!RuntimeGetImplicitWindow(className)) lists.implicit.emplace_back(className, self);
  raise("Layout");
  raise("CreateControls");
  raise("Open");
  if (visible_ && open_ && RuntimeIsInitialized()) toolkit().showWindow(*this);
}

void Window::raise(std::string_view event) {
  const ClassInfo* cls = classInfo();
  RuntimeTrace(std::string(event) + " " + (cls ? cls->name : String("Window")));
  const EventBinding* binding = cls ? cls->findEvent(event) : nullptr;
  if (!binding) return;
  if (const auto* handler = std::get_if<WindowEventHandler>(&binding->handler)) {
    Ref<Window> self(this);
    if (*handler) (*handler)(*this);
  }
}

Ref<Object> Window::__New(const ClassInfo& cls) { return RuntimeNewObject(cls); }

void Window::_AddControl(const String& name, const Ref<Object>& control) {
  if (!control) RaiseNilObjectException();
  controls_.emplace_back(name, control);
  auto* asControl = dynamic_cast<Control*>(control.get());
  if (asControl) asControl->_SetWindow(this);
  if (auto* child = dynamic_cast<_PaneChild*>(control.get())) {
    child->_SetWindow(this);
    child->_SetIndex(asControl ? asControl->Index() : kNoIndex);
  }
}

Ref<Object> Window::controlByName(std::string_view name) const {
  for (const auto& [controlName, control] : controls_) {
    if (controlName == name) return control;
  }
  return nullptr;
}

Ref<Object> Window::controlByNameIndex(std::string_view name, int32_t index) const {
  for (const auto& [controlName, control] : controls_) {
    if (controlName != name) continue;
    if (auto* c = dynamic_cast<Control*>(control.get())) {
      if (c->Index() == index) return control;
    } else if (auto* child = dynamic_cast<_PaneChild*>(control.get())) {
      if (child->_Index() == index) return control;
    }
  }
  return nullptr;
}

void Window::MenuBar(const Ref<platform::MenuBar>& bar) {
  menuBar_ = bar;
  notify(*this, Change::MenuBar);
}

void Window::Width(int32_t v) {
  if (assign(width_, v)) notify(*this, Change::Geometry);
}
void Window::Height(int32_t v) {
  if (assign(height_, v)) notify(*this, Change::Geometry);
}
void Window::Title(String v) {
  if (assign(title_, std::move(v))) notify(*this, Change::Title);
}
void Window::Visible(bool v) {
  if (assign(visible_, v)) notify(*this, Change::Visible);
}

bool Window::keyDown(const String& key) {
  const ClassInfo* cls = classInfo();
  const EventBinding* binding = cls ? cls->findEvent("KeyDown") : nullptr;
  if (!binding) return false;
  const auto* handler = std::get_if<KeyDownHandler>(&binding->handler);
  if (!handler || !*handler) return false;
  Ref<Window> self(this);
  return (*handler)(*this, key);
}

void Window::userClose() {
  Close();
  if (windowLists().open.empty()) RuntimeQuit();
}

void Window::Close() {
  if (!open_ || closing_) return;
  closing_ = true;
  Ref<Window> self(this);
  // Timers first, so none fires into a half-closed window.
  for (auto& [name, control] : controls_) {
    if (auto* timer = dynamic_cast<Timer*>(control.get())) timer->Mode(Timer::kOff);
  }
  // The backend lets go of its widgets while the controls they show still exist.
  if (RuntimeIsInitialized()) toolkit().closeWindow(*this);
  // Pane children hold counted references back to the window (a timer's owner):
  // handing them nil breaks that cycle.
  for (auto& [name, control] : controls_) {
    if (auto* child = dynamic_cast<_PaneChild*>(control.get())) child->_SetWindow(nullptr);
    if (auto* c = dynamic_cast<Control*>(control.get())) {
      c->Close();
      c->_SetWindow(nullptr);
    }
  }
  auto dropped = std::move(controls_);
  controls_.clear();
  menuBar_ = nullptr;
  forget(*this);
  open_ = false;
  closing_ = false;
  dropped.clear();
}

Ref<Window> RuntimeGetImplicitWindow(std::string_view className) {
  for (const auto& [name, window] : windowLists().implicit) {
    if (name == className) return window;
  }
  return nullptr;
}

Ref<Object> RuntimeWindowControlByName(Window& window, std::string_view name) {
  return window.controlByName(name);
}

Ref<Object> RuntimeWindowControlByNameIndex(Window& window, std::string_view name, int32_t index) {
  return window.controlByNameIndex(name, index);
}

std::vector<Ref<Window>> RuntimeWindows() { return windowLists().open; }

}  // namespace platform
