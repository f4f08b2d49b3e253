// Windows and their controls: a QMainWindow per framework Window, a widget per
// push button, check box and label, and the mirror of their state.
#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/backends/qt/qt_toolkit.h"
#include "platform/backends/qt/qt_util.h"
#include "platform/controls.h"
#include "platform/window.h"

namespace platform::qt {

class MainWindowWidget final : public QMainWindow {
 public:
  explicit MainWindowWidget(QtToolkit& toolkit) : toolkit_(toolkit) {}

 protected:
  // The close button asks the core; the widget goes only when the core closed the window.
  void closeEvent(QCloseEvent* event) override {
    if (toolkit_.closeRequested(this)) {
      event->accept();
    } else {
      event->ignore();
    }
  }

 private:
  QtToolkit& toolkit_;
};

namespace {

// StaticText.TextAlign: 0 is the platform's default (left), then left, centre, right.
constexpr int32_t kAlignCenter = 2;
constexpr int32_t kAlignRight = 3;
// The font face that stands for the platform's default font.
constexpr std::string_view kSystemFont = "System";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

QColor toQColor(Color c) { return QColor(c.r, c.g, c.b); }

// Title-bar buttons as the window's properties say. A window that cannot be
// resized gets no maximise button, whatever MaximizeButton says.
Qt::WindowFlags windowFlags(const Window& window) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (window.CloseButton()) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (window.MinimizeButton()) flags |= Qt::WindowMinimizeButtonHint;
  if (window.MaximizeButton() && window.Resizeable()) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

// TextFont "System" with TextSize 0 and no style is the platform's default font,
// inherited rather than set, so that it follows the desktop's settings.
void applyFont(const RectControl& control, QWidget& widget) {
  const bool systemFace =
      control.TextFont().empty() || equalsIgnoringCase(control.TextFont(), kSystemFont);
  if (systemFace && control.TextSize() <= 0 && !control.Bold() && !control.Italic() &&
      !control.Underline()) {
    if (widget.testAttribute(Qt::WA_SetFont)) widget.setFont(QFont());  // back to inheriting
    return;
  }
  QFont font;
  if (!systemFace) font.setFamily(toQString(control.TextFont()));
  if (control.TextSize() > 0) font.setPointSize(control.TextSize());
  font.setBold(control.Bold());
  font.setItalic(control.Italic());
  font.setUnderline(control.Underline());
  widget.setFont(font);
}

// Room a push button keeps between its caption and each side, in pixels.
constexpr int kButtonTextPaddingPx = 4;
// The smallest point size a caption is shrunk to, and the sizes' step.
constexpr double kMinFitPointSize = 7.0;
constexpr double kFitStepPoints = 0.5;

// How much wider than `widthPx` the caption is (0 when it fits), in pixels.
int captionOverflowPx(const QWidget& widget, int widthPx) {
  int needed = 0;
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
    needed = button->fontMetrics().horizontalAdvance(button->text()) + 2 * kButtonTextPaddingPx;
  } else if (const auto* label = qobject_cast<const QLabel*>(&widget); label && label->wordWrap()) {
    return 0;
  } else {
    needed = widget.sizeHint().width();  // a box's square, spacing and caption; a label's text
  }
  return std::max(needed - widthPx, 0);
}

// A caption wider than its control under the platform's default size (TextSize
// 0) is shown a little smaller rather than cut off; the rectangle stays as given.
void fitCaption(const RectControl& control, QWidget& widget) {
  if (control.TextSize() > 0) return;
  QFont font = widget.font();
  for (int overflow = captionOverflowPx(widget, control.Width());
       overflow > 0 && font.pointSizeF() - kFitStepPoints >= kMinFitPointSize;
       overflow = captionOverflowPx(widget, control.Width())) {
    // Text width scales with the point size: go straight to about the size that
    // fits (each size tried costs a font load), then step down if still short.
    const int textPx = widget.fontMetrics().horizontalAdvance(
        qobject_cast<const QAbstractButton*>(&widget)
            ? static_cast<const QAbstractButton&>(widget).text()
            : static_cast<const QLabel&>(widget).text());
    double size = font.pointSizeF() - kFitStepPoints;
    if (textPx > overflow) {
      const double scaled = font.pointSizeF() * (textPx - overflow) / textPx;
      size = std::min(size, std::floor(scaled / kFitStepPoints) * kFitStepPoints);
    }
    font.setPointSizeF(std::max(size, kMinFitPointSize));
    widget.setFont(font);
  }
}

// Black text is taken as the platform's text colour, so a label stays readable
// under a dark desktop theme; any other colour is shown as given.
void applyLabel(const StaticText& text, QLabel& label) {
  label.setText(toQString(text.Text()));
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (text.TextAlign() == kAlignCenter) horizontal = Qt::AlignHCenter;
  if (text.TextAlign() == kAlignRight) horizontal = Qt::AlignRight;
  label.setAlignment(horizontal | Qt::AlignVCenter);
  label.setWordWrap(text.MultiLine());
  if (text.TextColor() == Color{0, 0, 0}) {
    label.setPalette(QPalette());  // inherit the platform's
  } else {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, toQColor(text.TextColor()));
    label.setPalette(palette);
  }
}

}  // namespace

