// A person's clicks, keys, menu shortcuts and the close button, delivered by
// Qt's own event dispatch, reach the framework once each.
#include <QApplication>
#include <QCheckBox>
#include <QMainWindow>
#include <QPointer>
#include <QTest>

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

TEST_F(QtWindowTest, ClickOnAButtonRunsItsHandlerOnce) {
  QTest::mouseClick(widget("cmdAlpha"), Qt::LeftButton);
  EXPECT_EQ(heard(), Heard{"Action cmdAlpha"});
}

TEST_F(QtWindowTest, ClickOnADisabledButtonRunsNothing) {
  QTest::mouseClick(widget("cmdOff"), Qt::LeftButton);
  EXPECT_TRUE(heard().empty());
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

TEST_F(QtWindowTest, LetterKeysReachTheWindowOnceWhicheverControlHasTheFocus) {
  activate();
  const struct {
    const char* focus;
    Qt::Key key;
    const char* text;
    Qt::KeyboardModifiers modifiers;
    const char* heard;
  } cases[] = {
      {"cmdAlpha", Qt::Key_C, "c", Qt::NoModifier, "KeyDown c noshift"},
      {"cmdAlpha", Qt::Key_C, "C", Qt::ShiftModifier, "KeyDown C shift"},
      {"chkOne", Qt::Key_G, "g", Qt::NoModifier, "KeyDown g noshift"},
      {"cmdBeta", Qt::Key_3, "3", Qt::NoModifier, "KeyDown 3 noshift"},
      {"cmdBeta", Qt::Key_Return, "\r", Qt::NoModifier, "KeyDown \r noshift"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.heard);
    heard().clear();
    widget(c.focus)->setFocus();
    QTest::sendKeyEvent(QTest::Click, widget(c.focus), c.key, QString(c.text), c.modifiers);
    EXPECT_EQ(heard(), Heard{c.heard});
  }
}

TEST_F(QtWindowTest, HeldKeyRepeatsReachTheWindowEachTime) {
  activate();
  widget("cmdAlpha")->setFocus();
  QTest::sendKeyEvent(QTest::Press, widget("cmdAlpha"), Qt::Key_E, QString("e"), Qt::NoModifier);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, "e", /*autorep=*/true);
  QApplication::sendEvent(widget("cmdAlpha"), &repeat);
  EXPECT_EQ(heard(), (Heard{"KeyDown e noshift", "KeyDown e noshift"}));
}

TEST_F(QtWindowTest, SpaceOnAFocusedButtonPressesItAndIsNoKeyAnswer) {
  activate();
  widget("cmdAlpha")->setFocus();
  QTest::keyClick(widget("cmdAlpha"), Qt::Key_Space);
  EXPECT_EQ(heard(), Heard{"Action cmdAlpha"});
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
