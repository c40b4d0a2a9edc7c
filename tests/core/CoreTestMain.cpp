// The core tests, and the children they start: the same program, which a
// flag tells to run one transfer.

#include <string_view>

#include <gtest/gtest.h>

#include "ChildTransfer.h"

int main(int argc, char** argv) {
  using namespace zarvello::testing;
  UseFaultyFiles();
  if (argc == 3 && argv[1] == std::string_view(kChildFlag)) return RunChildTransfer(argv[2]);
  SetTestProgram(argv[0]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
