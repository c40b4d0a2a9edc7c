// What only the Windows file layer does, on real files.

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "TransferFixture.h"
#include "files/JournalImage.h"
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
  const std::string shown[] = {Refused("open", "NUL", "Not a regular file"),
                               Refused("open", "CON", "Not a regular file"),
                               Refused("open", folder.File(""), "Is a directory")};
  const TransferSettings named[] = {{"NUL", to}, {from, "CON"}, {from, folder.File("")}};
  for (int i = 0; i < 3; ++i) {
    prompt.shown.clear();
    TransferRange(named[i], "0", "FF", prompt);
    EXPECT_EQ(prompt.shown, shown[i]);
  }
  // A journal, valid in every other way, of a write cut short, that another user owns. No
  // program can give a file another owner, so the build makes one and names it here.
  const char* othersJournal = std::getenv("ZARVELLO_OTHER_USERS_JOURNAL");
  if (othersJournal == nullptr) GTEST_SKIP() << "ZARVELLO_OTHER_USERS_JOURNAL names no file";
  const std::string othersRom =
      std::string(othersJournal).substr(0, std::strlen(othersJournal) - 17);
  const std::string written = Overwritten(target, 0x100, std::string(0x4000, 'x'));
  Write(othersRom, written);
  JournalImage image(
      {OpenRomFile(othersRom, PlatformFile::Access::Read).Facts().identity, 0x100, 0x6000, 0x4000},
      std::vector<std::byte>(0x4000, std::byte{'x'}));
  std::memcpy(image.OldBytes().data(), target.data() + 0x100, 0x4000);
  image.Seal();
  std::ofstream(othersJournal, std::ios::binary) << AsText(image.Bytes());
  prompt.shown.clear();
  TransferRange({from, othersRom}, "100", "40FF", prompt);
  EXPECT_EQ(prompt.shown, Refused("use", othersJournal, kNotOurJournal));
  EXPECT_PRED_FORMAT2(SameBytes, Read(othersRom), written);
}

}  // namespace zarvello::testing