QtToolkit::Shown* QtToolkit::shownFor(const Window& window) const {
  for (const auto& shown : shown_) {
    if (shown->window == &window) return shown.get();
  }
  return nullptr;
}

QtToolkit::Shown* QtToolkit::shownFor(const QWidget* topLevel) const {
  for (const auto& shown : shown_) {
    if (shown->widget.get() == topLevel) return shown.get();
  }
  return nullptr;
}

QMainWindow* QtToolkit::windowWidget(const Window& window) const {
  const Shown* shown = shownFor(window);
  return shown ? shown->widget.get() : nullptr;
}

QWidget* QtToolkit::widgetFor(const Object& control) const {
  const auto found = controls_.find(&control);
  return found == controls_.end() ? nullptr : found->second.widget;
}

void QtToolkit::showWindow(Window& window) {
  if (!app_) return;
  Shown* shown = shownFor(window);
  if (!shown) {
    auto fresh = std::make_unique<Shown>();
    fresh->window = &window;
    fresh->widget = std::make_unique<MainWindowWidget>(*this);
    fresh->widget->setCentralWidget(adoptedBy(fresh->widget.get(), std::make_unique<QWidget>()));
    shown = fresh.get();
    shown_.push_back(std::move(fresh));
    buildMenuBar(*shown);
    applyWindowState(*shown);
  }
  buildControls(*shown);  // those registered since the window was last shown
  if (window.Visible()) shown->widget->show();
}

void QtToolkit::applyWindowState(Shown& shown) {
  const Window& window = *shown.window;
  QMainWindow& widget = *shown.widget;
  QWidget& content = *widget.centralWidget();

  widget.setWindowTitle(toQString(window.Title()));
  if (widget.windowFlags() != windowFlags(window)) {
    const bool wasVisible = widget.isVisible();
    widget.setWindowFlags(windowFlags(window));  // hides a shown window
    if (wasVisible) widget.show();
  }
  widget.menuBar()->setVisible(window.MenuBarVisible() && window.MenuBar());
  if (window.HasBackColor()) {
    QPalette palette = content.palette();
    palette.setColor(QPalette::Window, toQColor(window.BackColor()));
    content.setPalette(palette);
    content.setAutoFillBackground(true);
  }

  // Width and Height are the content's; the menu bar sits outside it.
  content.setFixedSize(std::max(window.Width(), 1), std::max(window.Height(), 1));
  if (window.Resizeable()) {
    widget.layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    widget.adjustSize();
    content.setMinimumSize(std::max(window.minWidth, 1), std::max(window.minHeight, 1));
    content.setMaximumSize(std::min(window.maxWidth, QWIDGETSIZE_MAX),
                           std::min(window.maxHeight, QWIDGETSIZE_MAX));
  } else {
    widget.layout()->setSizeConstraint(QLayout::SetFixedSize);
    widget.adjustSize();
  }
}

void QtToolkit::buildControls(Shown& shown) {
  QWidget* content = shown.widget->centralWidget();
  std::vector<std::pair<int32_t, QWidget*>> focusChain;
  for (const auto& [name, object] : shown.window->controls()) {
    Object* control = object.get();
    QWidget* widget = widgetFor(*control);
    if (!widget) {
      widget = makeControlWidget(control, content);
      if (!widget) continue;  // timers and note players have nothing to show
      widget->setObjectName(toQString(name));
      shown.controls.push_back(control);
      controls_[control] = ControlLink{&shown, widget};
      applyControlState(*control, *widget, std::nullopt);
    }
    if (widget->focusPolicy() & Qt::TabFocus) {
      focusChain.emplace_back(static_cast<const RectControl*>(control)->TabIndex(), widget);
    }
  }
  // Tab moves through the controls in the order of their TabIndex.
  std::stable_sort(focusChain.begin(), focusChain.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 1; i < focusChain.size(); ++i) {
    QWidget::setTabOrder(focusChain[i - 1].second, focusChain[i].second);
  }
}

