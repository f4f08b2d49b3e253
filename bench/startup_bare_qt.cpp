// The baseline: a bare Qt program that shows a window of 49 push buttons, ended
// on the event loop's first pass; with --stay it reports that pass and stays
// open (the baseline for idle processor time and memory) until it is ended.
#include <QApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <memory>

#include "startup_first_pass.h"

namespace {
constexpr int kButtons = 49;
constexpr int kColumns = 5;
constexpr int kButtonWidthPx = 80;
constexpr int kButtonHeightPx = 22;
constexpr int kGapPx = 4;
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto content = std::make_unique<QWidget>();
  for (int i = 0; i < kButtons; ++i) {
    auto button = std::make_unique<QPushButton>(QString("Button %1").arg(i), content.get());
    button->setGeometry((i % kColumns) * (kButtonWidthPx + kGapPx),
                        (i / kColumns) * (kButtonHeightPx + kGapPx), kButtonWidthPx,
                        kButtonHeightPx);
    button.release();  // owned by `content`
  }
  content->setFixedSize(kColumns * (kButtonWidthPx + kGapPx), 10 * (kButtonHeightPx + kGapPx));
  window.setCentralWidget(content.release());  // owned by `window`
  window.show();
  const bool stay = argc > 1 && std::strcmp(argv[1], "--stay") == 0;
  QTimer::singleShot(0, [stay] {
    velmora::bench::reportFirstPass();
    if (!stay) QCoreApplication::quit();
  });
  return QApplication::exec();
}
