// The window's menu bar, built from the framework's MenuBar tree: the bar's
// children are menu titles, an item with children is a submenu, "-" is a
// separator, and "&" marks the mnemonic as it does in Qt.
#include "platform/backends/qt/qt_menu.h"

#include <QMenu>
#include <QMenuBar>
#include <QStringList>

#include "platform/backends/qt/qt_toolkit.h"
#include "platform/backends/qt/qt_util.h"
#include "platform/menu.h"
#include "platform/window.h"

namespace platform::qt {

QKeySequence keySequenceFor(std::string_view shortcut) {
  if (shortcut.empty()) return {};
  QStringList parts = toQString(shortcut).split('+');
  for (QString& part : parts) {
    if (part.compare("Cmd", Qt::CaseInsensitive) == 0 ||
        part.compare("Command", Qt::CaseInsensitive) == 0) {
      part = "Ctrl";
    }
  }
  return QKeySequence::fromString(parts.join('+'), QKeySequence::PortableText);
}

QAction* QtToolkit::actionFor(const MenuItem& item) const {
  for (const auto& shown : shown_) {
    for (const auto& [shownItem, action] : shown->menuItems) {
      if (shownItem == &item) return action;
    }
  }
  return nullptr;
}

void QtToolkit::buildMenuBar(Shown& shown) {
  for (const auto& [item, action] : shown.menuItems) menuActions_.erase(action);
  shown.menuItems.clear();
  // A fresh bar: QMainWindow takes it and deletes the old one with its menus.
  QMenuBar* qbar = std::make_unique<QMenuBar>().release();
  shown.widget->setMenuBar(qbar);
  const Ref<MenuBar>& bar = shown.window->MenuBar();
  if (!bar) return;
  for (int32_t i = 0; i < bar->Count(); ++i) {
    const Ref<MenuItem> title = bar->Item(i);
    if (title) addMenuItem(shown, *qbar, *title, true);
  }
}

template <class Container>
void QtToolkit::addMenuItem(Shown& shown, Container& container, MenuItem& item, bool isTitle) {
  if (item.isSeparator()) {
    container.addSeparator();
    return;
  }
  if (isTitle || item.Count() > 0) {
    QMenu* menu = container.addMenu(toQString(item.Text()));
    menu->menuAction()->setEnabled(item.Enabled());
    shown.menuItems.emplace_back(&item, menu->menuAction());
    for (int32_t i = 0; i < item.Count(); ++i) {
      const Ref<MenuItem> child = item.Item(i);
      if (child) addMenuItem(shown, *menu, *child, false);
    }
    return;
  }
  QAction* action = container.addAction(toQString(item.Text()));
  action->setShortcut(keySequenceFor(item.KeyboardShortcut()));
  action->setEnabled(item.Enabled());
  shown.menuItems.emplace_back(&item, action);
  menuActions_[action] = &item;
  QObject::connect(action, &QAction::triggered, action, [this, action] { menuChosen(action); });
}

void QtToolkit::menuChosen(const QAction* action) {
  const auto found = menuActions_.find(action);
  if (found == menuActions_.end()) return;
  Ref<MenuItem> item(found->second);  // choosing may close the window and drop its bar
  guarded([&item] { item->choose(); });
}

}  // namespace platform::qt
