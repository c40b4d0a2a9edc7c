#include "PeakMemory.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace zarvello::bench {

std::optional<std::int64_t> PeakResidentBytesInChild(const std::function<bool()>& operation) {
  // Heap that earlier runs freed but this process kept would count as the child's.
  ::malloc_trim(0);
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    // _exit: the child must not flush the parent's buffered output a second time.
    ::_exit(operation() ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  pid_t waited;
  do {
    waited = ::wait4(child, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  if (waited != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  // Linux reports ru_maxrss in KiB.
  return std::int64_t{usage.ru_maxrss} * 1024;
}

}  // namespace zarvello::bench
