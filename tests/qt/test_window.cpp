#include "test_window.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "platform/menu.h"
#include "platform/property_list.h"
#include "platform/random.h"
#include "platform/run.h"
#include "platform/toolkit.h"

namespace velmora::test {

using namespace platform;

namespace {

// Generous: only a hang reaches it.
constexpr int kWatchdogMs = 20000;

constexpr auto kWindowList = MakePropertyList<[](auto& w) {
  w.i32("Width", 482);
  w.i32("Height", 331);
  w.text("Title", "Velmora Test");
  w.boolean("Visible", true);
  w.boolean("MenuBarVisible", true);
  w.boolean("CloseButton", true);
  w.boolean("Resizeable", false);
  w.boolean("MaximizeButton", false);
  w.boolean("MinimizeButton", true);
}>();

// The name the raiser is registered under in its window.
std::string nameOf(Object& raiser) {
  for (const Ref<Window>& window : RuntimeWindows()) {
    for (const auto& [name, control] : window->controls()) {
      if (control.get() == &raiser) return name;
    }
  }
  return "?";
}

void recordAction(Object& raiser) {
  heard().push_back("Action " + nameOf(raiser));
  if (afterHandler()) afterHandler()(raiser);
}

bool recordKey(Object& self, const String& key) {
  const bool shift = Keyboard()->AsyncShiftKey();
  heard().push_back("KeyDown " + key + (shift ? " shift" : " noshift"));
  if (afterHandler()) afterHandler()(self);
  return false;
}

void addMenuItem(MenuItem& parent, const ClassInfo& cls, const char* name, const char* text,
                 const char* shortcut) {
  Ref<MenuItem> item = RuntimeNewObjectAs<MenuItem>(cls);
  item->Constructor();
  item->Name(name);
  item->AutoEnable(true);
  item->Text(text);
  if (shortcut) item->KeyboardShortcut(shortcut);
  parent.Append(item);
}

void layout(Object& self) {
  auto& window = dynamic_cast<Window&>(self);
  Ref<MenuBar> bar = RuntimeNewObjectAs<MenuBar>(MenuBar::__Lookup());
  bar->Constructor();
  addMenuItem(*bar, MenuItem::__Lookup(), "FileMenu", "&File", "");
  addMenuItem(*bar->Child("FileMenu"), QuitMenuItem::__Lookup(), "FileQuit", "&Quit", "Cmd+Q");
  addMenuItem(*bar, MenuItem::__Lookup(), "EditMenu", "&Edit", "");
  addMenuItem(*bar->Child("EditMenu"), MenuItem::__Lookup(), "EditUndo", "&Undo", "Cmd+Z");
  addMenuItem(*bar->Child("EditMenu"), MenuItem::__Lookup(), "UntitledMenu1", "-", nullptr);
  addMenuItem(*bar->Child("EditMenu"), MenuItem::__Lookup(), "EditCut", "Cu&t", "Cmd+X");
  window.MenuBar(bar);
  RuntimeMassPropertySetter(window, kWindowList);
}

template <class T>
Ref<T> addControl(Window& window, const char* name) {
  Ref<T> control = RuntimeNewObjectAs<T>(T::__Lookup());
  if constexpr (std::is_base_of_v<RectControl, T>) control->Constructor();
  window._AddControl(name, control);
  if constexpr (std::is_base_of_v<Control, T>) control->Name(name);
  return control;
}

template <class T>
void place(T& control, int32_t left, int32_t top, int32_t width, int32_t height, int32_t tab) {
  control.Left(left);
  control.Top(top);
  control.Width(width);
  control.Height(height);
  control.TabIndex(tab);
}

void createControls(Object& self) {
  auto& window = dynamic_cast<Window&>(self);
  auto alpha = addControl<PushButton>(window, "cmdAlpha");
  place(*alpha, 10, 10, 80, 22, 1);
  alpha->Caption("Alpha");
  auto beta = addControl<PushButton>(window, "cmdBeta");
  place(*beta, 100, 10, 80, 22, 0);
  beta->Caption("Beta");
  auto off = addControl<PushButton>(window, "cmdOff");
  place(*off, 190, 10, 80, 22, 2);
  off->Caption("Off");
  off->Enabled(false);
  auto one = addControl<CheckBox>(window, "chkOne");
  place(*one, 10, 40, 100, 20, 3);
  one->Caption("One");
  one->Value(true);
  auto note = addControl<StaticText>(window, "lblNote");
  place(*note, 10, 70, 100, 20, 4);
  note->Text("0");
  note->TextAlign(1);
  auto tick = addControl<Timer>(window, "tmrTick");
  tick->Period(130);
  for (const Ref<Object>& c : {Ref<Object>(alpha), Ref<Object>(beta), Ref<Object>(off),
                               Ref<Object>(one), Ref<Object>(tick)}) {
    RuntimeInstallInstanceEventHandler(*c, "Action", &recordAction);
  }
}

}  // namespace

const ClassInfo& TestWindow::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&Window::__Lookup(), "TestWindow",
                                   [] { return static_cast<Object*>(new TestWindow); });
    c.events = {{"Layout", &layout}, {"CreateControls", &createControls}, {"KeyDown", &recordKey}};
    return c;
  });
}

std::vector<std::string>& heard() {
  static std::vector<std::string> events;
  return events;
}

std::function<void(Object&)>& afterHandler() {
  static std::function<void(Object&)> hook;
  return hook;
}

void QtWindowTest::SetUp() {
  offscreen_.emplace();
  heard().clear();
  afterHandler() = nullptr;
  RuntimeInit();
  RuntimeRegisterFrameworkClasses();
  window_ = RuntimeNewObjectAs<Window>(TestWindow::__Lookup());
  window_->Constructor();
}

void QtWindowTest::TearDown() {
  afterHandler() = nullptr;
  window_ = nullptr;
  RuntimeExit();
  offscreen_.reset();
}

qt::QtToolkit& QtWindowTest::qtToolkit() { return dynamic_cast<qt::QtToolkit&>(toolkit()); }

QWidget* QtWindowTest::widget(std::string_view controlName) {
  Ref<Object> c = window_->controlByName(controlName);
  return c ? qtToolkit().widgetFor(*c) : nullptr;
}

void QtWindowTest::runWith(std::function<void()> step) {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    ADD_FAILURE() << "the event loop was never quit";
    QCoreApplication::exit(1);
  });
  watchdog.start(kWatchdogMs);
  QTimer::singleShot(0, std::move(step));
  RuntimeRun();
}

void QtWindowTest::activate() {
  QMainWindow* w = qtToolkit().windowWidget(*window_);
  ASSERT_NE(w, nullptr);
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

}  // namespace velmora::test
