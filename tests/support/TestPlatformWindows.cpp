#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>

#include "FileCallFaults.h"
#include "Files.h"

namespace zarvello::testing {

void PrepareChild(const std::string&) {}

void LetOthersWrite(const std::string& path) {
  PSECURITY_DESCRIPTOR everyone = nullptr;
  ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;FA;;;WD)", SDDL_REVISION_1,
                                                         &everyone, nullptr);
  ::SetFileSecurityW(Utf8Path(path).wstring().c_str(), DACL_SECURITY_INFORMATION, everyone);
  ::LocalFree(everyone);
}

bool OnlyItsOwnerMayUse(const std::string& path) {
  PSID owner = nullptr;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoW(Utf8Path(path).wstring().data(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool alone = list != nullptr;
  for (DWORD i = 0; alone && i < list->AceCount; ++i) {
    void* entry = nullptr;
    alone = ::GetAce(list, i, &entry) &&
            static_cast<ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE;
    const PSID sid = alone ? &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart : nullptr;
    alone = alone && (::EqualSid(sid, owner) || ::IsWellKnownSid(sid, WinLocalSystemSid));
  }
  ::LocalFree(descriptor);
  return alone;
}

// Under Wine a file's owner is its Unix owner, which no Windows program can
// change, and its owner is always listed as allowed to change its access
// list: a file that others may write stands in.
void PlaceAnotherUsersFile(const std::string& path) {
  Write(path, "");
  LetOthersWrite(path);
}

}  // namespace zarvello::testing
