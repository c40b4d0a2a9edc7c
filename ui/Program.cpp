#include "Program.h"

#include <csignal>

namespace zarvello {

Program::Program(int& argc, char** argv)
    : application_(argc, argv), dialogs_(prompt_), form_(prompt_, dialogs_) {
  // A write that meets a file-size limit must fail and be reported, not end
  // the program and leave a half-written ROM behind.
  std::signal(SIGXFSZ, SIG_IGN);

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
