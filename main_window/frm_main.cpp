// The main window's class description, its state's creation and release, the
// implicit-instance accessor, and the typed lookups of its controls.
#include "main_window/frm_main.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "main_window/class_entries.h"

namespace velmora {

namespace {

using platform::Attributes;
using platform::ClassInfo;
using platform::MemberEntry;
using platform::Object;
using platform::PropertyEntry;
using platform::PropertyType;
using platform::PropertyValue;

platform::ClassSlot gClass;

// The framework's factory for frmMain; the new object is owned by the reference count.
Object* createFrmMain() { return new frmMain; }

Attributes publicScope() { return scope("Public"); }

template <class T>
const T& valueAs(const PropertyValue& value) {
  const T* v = std::get_if<T>(&value);
  if (!v)
    throw platform::UnsupportedFormatException(
        "a frmMain property was given a value of another type");
  return *v;
}

template <int32_t frmMain::*Field>
PropertyEntry int32Property(std::string name) {
  return {std::move(name),
          PropertyType::Int32,
          "i4",
          true,
          publicScope(),
          [](Object& o, const PropertyValue& v) {
            dynamic_cast<frmMain&>(o).*Field = valueAs<int32_t>(v);
          },
          [](const Object& o) -> PropertyValue { return dynamic_cast<const frmMain&>(o).*Field; }};
}

// An array property: any object of the array's type, or nil.
template <class A, Ref<A> frmMain::*Field>
PropertyEntry arrayProperty(std::string name, std::string typeCode) {
  return {std::move(name),
          PropertyType::Object,
          std::move(typeCode),
          true,
          publicScope(),
          [](Object& o, const PropertyValue& v) {
            const Ref<Object>& object = valueAs<Ref<Object>>(v);
            Ref<A> array(dynamic_cast<A*>(object.get()));
            if (object && !array) {
              throw platform::UnsupportedFormatException(
                  "a frmMain array property was given another object");
            }
            dynamic_cast<frmMain&>(o).*Field = array;
          },
          [](const Object& o) -> PropertyValue {
            return Ref<Object>(dynamic_cast<const frmMain&>(o).*Field);
          }};
}

std::vector<MemberEntry> members() {
  constexpr const char* kNone = "(  )";
  constexpr const char* kElement = "(index As Int32)";
  std::vector<MemberEntry> m = {member("Layout", kNone), member("CreateControls", kNone),
                                member("_CreateControls0", kNone, /*hidden=*/true)};
  const std::pair<const char*, const char*> controls[] = {
      {"cmdResponse", "(index As Int32) As PushButton"},
      {"cmdGo", "(  ) As PushButton"},
      {"tmrPitch", "(  ) As Timer"},
      {"notPitches", "(  ) As NotePlayer"},
      {"lblFeedback", "(  ) As StaticText"},
      {"chkPitch", "(index As Int32) As CheckBox"},
      {"cmdReveal", "(  ) As PushButton"},
      {"lblAnswer", "(  ) As StaticText"},
      {"cmdTrigger", "(index As Int32) As PushButton"},
      {"tmrDelay", "(  ) As Timer"},
      {"tmrMelodyPlay", "(  ) As Timer"},
      {"notMelodies", "(  ) As NotePlayer"},
      {"chkOctave", "(index As Int32) As CheckBox"},
      {"chkInstrument", "(  ) As CheckBox"},
  };
  for (const auto& [name, signature] : controls) m.push_back(member(name, signature));
  for (const char* handler :
       {"cmdResponse_Action", "cmdGo_Action", "tmrPitch_Action", "chkPitch_Action",
        "cmdReveal_Action", "cmdTrigger_Action", "tmrDelay_Action", "tmrMelodyPlay_Action"}) {
    m.push_back(member(handler, kNone));
  }
  // One accessor per item of the shared menu bar; nothing calls them.
  for (const char* item :
       {"EditMenu", "EditUndo", "UntitledMenu1", "EditCut", "EditCopy", "EditPaste", "EditClear",
        "UntitledMenu0", "EditSelectAll", "FileMenu", "FileQuit"}) {
    m.push_back(member(item, "(  ) As MenuItem"));
  }
  m.push_back(member("Event_Open", kNone));
  m.push_back(member("Event_KeyDown", "(key As String) As Boolean"));
  m.push_back(member("PitchPlay", "(bNewPitch As Boolean)"));
  m.push_back(member("MelodyLoad", kElement));
  m.push_back(member("MelodyPlay", kNone));
  m.push_back(member("MelodyInit", kNone));
  m.push_back(member("ParseMelody", kElement));
  m.push_back(member("PitchResponse", "(iResponse As Int32)"));
  return m;
}

std::vector<PropertyEntry> properties() {
  using platform::Int32Array2;
  using platform::TextArray;
  return {
      int32Property<&frmMain::iPitch>("iPitch"),
      arrayProperty<TextArray, &frmMain::sPitchNames>("sPitchNames", "A1s"),
      arrayProperty<TextArray, &frmMain::sMelodies>("sMelodies", "A1s"),
      int32Property<&frmMain::iCurrentPitch>("iCurrentPitch"),
      int32Property<&frmMain::iMelodyBeat>("iMelodyBeat"),
      arrayProperty<Int32Array2, &frmMain::iMelodyBuild>("iMelodyBuild", "A2i4"),
      arrayProperty<Int32Array2, &frmMain::iMelodyPlay>("iMelodyPlay", "A2i4"),
      int32Property<&frmMain::iCurrentOctave>("iCurrentOctave"),
      int32Property<&frmMain::iCurrentInstrument>("iCurrentInstrument"),
  };
}

template <class T>
Ref<T> controlAs(platform::Window& window, std::string_view name) {
  return platform::CheckCast<T>(platform::RuntimeWindowControlByName(window, name), T::__Lookup());
}

template <class T>
Ref<T> elementAs(platform::Window& window, std::string_view name, int32_t index) {
  return platform::CheckCast<T>(platform::RuntimeWindowControlByNameIndex(window, name, index),
                                T::__Lookup());
}

// Depth first, in menu order.
Ref<platform::MenuItem> findItem(const platform::MenuItem& parent, std::string_view name) {
  for (int32_t i = 0; i < parent.Count(); ++i) {
    Ref<platform::MenuItem> child = parent.Item(i);
    if (!child) continue;
    if (child->Name() == name) return child;
    if (Ref<platform::MenuItem> found = findItem(*child, name)) return found;
  }
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- class description

const platform::ClassInfo& frmMain::__Lookup() {
  return gClass.get([]() -> const ClassInfo& {
    ClassInfo& c =
        platform::RuntimeNewClass(&platform::Window::__Lookup(), kClassName, &createFrmMain);
    c.initialiser = &frmMain::__Init;
    c.finaliser = &frmMain::__Exit;
    c.members = members();
    c.events = {{"Layout", &frmMain::Layout},
                {"CreateControls", &frmMain::CreateControls},
                {"Open", &frmMain::Event_Open},
                {"KeyDown", &frmMain::Event_KeyDown}};
    c.properties = properties();
    c.attributes = publicScope();
    return c;
  });
}

void frmMain::__ctblinit() { __Lookup(); }

void frmMain::__Init(platform::Object& self) {
  auto& window = dynamic_cast<frmMain&>(self);
  window.sPitchNames = platform::CreateArray<platform::String>(11);
  window.sMelodies = platform::CreateArray<platform::String>(11);
  window.iMelodyBuild = platform::CreateArray<int32_t>(0, 2);
  window.iMelodyPlay = platform::CreateArray<int32_t>(0, 19);
}

void frmMain::__Exit(platform::Object& self) {
  auto& window = dynamic_cast<frmMain&>(self);
  window.sPitchNames.reset();
  window.sMelodies.reset();
  window.iMelodyBuild.reset();
  window.iMelodyPlay.reset();
}

namespace accessor {

Ref<velmora::frmMain> frmMain() {
  const platform::ClassInfo& cls = velmora::frmMain::__Lookup();
  Ref<platform::Window> instance = platform::RuntimeGetImplicitWindow(velmora::frmMain::kClassName);
  if (!instance) {
    // Construction raises Layout, CreateControls and Open before it returns.
    instance = platform::RuntimeNewObjectAs<platform::Window>(cls);
    instance->Constructor();
  }
  return platform::CheckCast<velmora::frmMain>(instance, cls);
}

}  // namespace accessor

// ---------------------------------------------------------------- controls

Ref<platform::PushButton> frmMain::cmdResponse(int32_t index) {
  return elementAs<platform::PushButton>(*this, "cmdResponse", index);
}
Ref<platform::PushButton> frmMain::cmdGo() {
  return controlAs<platform::PushButton>(*this, "cmdGo");
}
Ref<platform::Timer> frmMain::tmrPitch() { return controlAs<platform::Timer>(*this, "tmrPitch"); }
Ref<platform::NotePlayer> frmMain::notPitches() {
  return controlAs<platform::NotePlayer>(*this, "notPitches");
}
Ref<platform::StaticText> frmMain::lblFeedback() {
  return controlAs<platform::StaticText>(*this, "lblFeedback");
}
Ref<platform::CheckBox> frmMain::chkPitch(int32_t index) {
  return elementAs<platform::CheckBox>(*this, "chkPitch", index);
}
Ref<platform::PushButton> frmMain::cmdReveal() {
  return controlAs<platform::PushButton>(*this, "cmdReveal");
}
Ref<platform::StaticText> frmMain::lblAnswer() {
  return controlAs<platform::StaticText>(*this, "lblAnswer");
}
Ref<platform::PushButton> frmMain::cmdTrigger(int32_t index) {
  return elementAs<platform::PushButton>(*this, "cmdTrigger", index);
}
Ref<platform::Timer> frmMain::tmrDelay() { return controlAs<platform::Timer>(*this, "tmrDelay"); }
Ref<platform::Timer> frmMain::tmrMelodyPlay() {
  return controlAs<platform::Timer>(*this, "tmrMelodyPlay");
}
Ref<platform::NotePlayer> frmMain::notMelodies() {
  return controlAs<platform::NotePlayer>(*this, "notMelodies");
}
Ref<platform::CheckBox> frmMain::chkOctave(int32_t index) {
  return elementAs<platform::CheckBox>(*this, "chkOctave", index);
}
Ref<platform::CheckBox> frmMain::chkInstrument() {
  return controlAs<platform::CheckBox>(*this, "chkInstrument");
}

Ref<platform::MenuItem> frmMain::menuItem(std::string_view name) {
  const Ref<platform::MenuBar>& bar = MenuBar();
  if (!bar) return nullptr;
  return findItem(*bar, name);
}

// ---------------------------------------------------------------- self and me

SelfAndMe::SelfAndMe(platform::Object& raiser) {
  Ref<platform::Object> raised(&raiser);
  platform::RuntimeSwapSelfAndMe(raised, me);
  self = platform::CheckCast<frmMain>(raised, frmMain::__Lookup());
  if (!self) platform::RaiseNilObjectException();
}

int32_t SelfAndMe::index(const platform::ClassInfo& arrayClass) const {
  Ref<platform::Control> element = platform::CheckCast<platform::Control>(me, arrayClass);
  return element->Index();
}

}  // namespace velmora
