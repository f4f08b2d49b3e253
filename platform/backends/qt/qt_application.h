// The QApplication of the Qt toolkit: it hands every key press to the toolkit
// before Qt delivers it, so the window hears letter keys whichever of its
// controls has the focus.
#pragma once

#include <QApplication>

namespace platform::qt {

class QtToolkit;

class QtApplication final : public QApplication {
 public:
  QtApplication(int& argc, char** argv, QtToolkit& toolkit);
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QtToolkit& toolkit_;
};

}  // namespace platform::qt
