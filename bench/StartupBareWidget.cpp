// The least a Qt program does to show a window: the baseline for StartupForm1.

#include <QApplication>
#include <QWidget>

#include "QuitWhenExposed.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget widget;
  QuitWhenExposed quit(widget);
  widget.show();
  return application.exec();
}
