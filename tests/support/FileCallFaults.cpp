// Test-only stand-ins for the calls with which the program changes files,
// and for open, which creates them. Linked into a test program they take the
// program's calls and pass them on, unless a test armed them (in a child, as
// they stop or break it). Armed for a cut, they keep what a power cut would
// take back: each file's bytes as of its last flush, and the folder entries
// made or removed since their folder's last flush.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "FileCallFaults.h"
#include "Files.h"

namespace zarvello::testing {
namespace {

constexpr std::size_t kPage = 4096;

int brokenCall = 0, calls = 0;
Fault fault = Fault::Fail;
std::string failingFile;
std::string changedPath;
std::function<void()> change;
std::map<std::string, std::string> flushedBytes;  // of the files changed since their last flush
std::vector<std::pair<std::string, std::optional<std::string>>> unflushedEntries;  // bytes: removed

bool CutArmed() { return brokenCall > 0 && fault <= Fault::LoseDataAfterPage; }

template <typename Call>
Call* Next(const char* name) {
  return reinterpret_cast<Call*>(::dlsym(RTLD_NEXT, name));
}

std::string OpenedPath(int descriptor) {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(descriptor), error);
}

std::string Surviving(const std::string& flushed, const std::string& now) {
  if (fault == Fault::LoseAll) return flushed;
  // Lost from a page boundary halfway through the changed bytes, or after their first page.
  std::size_t first = 0, last = std::max(flushed.size(), now.size());
  while (first < std::min(flushed.size(), now.size()) && flushed[first] == now[first]) ++first;
  while (flushed.size() == now.size() && last > first && flushed[last - 1] == now[last - 1]) --last;
  const std::size_t kept = std::max(first / kPage + 1, (first + last) / 2 / kPage) * kPage;
  return kept >= now.size() ? now
                            : now.substr(0, kept) + flushed.substr(std::min(kept, flushed.size()));
}

[[noreturn]] void Cut() {
  for (const auto& [path, flushed] : flushedBytes) {
    if (fault != Fault::Kill) Write(path, Surviving(flushed, Read(path)));
  }
  const bool undoEntries = fault == Fault::LoseAll || fault == Fault::LoseAfterPage;
  for (auto entry = unflushedEntries.rbegin(); undoEntries && entry != unflushedEntries.rend();
       ++entry) {
    if (!entry->second) Next<decltype(::unlink)>("unlink")(entry->first.c_str());
    // Only journals are removed, and they are their owner's alone.
    if (entry->second) Write(entry->first, *entry->second), ::chmod(entry->first.c_str(), 0600);
  }
  ::_exit(0);
}

// Counts the call, and keeps the bytes a change would lose; true when the test made it fail.
bool Failed(int descriptor, bool changesBytes = false) {
  const std::string path = OpenedPath(descriptor);
  if (changesBytes && CutArmed() && !flushedBytes.contains(path)) flushedBytes[path] = Read(path);
  if (++calls == brokenCall && fault == Fault::Pause) ::raise(SIGSTOP);
  if (calls == brokenCall && CutArmed()) Cut();
  const bool fails = calls == brokenCall && fault == Fault::Fail;
  if (fails) failingFile = path;
  errno = EIO;
  return fails || (!failingFile.empty() && path == failingFile);
}

}  // namespace

void BreakFileCall(int n, Fault how) {
  calls = 0;
  brokenCall = n;
  fault = how;
}
void CutIfArmed() {
  if (CutArmed()) Cut();
}
void BeforeOpening(const std::string& path, std::function<void()> changeIt) {
  changedPath = path;
  change = std::move(changeIt);
}

}  // namespace zarvello::testing

using namespace zarvello::testing;

extern "C" int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = (flags & O_CREAT) ? va_arg(arguments, mode_t) : 0;
  va_end(arguments);
  if (path == changedPath) changedPath.clear(), change();
  struct stat status;
  const bool created = CutArmed() && (flags & O_CREAT) && ::lstat(path, &status) != 0;
  const int descriptor = Next<int(const char*, int, ...)>("open")(path, flags, mode);
  if (created && descriptor >= 0)
    unflushedEntries.emplace_back(OpenedPath(descriptor), std::nullopt);
  return descriptor;
}

extern "C" ssize_t pwrite(int descriptor, const void* data, size_t count, off_t offset) {
  static auto* const next = Next<decltype(::pwrite)>("pwrite");
  return Failed(descriptor, true) ? -1 : next(descriptor, data, count, offset);
}

extern "C" int ftruncate(int descriptor, off_t length) noexcept {
  static auto* const next = Next<decltype(::ftruncate)>("ftruncate");
  return Failed(descriptor, true) ? -1 : next(descriptor, length);
}

extern "C" int fsync(int descriptor) {
  static auto* const next = Next<decltype(::fsync)>("fsync");
  if (Failed(descriptor)) return -1;
  const std::string path = OpenedPath(descriptor);
  flushedBytes.erase(path);
  std::erase_if(unflushedEntries, [&](const auto& entry) {
    return std::filesystem::path(entry.first).parent_path() == path;
  });
  return next(descriptor);
}

// A file made since its folder's last flush comes back for a moment, then goes.
extern "C" int unlink(const char* path) noexcept {
  static auto* const next = Next<decltype(::unlink)>("unlink");
  if (Failed(-1)) return -1;
  if (auto flushed = flushedBytes.extract(path); CutArmed()) {
    unflushedEntries.emplace_back(path, flushed ? flushed.mapped() : Read(path));
  }
  return next(path);
}
