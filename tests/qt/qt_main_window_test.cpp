// The program's own window on Qt: its 49 controls where their lists put them,
// and a few clicks through Qt reaching the window's handlers. Saves a
// screenshot (frmMain.png next to the test executable) for a person to look at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QSaveFile>
#include <QTest>
#include <optional>
#include <string>

#include "main_window/frm_main.h"
#include "platform/backends/qt/qt_toolkit.h"
#include "platform/run.h"
#include "platform/toolkit.h"
#include "tests/app/app_startup.h"
#include "tests/common/offscreen_qt.h"
#include "tests/common/pitch_classes.h"

namespace velmora::test {
namespace {

using namespace platform;
using velmora::testing::kPitchNames;

constexpr int kRowStepPx = 26;  // the twelve pitch rows, from C at the bottom upwards
constexpr int kRowCTopPx = 296;

struct Expected {
  std::string name;
  int32_t index;  // kNoIndex outside a control array
  QRect geometry;
  std::string caption;
  int tabIndex;
  bool checked = false;
  bool enabled = true;
};

// The 44 controls with something to show, from the window's layout table.
std::vector<Expected> visibleControls() {
  std::vector<Expected> all = {
      {"cmdGo", kNoIndex, QRect(211, 15, 80, 36), "Start", 4},
      {"lblFeedback", kNoIndex, QRect(201, 298, 100, 20), "0", 5},
      {"cmdReveal", kNoIndex, QRect(211, 63, 80, 22), "Give Answer", 26},
      {"lblAnswer", kNoIndex, QRect(211, 97, 80, 20), "", 27},
      {"chkOctave", 1, QRect(201, 141, 100, 20), "Octave 5", 40, false},
      {"chkOctave", 2, QRect(201, 159, 100, 20), "Octave 4", 41, true, false},
      {"chkOctave", 0, QRect(201, 177, 100, 20), "Octave 3", 42, false},
      {"chkInstrument", kNoIndex, QRect(201, 213, 100, 20), "Include guitar", 43, false},
  };
  for (int k = 0; k < 12; ++k) {
    const int top = kRowCTopPx - kRowStepPx * k;
    const int responseTab = k < 4 ? k : k + 3;
    const int pitchBoxTab = k == 0 ? 6 : k + 14;
    all.push_back({"cmdResponse", k, QRect(45, top, 80, 22), kPitchNames[k], responseTab});
    // Each box stands one below its button's top, except the C row's.
    all.push_back(
        {"chkPitch", k, QRect(17, k == 0 ? top : top + 1, 16, 20), "", pitchBoxTab, true});
    all.push_back({"cmdTrigger", k, QRect(388, top, 80, 22),
                   std::string(kPitchNames[k]) + " trigger", 28 + k});
  }
  return all;
}

class QtMainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    offscreen_.emplace();
    app_.emplace();
    window_ = app_->window();
    ASSERT_TRUE(window_);
  }
  void TearDown() override {
    window_ = nullptr;
    app_.reset();
    offscreen_.reset();
  }

  qt::QtToolkit& qtToolkit() { return dynamic_cast<qt::QtToolkit&>(toolkit()); }
  QMainWindow* mainWidget() { return qtToolkit().windowWidget(*window_); }
  QWidget* widget(const std::string& name, int32_t index = kNoIndex) {
    Ref<Object> c =
        index == kNoIndex ? window_->controlByName(name) : window_->controlByNameIndex(name, index);
    return c ? qtToolkit().widgetFor(*c) : nullptr;
  }
  QString labelText(const std::string& name) { return qobject_cast<QLabel*>(widget(name))->text(); }

  std::optional<velmora::testing::OffscreenQt> offscreen_;
  std::optional<velmora::testing::AppSession> app_;
  Ref<frmMain> window_;
};

TEST_F(QtMainWindowTest, WindowIsVelmoraWithFixedContentAndNoMaximiseButton) {
  QMainWindow* w = mainWidget();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "Velmora");
  EXPECT_EQ(w->centralWidget()->size(), QSize(482, 331));
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
  // The menu bar sits above the content, not inside it.
  EXPECT_TRUE(w->menuBar()->isVisible());
  EXPECT_GE(w->centralWidget()->y(), w->menuBar()->height());
}

