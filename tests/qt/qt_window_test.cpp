// What a person sees of a window: its frame, menu bar and controls, and how
// later writes to the framework objects show on the widgets.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "platform/backends/qt/qt_menu.h"
#include "test_window.h"

namespace velmora::test {
namespace {

using namespace platform;

std::vector<QString> actionTexts(const QWidget& container) {
  std::vector<QString> texts;
  for (const QAction* a : container.actions()) texts.push_back(a->isSeparator() ? "-" : a->text());
  return texts;
}

// Shortcuts: CmdIsMatchedAsCtrl below, and CtrlQQuitsThroughTheMenuShortcut.
TEST_F(QtWindowTest, MenuBarShowsTheMenuTreeWithMnemonics) {
  QMenuBar* bar = qtToolkit().windowWidget(*window_)->menuBar();
  EXPECT_EQ(actionTexts(*bar), (std::vector<QString>{"&File", "&Edit"}));
  QMenu* file = bar->actions()[0]->menu();
  QMenu* edit = bar->actions()[1]->menu();
  ASSERT_TRUE(file && edit);
  EXPECT_EQ(actionTexts(*file), (std::vector<QString>{"&Quit"}));
  EXPECT_EQ(actionTexts(*edit), (std::vector<QString>{"&Undo", "-", "Cu&t"}));
}

TEST(QtMenuShortcut, CmdIsMatchedAsCtrl) {
  const struct {
    const char* written;
    QKeySequence shown;
  } cases[] = {
      {"Cmd+Q", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"Cmd+A", QKeySequence(Qt::CTRL | Qt::Key_A)},
      {"Cmd+Shift+Z", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
      {"", QKeySequence()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qt::keySequenceFor(c.written), c.shown) << c.written;
  }
}

TEST_F(QtWindowTest, TabMovesFocusInTabIndexOrderAndIsNoAnswer) {
  activate();
  widget("cmdBeta")->setFocus();
  // TabIndex 0 Beta, 1 Alpha, 2 Off (disabled: passed over), 3 One.
  QTest::keyClick(widget("cmdBeta"), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget("cmdAlpha"));
  QTest::keyClick(widget("cmdAlpha"), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget("chkOne"));
  EXPECT_TRUE(heard().empty()) << "Tab moves the focus and reaches no handler";
}

TEST_F(QtWindowTest, WritesToFrameworkObjectsShowOnTheWidgets) {
  auto alpha = control<PushButton>("cmdAlpha");
  auto one = control<CheckBox>("chkOne");
  auto note = control<StaticText>("lblNote");
  alpha->Caption("Again");
  alpha->Left(20);
  alpha->Enabled(false);
  one->Value(false);
  note->Text("Yep");
  note->Visible(false);
  window_->Title("Renamed");

  EXPECT_EQ(qobject_cast<QPushButton*>(widget("cmdAlpha"))->text(), "Again");
  EXPECT_EQ(widget("cmdAlpha")->geometry(), QRect(20, 10, 80, 22));
  EXPECT_FALSE(widget("cmdAlpha")->isEnabled());
  EXPECT_FALSE(qobject_cast<QCheckBox*>(widget("chkOne"))->isChecked());
  EXPECT_EQ(qobject_cast<QLabel*>(widget("lblNote"))->text(), "Yep");
  EXPECT_FALSE(widget("lblNote")->isVisible());
  EXPECT_EQ(qtToolkit().windowWidget(*window_)->windowTitle(), "Renamed");
}

}  // namespace
}  // namespace velmora::test
