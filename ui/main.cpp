// Starts the program: the application, its icon, the window and the services
// the window talks through.

#include <csignal>

#include <QApplication>

#include "Form1.h"
#include "QtDialogService.h"
#include "QtMessagePrompt.h"

int main(int argc, char* argv[]) {
  // A write that meets a file-size limit must fail and be reported, not end
  // the program and leave a half-written ROM behind.
  std::signal(SIGXFSZ, SIG_IGN);

  QApplication application(argc, argv);
  application.setApplicationName(QStringLiteral("Zarvello"));
  application.setDesktopFileName(QStringLiteral("io.github.zarvello.Zarvello"));
  application.setWindowIcon(zarvello::Form1::Icon());

  zarvello::QtMessagePrompt prompt;
  zarvello::QtDialogService dialogs(prompt);
  zarvello::Form1 form(prompt, dialogs);
  prompt.SetWindow(&form);
  form.show();
  return application.exec();
}
