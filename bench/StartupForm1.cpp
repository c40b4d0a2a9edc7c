// Starts the program as main does and quits once its window is exposed.

#include "Program.h"
#include "QuitWhenExposed.h"

int main(int argc, char* argv[]) {
  zarvello::Program program(argc, argv);
  QuitWhenExposed quit(program.Window());
  return program.Run();
}
