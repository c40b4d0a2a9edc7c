// A file system in front of the platform's own that passes every call on,
// unless a test armed it. Armed for a cut, it keeps what a power cut would
// take back: each file's bytes as of its last flush, and the folder entries
// made or removed since they became durable. On POSIX systems only a flush
// of the folder makes them so. Windows has no such flush: its file system
// logs entries in order, and the flush of any file commits every entry
// logged before it.

#include "FileCallFaults.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "Files.h"
#include "files/Platform.h"

namespace zarvello::testing {
namespace {

constexpr std::size_t kPage = 4096;
using Opening = PlatformFile::Opening;

FileSystem& real = PlatformFileSystem();
int brokenCall = 0, calls = 0;
Fault fault = Fault::Fail;
std::string pauseMarker, failingFile, changedPath;
std::function<void()> change;
std::map<std::string, std::string> flushedBytes;  // of the files changed since their last flush
// Made (no bytes) or removed (the bytes a power cut brings back).
std::vector<std::pair<std::string, std::optional<std::string>>> unflushedEntries;

bool CutArmed() { return brokenCall > 0 && fault <= Fault::ZeroAfterPage; }

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("/\\")); }

std::string Surviving(const std::string& flushed, const std::string& now) {
  if (fault == Fault::LoseAll) return flushed;
  // Lost from a page boundary halfway through the changed bytes, or after their first page.
  std::size_t first = 0, last = std::max(flushed.size(), now.size());
  while (first < std::min(flushed.size(), now.size()) && flushed[first] == now[first]) ++first;
  while (flushed.size() == now.size() && last > first && flushed[last - 1] == now[last - 1]) --last;
  const std::size_t kept = std::max(first / kPage + 1, (first + last) / 2 / kPage) * kPage;
  if (kept >= now.size()) return now;
  std::string surviving = now.substr(0, kept) + flushed.substr(std::min(kept, flushed.size()));
  if (fault == Fault::ZeroAfterPage) surviving.resize(now.size(), '\0');
  return surviving;
}

// Through the platform's own calls: a journal that comes back is its owner's alone.
void Rewrite(const std::string& path, const std::string& bytes, Opening opening) {
  const auto file = real.Open(path, PlatformFile::Access::ReadWrite, opening);
  file->WriteAt(0, std::as_bytes(std::span(bytes)));
  file->Truncate(static_cast<std::int64_t>(bytes.size()));
}

[[noreturn]] void Cut() {
  for (const auto& [path, flushed] : flushedBytes) {
    if (fault != Fault::Kill) Rewrite(path, Surviving(flushed, Read(path)), Opening::Existing);
  }
  if (fault == Fault::LoseAll || fault == Fault::LoseAfterPage) {
    for (auto entry = unflushedEntries.rbegin(); entry != unflushedEntries.rend(); ++entry) {
      real.RemoveFile(entry->first);
      if (entry->second) Rewrite(entry->first, *entry->second, Opening::CreateNewPrivate);
    }
  }
  std::_Exit(0);
}

// Counts a call that changes nothing, where a pause is armed.
void Reached(const std::string& call, const std::string& path) {
  if (fault != Fault::Pause || ++calls != brokenCall) return;
  // Whole before it is seen.
  Write(pauseMarker + ".new", call + ' ' + path);
  std::filesystem::rename(Utf8Path(pauseMarker + ".new"), Utf8Path(pauseMarker));
  while (std::filesystem::exists(Utf8Path(pauseMarker)))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Counts a call that changes the file at path, and keeps the bytes a change
// would lose. The tests name each file by one name only.
void Before(const std::string& path, bool changesBytes) {
  if (changesBytes && CutArmed() && !flushedBytes.contains(path)) flushedBytes[path] = Read(path);
  if (fault == Fault::Pause) return Reached("change", path);
  const bool broken = ++calls == brokenCall;
  if (broken && CutArmed()) Cut();
  if (broken && fault >= Fault::Fail) failingFile = path;
  if ((broken && fault == Fault::Fail) || (fault == Fault::FailFromThenOn && path == failingFile))
    throw FileError(FileError::Action::Write, path, FileError::Cause::System, "Input/output error");
}

class FaultyFile final : public PlatformFile {
 public:
  explicit FaultyFile(std::unique_ptr<PlatformFile> file)
      : PlatformFile(file->Path()), file_(std::move(file)) {}

  FileFacts Facts() const override { return Reached("facts", Path()), file_->Facts(); }
  std::int64_t Length() const override { return Reached("length", Path()), file_->Length(); }
  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> buffer) const override {
    return Reached("read", Path()), file_->ReadAt(offset, buffer);
  }
  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    Before(Path(), true);
    file_->WriteAt(offset, data);
  }
  void Truncate(std::int64_t length) override { Before(Path(), true), file_->Truncate(length); }
  void Flush() override {
    Before(Path(), false);
    file_->Flush();
    flushedBytes.erase(Path());
    if (kWindows) unflushedEntries.clear();  // a file's flush commits the entries logged before
  }
  bool TryLock(Lock lock) override { return Reached("lock", Path()), file_->TryLock(lock); }

 private:
  std::unique_ptr<PlatformFile> file_;
};

class FaultyFiles final : public FileSystem {
 public:
  FileFacts LookAt(const std::string& path, bool followLinks) override {
    return Reached("look", path), real.LookAt(path, followLinks);
  }
  std::string ResolvedPath(const std::string& path) override {
    return Reached("resolve", path), real.ResolvedPath(path);
  }

  void RemoveFile(const std::string& path) override {
    Before(path, false);
    auto flushed = flushedBytes.extract(path);
    if (CutArmed() && real.LookAt(path, false).kind != FileKind::Missing) {
      unflushedEntries.emplace_back(path, flushed ? flushed.mapped() : Read(path));
    }
    real.RemoveFile(path);
  }

  void FlushFolderOf(const std::string& path) override {
    Before(Folder(path), false);
    real.FlushFolderOf(path);
    if (!kWindows) {
      std::erase_if(unflushedEntries,
                    [&](const auto& entry) { return Folder(entry.first) == Folder(path); });
    }
  }

  std::unique_ptr<PlatformFile> Open(const std::string& path, PlatformFile::Access access,
                                     Opening opening) override {
    Reached("open", path);
    if (!changedPath.empty() && path == changedPath) {
      changedPath.clear();
      change();
    }
    const bool creates = opening >= Opening::CreateIfMissing &&  // the two that create
                         real.LookAt(path, true).kind == FileKind::Missing;
    auto file = std::make_unique<FaultyFile>(real.Open(path, access, opening));
    if (creates && CutArmed()) unflushedEntries.emplace_back(path, std::nullopt);
    return file;
  }
};

}  // namespace

void UseFaultyFiles() {
  static FaultyFiles files;
  UseFileSystem(files);
}

void BreakFileCall(int n, Fault how, const std::string& marker) {
  calls = 0;
  brokenCall = n;
  fault = how;
  pauseMarker = marker;
  failingFile.clear();
}

void CutIfArmed() {
  if (CutArmed()) Cut();
}

void BeforeOpening(const std::string& path, std::function<void()> changeIt) {
  changedPath = path;
  change = std::move(changeIt);
}

}  // namespace zarvello::testing
