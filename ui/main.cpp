#include "ui/Program.h"

int main(int argc, char* argv[]) {
  zarvello::Program program(argc, argv);
  return program.Run();
}
