// Opens the main window as the program does and quits once it is exposed.

#include <QApplication>

#include "Form1.h"
#include "QtDialogService.h"
#include "QtMessagePrompt.h"
#include "QuitWhenExposed.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  application.setWindowIcon(zarvello::Form1::Icon());
  zarvello::QtMessagePrompt prompt;
  zarvello::QtDialogService dialogs(prompt);
  zarvello::Form1 form(prompt, dialogs);
  prompt.SetWindow(&form);
  QuitWhenExposed quit(form);
  form.show();
  return application.exec();
}
