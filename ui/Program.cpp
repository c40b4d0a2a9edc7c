#include "ui/Program.h"

#include "files/Platform.h"

namespace zarvello {

Program::Program(int& argc, char** argv)
    : application_(argc, argv), dialogs_(prompt_), form_(prompt_, dialogs_) {
  PrepareProcessForFileErrors();

  application_.setApplicationName(QStringLiteral("Zarvello"));
  application_.setDesktopFileName(QStringLiteral("io.github.zarvello.Zarvello"));
  // The window's icon for the program as a whole, without reading it again.
  application_.setWindowIcon(form_.windowIcon());
  prompt_.SetWindow(&form_);
  dialogs_.SetWindow(&form_);
}

int Program::Run() {
  form_.show();
  return QApplication::exec();
}

}  // namespace zarvello
