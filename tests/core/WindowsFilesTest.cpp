// What only Windows has to refuse: the names of devices.

#include <gtest/gtest.h>

#include "TransferFixture.h"

namespace zarvello::testing {

TEST_F(TransferTest, OnWindowsTheNamesOfDevicesAndFoldersAreRefused) {
  WriteFiles(0x5000, 0x6000);
  for (const auto& [sides, refused, reason] :
       {std::tuple{TransferSettings{"NUL", to}, std::string("NUL"), "Not a regular file"},
        {{from, "CON"}, "CON", "Not a regular file"},
        {{from, folder.File("")}, folder.File(""), "Is a directory"}}) {
    prompt.shown.clear();
    TransferRange(sides, "0", "FF", prompt);
    EXPECT_EQ(prompt.shown, Refused("open", refused, reason));
  }
}

}  // namespace zarvello::testing
