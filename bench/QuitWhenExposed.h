#pragma once
// Ends the event loop as soon as the widget's window is first exposed, so a
// start-up measurement covers exactly "until the window can be seen".

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

class QuitWhenExposed : public QObject {
 public:
  explicit QuitWhenExposed(QWidget& widget) {
    widget.winId();  // makes the native window, so it can be watched
    widget.windowHandle()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      QCoreApplication::quit();
    }
    return false;
  }
};