TEST_F(QtMainWindowTest, EveryControlShowsWhereAndAsItsListSays) {
  const std::vector<Expected> controls = visibleControls();
  ASSERT_EQ(controls.size(), 44u);
  for (const Expected& c : controls) {
    SCOPED_TRACE(c.name + "(" + std::to_string(c.index) + ")");
    QWidget* w = widget(c.name, c.index);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), c.geometry);
    EXPECT_EQ(w->isEnabled(), c.enabled);
    EXPECT_TRUE(w->isVisible());
    // TextFont "System", TextSize 0: the platform's font, smaller only where the
    // caption would not fit otherwise; never cut off.
    EXPECT_EQ(w->font().family(), QApplication::font().family());
    EXPECT_LE(w->font().pointSizeF(), QApplication::font().pointSizeF());
    if (qobject_cast<QAbstractButton*>(w) && !qobject_cast<QCheckBox*>(w)) {
      EXPECT_LE(w->fontMetrics().horizontalAdvance(qobject_cast<QAbstractButton*>(w)->text()),
                c.geometry.width());
    } else {
      EXPECT_LE(w->sizeHint().width(), c.geometry.width());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
      EXPECT_EQ(label->text().toStdString(), c.caption);
      EXPECT_TRUE(label->alignment().testFlag(Qt::AlignLeft));
    } else {
      auto* button = qobject_cast<QAbstractButton*>(w);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->text().toStdString(), c.caption);
      if (auto* box = qobject_cast<QCheckBox*>(w)) {
        EXPECT_EQ(box->isChecked(), c.checked);
      }
    }
  }
  for (const char* silent :
       {"tmrPitch", "tmrDelay", "tmrMelodyPlay", "notPitches", "notMelodies"}) {
    EXPECT_EQ(widget(silent), nullptr) << silent << " has nothing to show";
  }
}

TEST_F(QtMainWindowTest, FocusChainFollowsTabIndex) {
  std::vector<Expected> controls = visibleControls();
  std::erase_if(controls, [](const Expected& c) { return c.name.starts_with("lbl"); });
  std::sort(controls.begin(), controls.end(),
            [](const Expected& a, const Expected& b) { return a.tabIndex < b.tabIndex; });
  QWidget* at = widget(controls.front().name, controls.front().index);
  for (size_t i = 1; i < controls.size(); ++i) {
    QWidget* expected = widget(controls[i].name, controls[i].index);
    do {
      at = at->nextInFocusChain();
    } while (qobject_cast<QLabel*>(at));
    EXPECT_EQ(at, expected) << "after TabIndex " << controls[i - 1].tabIndex;
  }
}

// Next to the test executable, whatever the working directory; written under
// another name and renamed, so two runs at once never leave half a file.
TEST_F(QtMainWindowTest, ScreenshotIsSavedForAPersonToLookAt) {
  QMainWindow* w = mainWidget();
  const QPixmap shot = w->grab();
  EXPECT_EQ(shot.size() / shot.devicePixelRatio(), w->size());
  QSaveFile file(QCoreApplication::applicationDirPath() + "/frmMain.png");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
  EXPECT_TRUE(shot.save(&file, "PNG"));
  EXPECT_TRUE(file.commit()) << file.errorString().toStdString();
  RecordProperty("screenshot", file.fileName().toStdString());
}

TEST_F(QtMainWindowTest, ClicksReachTheWindowsHandlers) {
  QTest::mouseClick(widget("cmdReveal"), Qt::LeftButton);
  EXPECT_EQ(labelText("lblAnswer"), "C");
  QTest::mouseClick(widget("chkPitch", 3), Qt::LeftButton);
  EXPECT_FALSE(qobject_cast<QCheckBox*>(widget("chkPitch", 3))->isChecked());
  EXPECT_FALSE(widget("cmdResponse", 3)->isEnabled()) << "clearing a pitch box disables its button";
  QTest::mouseClick(widget("cmdGo"), Qt::LeftButton);
  EXPECT_EQ(qobject_cast<QAbstractButton*>(widget("cmdGo"))->text(), "Repeat");
}

}  // namespace
}  // namespace velmora::test
