// What only the Windows file layer does, on real files.

#include <cstdlib>
#include <cstring>
#include <optional>

#include <gtest/gtest.h>

#include "TransferFixture.h"
#include "files/RomFile.h"

namespace zarvello::testing {

TEST_F(TransferTest, OnWindowsLocksNamesOwnersAndDevicesAreHonoured) {
  // A file another transfer holds is refused on either side.
  WriteFiles(0x5000, 0x6000);
  std::optional<PlatformFile> held = OpenRomFile(to, PlatformFile::Access::ReadWrite);
  ASSERT_TRUE(held->TryLock(PlatformFile::Lock::Exclusive));
  for (const auto& [sides, verb] :
       {std::pair{TransferSettings{to, from}, "read"}, {settings, "write"}}) {
    prompt.shown.clear();
    TransferRange(sides, "100", "40FF", prompt);
    EXPECT_EQ(prompt.shown, Refused(verb, to, kBusy));
  }
  held.reset();
  // Names of devices, and of folders, are refused.
  for (const auto& [sides, refused] :
       {std::pair{TransferSettings{"NUL", to}, "NUL"}, {{from, "CON"}, "CON"}}) {
    prompt.shown.clear();
    TransferRange(sides, "0", "FF", prompt);
    EXPECT_EQ(prompt.shown, Refused("open", refused, "Not a regular file"));
  }
  prompt.shown.clear();
  TransferRange({from, folder.File("")}, "0", "FF", prompt);
  EXPECT_EQ(prompt.shown, Refused("open", folder.File(""), "Is a directory"));
  // Anything another user owns at the journal's path is neither used nor deleted. No
  // program can give a file another owner, so the build makes one and names it here.
  const char* othersJournal = std::getenv("ZARVELLO_OTHER_USERS_JOURNAL");
  if (othersJournal == nullptr) GTEST_SKIP() << "ZARVELLO_OTHER_USERS_JOURNAL names no file";
  const std::string othersRom =
      std::string(othersJournal).substr(0, std::strlen(othersJournal) - 17);
  prompt.shown.clear();
  TransferRange({from, othersRom}, "100", "40FF", prompt);
  EXPECT_EQ(prompt.shown, Refused("use", othersJournal, kNotOurJournal));
  EXPECT_TRUE(fs::exists(Utf8Path(othersJournal)));
}

}  // namespace zarvello::testing
