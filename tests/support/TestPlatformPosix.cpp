#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileCallFaults.h"
#include "Files.h"

namespace zarvello::testing {

constexpr uid_t kNobody = 65534;

void PrepareChild(const std::string& how) {
  // Root ignores file permissions.
  if (how == "nobody" && ::geteuid() == 0 &&
      (::setgroups(0, nullptr) || ::setgid(kNobody) || ::setuid(kNobody))) {
    std::_Exit(3);
  }
  if (how.starts_with("pipe:")) {
    BeforeOpening(how.substr(5), [path = how.substr(5)] {
      ::unlink(path.c_str());
      ::mkfifo(path.c_str(), 0600);
    });
  }
}

void LetOthersWrite(const std::string& path) { ::chmod(path.c_str(), 0660); }

bool OnlyItsOwnerMayUse(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && (status.st_mode & 07777) == 0600;
}

void PlaceAnotherUsersFile(const std::string& path) {
  Write(path, "");
  ::geteuid() == 0 ? (void)::chown(path.c_str(), kNobody, kNobody) : LetOthersWrite(path);
}

}  // namespace zarvello::testing
