// The window's construction handlers: its menu bar and design-time properties
// (Layout), and its 49 controls with their lists and "Action" connections
// (CreateControls).
#include <string_view>
#include <variant>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "main_window/property_lists.h"
#include "platform/property_list.h"
#include "shell/menu_bar1.h"

namespace velmora {

namespace {

using layout::ControlRow;
using layout::Kind;
using platform::Object;

void _SetProperties(Object& target, std::string_view list) {
  platform::RuntimeMassPropertySetter(target, list);
}

void _InstallInstanceEventHandler(Object& control, std::string_view event,
                                  platform::HandlerEntry entry) {
  platform::RuntimeInstallInstanceEventHandler(control, event, entry);
}

// The framework class a control of this kind is taken as after each lookup.
const platform::ClassInfo& frameworkClass(Kind kind) {
  switch (kind) {
    case Kind::PushButton:
      return platform::PushButton::__Lookup();
    case Kind::CheckBox:
      return platform::CheckBox::__Lookup();
    case Kind::Label:
      return platform::StaticText::__Lookup();
    case Kind::NotePlayer:
      return platform::NotePlayer::__Lookup();
    case Kind::Timer:
      return platform::Timer::__Lookup();
  }
  return platform::Control::__Lookup();
}

bool inArray(const ControlRow& row) { return row.index != platform::kNoIndex; }

// An array element gets its index before the base construction; note players
// have no construction of their own.
void construct(Object& control, const ControlRow& row) {
  switch (row.kind) {
    case Kind::PushButton:
      if (inArray(row)) {
        dynamic_cast<ArrayElement<platform::PushButton>&>(control).Constructor(row.index);
      } else {
        dynamic_cast<platform::RectControl&>(control).Constructor();
      }
      return;
    case Kind::CheckBox:
      if (inArray(row)) {
        dynamic_cast<ArrayElement<platform::CheckBox>&>(control).Constructor(row.index);
      } else {
        dynamic_cast<platform::RectControl&>(control).Constructor();
      }
      return;
    case Kind::Label:
      dynamic_cast<platform::RectControl&>(control).Constructor();
      return;
    case Kind::Timer:
      dynamic_cast<WindowTimer&>(control).Constructor();
      return;
    case Kind::NotePlayer:
      return;
  }
}

// The control found again through the window, taken as its kind's framework class.
Ref<Object> lookUp(frmMain& window, const ControlRow& row) {
  Ref<Object> found = inArray(row)
                          ? platform::RuntimeWindowControlByNameIndex(window, row.name, row.index)
                          : platform::RuntimeWindowControlByName(window, row.name);
  return platform::RuntimeCheckCast(found, frameworkClass(row.kind));
}

void createControl(frmMain& window, const ControlRow& row, std::string_view list) {
  Ref<Object> control = window.__New(row.cls());
  construct(*control, row);
  window._AddControl(platform::String(row.name), control);
  _SetProperties(*lookUp(window, row), list);
  if (row.action) {
    // Connected only now, so the list's values (a check box's Value) are in
    // place before the handler can run.
    Ref<Object> target = lookUp(window, row);
    Ref<platform::Delegate> handler = platform::RuntimeCreateDelegate(
        platform::DelegateInvoker::IM_Invoke, row.action, &window, "(  )");
    _InstallInstanceEventHandler(*target, "Action",
                                 std::get<platform::HandlerEntry>(handler->entry()));
  }
}

}  // namespace

void frmMain::Layout(platform::Object& self) {
  auto& window = dynamic_cast<frmMain&>(self);
  {
    Ref<MenuBar1> bar = accessor::MenuBar1();
    window.MenuBar(Ref<platform::MenuBar>(bar));
  }
  _SetProperties(window, layout::kWindowList);
}

void frmMain::CreateControls(platform::Object& self) {
  dynamic_cast<frmMain&>(self)._CreateControls0();
}

void frmMain::_CreateControls0() {
  for (size_t i = 0; i < layout::kControls.size(); ++i) {
    createControl(*this, layout::kControls[i], layout::kControlLists[i]);
  }
}

}  // namespace velmora
