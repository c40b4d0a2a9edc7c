#include "ui/QtMessagePrompt.h"

#include <QMessageBox>

namespace zarvello {

PromptAnswer QtMessagePrompt::Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                                   const std::string& title) {
  QMessageBox box(
      icon == PromptIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
      QString::fromStdString(title.empty() ? std::string(kApplicationTitle) : title),
      QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
      buttons == PromptButtons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No, window_);
  // A path is shown as it is: "<i>" or "&amp;" in it must not turn into markup.
  box.setTextFormat(Qt::PlainText);
  if (buttons == PromptButtons::YesNo) box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    default:
      return PromptAnswer::Ok;
  }
}

}  // namespace zarvello
