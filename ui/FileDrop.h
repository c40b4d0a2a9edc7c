#pragma once
// Lets a frame take a file dropped onto it or onto any control inside it:
// one local file that is not a folder. Anything else (several files, a
// folder, a web address, text) is refused while it is dragged over the
// frame. The frame's controls give up drops of their own, so that a path
// box never takes dropped text.

#include <functional>

#include <QObject>
#include <QString>

class QWidget;

namespace zarvello {

class FileDrop : public QObject {
 public:
  // `take` gets the dropped file's path.
  FileDrop(QWidget* frame, std::function<void(const QString&)> take);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(const QString&)> take_;
};

}  // namespace zarvello
