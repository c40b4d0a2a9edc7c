#include "ui/FileDrop.h"

#include <utility>

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace zarvello {
namespace {

// The one local file a drag carries; empty when it carries anything else.
QString DraggedFile(const QMimeData* data) {
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1) return {};
  // Empty for a web address.
  const QString path = urls.front().toLocalFile();
  return QFileInfo(path).isDir() ? QString() : path;
}

}  // namespace

FileDrop::FileDrop(QWidget* frame, std::function<void(const QString&)> take)
    : QObject(frame), take_(std::move(take)) {
  // A drag over any control then reaches the frame.
  for (QWidget* control : frame->findChildren<QWidget*>()) control->setAcceptDrops(false);
  frame->setAcceptDrops(true);
  frame->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  const QString path = DraggedFile(drop->mimeData());
  // Only ever a copy: a drop taken as a move would have the file manager delete the file.
  if (path.isEmpty() || !drop->possibleActions().testFlag(Qt::CopyAction)) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) take_(path);
  return true;
}

}  // namespace zarvello
