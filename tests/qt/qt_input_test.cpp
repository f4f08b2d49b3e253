// A person's clicks, keys, menu shortcuts and the close button, delivered by
// Qt's own event dispatch, reach the framework once each.
#include <QApplication>
#include <QCheckBox>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <functional>

#include "platform/menu.h"
#include "platform/run.h"
#include "test_window.h"

namespace velmora::test {
namespace {

using namespace platform;
using Heard = std::vector<std::string>;

// A click on the box's square (Qt takes clicks on the square and its caption only).
void clickBox(QWidget* box) {
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
}

TEST_F(QtWindowTest, CheckBoxClickTogglesTheValueOnceAndTheBoxShowsIt) {
  auto* box = qobject_cast<QCheckBox*>(widget("chkOne"));
  clickBox(box);
  EXPECT_FALSE(control<CheckBox>("chkOne")->Value());
  EXPECT_FALSE(box->isChecked());
  clickBox(box);
  EXPECT_TRUE(control<CheckBox>("chkOne")->Value());
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(heard(), (Heard{"Action chkOne", "Action chkOne"}));
}

TEST_F(QtWindowTest, CheckBoxShowsTheValueItsHandlerLeaves) {
  afterHandler() = [](Object& raiser) { dynamic_cast<CheckBox&>(raiser).Value(true); };
  auto* box = qobject_cast<QCheckBox*>(widget("chkOne"));
  clickBox(box);
  EXPECT_TRUE(control<CheckBox>("chkOne")->Value());
  EXPECT_TRUE(box->isChecked());
}

// Each input as Qt delivers it, and what the framework heard of it.
TEST_F(QtWindowTest, ClicksAndKeysReachTheFrameworkOnceEach) {
  activate();
  const auto key = [](const char* focus, Qt::Key key, const char* text,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return [=](QtWindowTest& t) {
      t.widget(focus)->setFocus();
      QTest::sendKeyEvent(QTest::Click, t.widget(focus), key, QString(text), modifiers);
    };
  };
  const struct {
    const char* input;
    std::function<void(QtWindowTest&)> act;
    Heard heard;
  } cases[] = {
      {"click",
       [](QtWindowTest& t) { QTest::mouseClick(t.widget("cmdAlpha"), Qt::LeftButton); },
       {"Action cmdAlpha"}},
      {"click on a disabled button",
       [](QtWindowTest& t) { QTest::mouseClick(t.widget("cmdOff"), Qt::LeftButton); },
       {}},
      {"Space on a focused button: a press, no key answer",
       [](QtWindowTest& t) {
         t.widget("cmdAlpha")->setFocus();
         QTest::keyClick(t.widget("cmdAlpha"), Qt::Key_Space);
       },
       {"Action cmdAlpha"}},
      // Letter keys reach the window whichever control has the focus.
      {"c", key("cmdAlpha", Qt::Key_C, "c"), {"KeyDown c noshift"}},
      {"Shift+C", key("cmdAlpha", Qt::Key_C, "C", Qt::ShiftModifier), {"KeyDown C shift"}},
      {"g on a box", key("chkOne", Qt::Key_G, "g"), {"KeyDown g noshift"}},
      {"3", key("cmdBeta", Qt::Key_3, "3"), {"KeyDown 3 noshift"}},
      {"Return", key("cmdBeta", Qt::Key_Return, "\r"), {"KeyDown \r noshift"}},
      {"a held key's repeat",
       [](QtWindowTest& t) {
         t.widget("cmdAlpha")->setFocus();
         QTest::sendKeyEvent(QTest::Press, t.widget("cmdAlpha"), Qt::Key_E, QString("e"),
                             Qt::NoModifier);
         QKeyEvent repeat(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, "e", /*autorep=*/true);
         QApplication::sendEvent(t.widget("cmdAlpha"), &repeat);
       },
       {"KeyDown e noshift", "KeyDown e noshift"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    heard().clear();
    c.act(*this);
    EXPECT_EQ(heard(), c.heard);
  }
}

TEST_F(QtWindowTest, CtrlQQuitsThroughTheMenuShortcut) {
  activate();
  runWith([this] { QTest::keyClick(widget("cmdAlpha"), Qt::Key_Q, Qt::ControlModifier); });
  EXPECT_TRUE(RuntimeQuitRequested());
  EXPECT_TRUE(heard().empty()) << "the shortcut took the key; the window heard nothing";
  window_ = nullptr;
  EXPECT_EQ(RuntimeExit(), kExitOk);
}

TEST_F(QtWindowTest, ChoosingQuitFromTheMenuQuits) {
  runWith([this] {
    QAction* quit =
        qtToolkit().actionFor(*window_->MenuBar()->Child("FileMenu")->Child("FileQuit"));
    ASSERT_NE(quit, nullptr);
    quit->trigger();
  });
  EXPECT_TRUE(RuntimeQuitRequested());
}

TEST_F(QtWindowTest, CloseButtonClosesTheLastWindowAndQuits) {
  QPointer<QMainWindow> w = qtToolkit().windowWidget(*window_);
  runWith([w] { w->close(); });
  EXPECT_FALSE(window_->isOpen());
  EXPECT_TRUE(RuntimeQuitRequested());
  EXPECT_EQ(qtToolkit().windowWidget(*window_), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull()) << "the closed window's widgets are deleted";
}

}  // namespace
}  // namespace velmora::test
