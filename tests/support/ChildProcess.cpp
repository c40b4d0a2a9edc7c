#include "ChildProcess.h"

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include <gtest/gtest.h>

namespace zarvello::testing {

std::string RunInChild(const std::function<std::string()>& body) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::close(channel[0]);
    const std::string result = body();
    std::size_t done = 0;
    while (done < result.size()) {
      const ssize_t count = ::write(channel[1], result.data() + done, result.size() - done);
      if (count <= 0) ::_exit(2);
      done += static_cast<std::size_t>(count);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string result;
  char chunk[4096];
  ssize_t count;
  while ((count = ::read(channel[0], chunk, sizeof chunk)) > 0) result.append(chunk, count);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  return result;
}

void DropToUnprivilegedUser() {
  constexpr uid_t kNobody = 65534;
  if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
    ::_exit(3);
  }
}

void LimitFileSize(std::uint64_t maxBytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{maxBytes, maxBytes};
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(4);
}

}  // namespace zarvello::testing
