#pragma once
// The running program: the application with its name and icon, the window and
// the services the window talks through. main runs it, and the start-up
// benchmark runs the same, only watching for the window to be exposed.

#include <QApplication>

#include "dialogs/QtDialogService.h"
#include "ui/Form1.h"
#include "ui/QtMessagePrompt.h"

namespace zarvello {

class Program {
 public:
  // argc must outlive the program, as QApplication requires.
  Program(int& argc, char** argv);

  Form1& Window() { return form_; }
  // Shows the window and handles events until it is closed.
  int Run();

 private:
  QApplication application_;
  QtMessagePrompt prompt_;
  QtDialogService dialogs_;
  Form1 form_;
};

}  // namespace zarvello
