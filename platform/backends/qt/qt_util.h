// Small helpers shared by the Qt toolkit's files.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <memory>
#include <string_view>

namespace platform::qt {

inline QString toQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Hands `child` to Qt's object tree: `parent` deletes it with itself.
template <class T>
T* adoptedBy(QWidget* parent, std::unique_ptr<T> child) {
  child->setParent(parent);
  return child.release();
}
template <class T>
T* adoptedBy(QObject* parent, std::unique_ptr<T> child) {
  child->setParent(parent);
  return child.release();
}

}  // namespace platform::qt