QWidget* QtToolkit::makeControlWidget(Object* control, QWidget* content) {
  if (dynamic_cast<PushButton*>(control)) {
    auto* button = adoptedBy(content, std::make_unique<QPushButton>());
    QObject::connect(button, &QPushButton::clicked, button,
                     [this, control] { controlClicked(control); });
    return button;
  }
  if (dynamic_cast<CheckBox*>(control)) {
    auto* box = adoptedBy(content, std::make_unique<QCheckBox>());
    QObject::connect(box, &QCheckBox::clicked, box, [this, control] { controlClicked(control); });
    return box;
  }
  if (dynamic_cast<StaticText*>(control)) {
    auto* label = adoptedBy(content, std::make_unique<QLabel>());
    label->setTextFormat(Qt::PlainText);
    return label;
  }
  return nullptr;
}

void QtToolkit::applyControlState(const Object& object, QWidget& widget,
                                  std::optional<Change> what) {
  const auto* control = dynamic_cast<const RectControl*>(&object);
  if (!control) return;
  const auto touches = [&](Change change) { return !what || *what == change; };

  if (touches(Change::Geometry)) {
    widget.setGeometry(control->Left(), control->Top(), control->Width(), control->Height());
  }
  if (touches(Change::Enabled)) widget.setEnabled(control->Enabled());
  if (touches(Change::Visible)) widget.setVisible(control->Visible());
  if (touches(Change::Font)) applyFont(*control, widget);
  if (!what) {
    widget.setToolTip(toQString(control->HelpTag()));
    if (!dynamic_cast<const StaticText*>(control)) {
      widget.setFocusPolicy(control->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    }
  }

  if (const auto* button = dynamic_cast<const PushButton*>(control)) {
    auto& pushButton = static_cast<QPushButton&>(widget);
    if (touches(Change::Caption)) pushButton.setText(toQString(button->Caption()));
    if (!what) pushButton.setDefault(button->Default());
  } else if (const auto* box = dynamic_cast<const CheckBox*>(control)) {
    auto& checkBox = static_cast<QCheckBox&>(widget);
    if (touches(Change::Caption)) checkBox.setText(toQString(box->Caption()));
    if (touches(Change::Value)) {
      const QSignalBlocker quiet(checkBox);
      checkBox.setChecked(box->Value());
    }
  } else if (const auto* text = dynamic_cast<const StaticText*>(control)) {
    if (touches(Change::Text) || touches(Change::Caption))
      applyLabel(*text, static_cast<QLabel&>(widget));
  }

  if (touches(Change::Caption) || touches(Change::Text) || touches(Change::Font) ||
      touches(Change::Geometry)) {
    if (what) applyFont(*control, widget);  // start again from the size asked for
    fitCaption(*control, widget);
  }
}

void QtToolkit::changed(Object& object, Change what) {
  if (auto* window = dynamic_cast<Window*>(&object)) {
    Shown* shown = shownFor(*window);
    if (!shown) {
      // A window opened hidden appears when it becomes visible.
      if (what == Change::Visible && window->Visible() && window->isOpen()) showWindow(*window);
      return;
    }
    if (what == Change::MenuBar) {
      buildMenuBar(*shown);
    } else if (what == Change::Visible) {
      shown->widget->setVisible(window->Visible());
    } else {
      applyWindowState(*shown);
    }
    return;
  }
  const auto found = controls_.find(&object);
  if (found != controls_.end()) applyControlState(object, *found->second.widget, what);
}

void QtToolkit::controlClicked(Object* control) {
  const auto found = controls_.find(control);
  if (found == controls_.end()) return;
  auto* rect = dynamic_cast<RectControl*>(control);
  if (!rect) return;
  Ref<Object> keep(control);  // the handler may close the window, dropping the control
  guarded([rect] { rect->click(); });
  // Qt toggled its box before the click came here; the core's Value is the truth
  // (a click the core refuses leaves it as it was).
  if (auto* box = dynamic_cast<CheckBox*>(rect)) {
    const auto stillShown = controls_.find(control);
    if (stillShown != controls_.end())
      applyControlState(*box, *stillShown->second.widget, Change::Value);
  }
}

bool QtToolkit::closeRequested(const QWidget* widget) {
  Shown* shown = shownFor(widget);
  if (!shown) return true;  // already closed by the core
  Ref<Window> window(shown->window);
  guarded([&window] { window->userClose(); });
  return !shownFor(widget);
}

void QtToolkit::closeWindow(Window& window) {
  const auto found = std::find_if(shown_.begin(), shown_.end(),
                                  [&](const auto& shown) { return shown->window == &window; });
  if (found == shown_.end()) return;
  Shown& shown = **found;
  for (const Object* control : shown.controls) controls_.erase(control);
  for (const auto& [item, action] : shown.menuItems) menuActions_.erase(action);
  std::unique_ptr<QMainWindow> widget = std::move(shown.widget);
  shown_.erase(found);
  widget->hide();
  // Possibly inside the widget's own close event: Qt deletes it once that is over.
  widget.release()->deleteLater();
}

}  // namespace platform::qt
