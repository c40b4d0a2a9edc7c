// Test-only stand-ins for the calls with which the program changes files:
// pwrite, ftruncate, fsync and unlink. Linked into a test program they take
// the program's calls and pass them on, unless a test armed them (in a child
// process, since they stop or break it).

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace zarvello::testing {
namespace {

int stopAt = 0, calls = 0;
std::filesystem::path failingFile;
bool failing = false;

bool StopsHere() { return stopAt > 0 && ++calls == stopAt; }

// From the first flush of the failing file on, every call on it fails.
bool Fails(int descriptor, bool isFlush) {
  if (failingFile.empty()) return false;
  std::error_code error;
  const auto file =
      std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(descriptor), error);
  failing = failing || (isFlush && file == failingFile);
  errno = EIO;
  return failing && file == failingFile;
}

}  // namespace

// The nth call from now on stops the process dead, as a kill would; a write
// lands only its first half.
void StopAtFileCall(int n) { stopAt = n; }
void FailFromFirstFlushOf(const std::string& path) {
  failingFile = std::filesystem::canonical(path);
}

}  // namespace zarvello::testing

using namespace zarvello::testing;

extern "C" ssize_t pwrite(int descriptor, const void* data, size_t count, off_t offset) {
  static auto* const next = reinterpret_cast<decltype(&pwrite)>(::dlsym(RTLD_NEXT, "pwrite"));
  if (StopsHere()) ::_exit(next(descriptor, data, count / 2, offset) < 0);
  return Fails(descriptor, false) ? -1 : next(descriptor, data, count, offset);
}

extern "C" int ftruncate(int descriptor, off_t length) noexcept {
  static auto* const next = reinterpret_cast<decltype(&ftruncate)>(::dlsym(RTLD_NEXT, "ftruncate"));
  if (StopsHere()) ::_exit(0);
  return Fails(descriptor, false) ? -1 : next(descriptor, length);
}

extern "C" int fsync(int descriptor) {
  static auto* const next = reinterpret_cast<decltype(&fsync)>(::dlsym(RTLD_NEXT, "fsync"));
  if (StopsHere()) ::_exit(0);
  return Fails(descriptor, true) ? -1 : next(descriptor);
}

extern "C" int unlink(const char* path) noexcept {
  static auto* const next = reinterpret_cast<decltype(&unlink)>(::dlsym(RTLD_NEXT, "unlink"));
  if (StopsHere()) ::_exit(0);
  return next(path);
}
