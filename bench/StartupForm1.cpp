// Starts the program as main does and quits once its window is exposed.

#include "QuitWhenExposed.h"
#include "ui/Program.h"

int main(int argc, char* argv[]) {
  zarvello::Program program(argc, argv);
  QuitWhenExposed quit(program.Window());
  return program.Run();
}
