// What only the Windows file layer does, on real files.

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
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
  // A journal, valid in every other way, of a write cut short, that another user owns.
  const std::string written = Overwritten(target, 0x100, std::string(0x4000, 'x'));
  Write(to, written);
  const std::vector<std::byte> xs(0x4000, std::byte{'x'});
  JournalImage image({held->Facts().identity, 0x100, 0x6000, 0x4000}, xs);
  std::memcpy(image.OldBytes().data(), target.data() + 0x100, 0x4000);
  image.Seal();
  held.reset();
  Write(journal,
        std::string(reinterpret_cast<const char*>(image.Bytes().data()), image.Bytes().size()));
  PSID users = nullptr;
  ASSERT_TRUE(::ConvertStringSidToSidW(L"S-1-5-32-545", &users));
  ASSERT_EQ(::SetNamedSecurityInfoW(Utf8Path(journal).wstring().data(), SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION, users, nullptr, nullptr, nullptr),
            DWORD{ERROR_SUCCESS});
  ::LocalFree(users);
  prompt.shown.clear();
  range();
  EXPECT_EQ(prompt.shown,
            Refused("use", journal,
                    "This is not a journal that Zarvello wrote for you: its owner's next transfer "
                    "into the file puts the file back, and removing it gives up that put-back."));
  EXPECT_PRED_FORMAT2(SameBytes, Read(to), written);
  // Names beyond ASCII, and names of devices and folders, which are refused.
  const std::string roms[] = {folder.File("Früh ロム.smc"), folder.File("→ Ziel.smc")};
  Write(roms[0], source);
  const std::string shown[] = {kRangeDone, Refused("open", "NUL", "Not a regular file"),
                               Refused("open", "CON", "Not a regular file"),
                               Refused("open", folder.File(""), "Is a directory")};
  const TransferSettings named[] = {
      {roms[0], roms[1]}, {"NUL", to}, {from, "CON"}, {from, folder.File("")}};
  for (int i = 0; i < 4; ++i) {
    prompt.shown.clear();
    TransferRange(named[i], "0", "FF", prompt);
    EXPECT_EQ(prompt.shown, shown[i]);
  }
  EXPECT_PRED_FORMAT2(SameBytes, Read(roms[1]), source.substr(0, 0x100));
}

}  // namespace zarvello::testing
