// The file calls of Windows. Paths arrive as UTF-8 and are used
// as UTF-16.

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "files/Platform.h"

namespace zarvello {
namespace {

using Action = FileError::Action;
using Cause = FileError::Cause;

// Share everything: one file may be open on both sides, and a journal is
// deleted while its file may still be open elsewhere.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A path that is not UTF-8 names nothing: no stand-in character may turn it
// into the name of another file.
std::wstring Wide(const std::string& utf8) {
  const int length = static_cast<int>(utf8.size());
  const int size =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
  return utf8;
}

// The system's words, without the line break and full stop it ends them with.
std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason =
      length > 0 ? std::wstring(text, length) : L"Error " + std::to_wstring(error);
  ::LocalFree(text);
  while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' ||
                             reason.back() == L'.' || reason.back() == L' ')) {
    reason.pop_back();
  }
  return Narrow(reason);
}

FileError SystemError(Action action, const std::string& path, DWORD error = ::GetLastError()) {
  Cause cause = Cause::System;
  if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) cause = Cause::Denied;
  if (error == ERROR_FILENAME_EXCED_RANGE) cause = Cause::NameTooLong;
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) cause = Cause::Exists;
  return {action, path, cause, Reason(error)};
}

bool NamesNothing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE;
}

// "NUL", "CON", "COM1" and "\\.\pipe\..." name devices and pipes wherever
// they stand; the system turns them into a path in the device space.
bool NamesADevice(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  full.resize(::GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  return full.starts_with(L"\\\\.\\");
}

// The token's user, and the owner it gives the files it creates (an
// administrators' group, for an elevated administrator).
const std::vector<std::vector<BYTE>>& UserSids() {
  static const std::vector<std::vector<BYTE>> sids = [] {
    std::vector<std::vector<BYTE>> found;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return found;
    for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
      DWORD size = 0;
      ::GetTokenInformation(token, kind, nullptr, 0, &size);
      std::vector<BYTE> information(size);
      if (!::GetTokenInformation(token, kind, information.data(), size, &size)) continue;
      // Both structures start with the SID's address.
      const PSID sid = *reinterpret_cast<PSID*>(information.data());
      const auto* bytes = static_cast<const BYTE*>(sid);
      found.emplace_back(bytes, bytes + ::GetLengthSid(sid));
    }
    ::CloseHandle(token);
    return found;
  }();
  return sids;
}

bool IsUsers(PSID sid) {
  for (const std::vector<BYTE>& users : UserSids()) {
    if (::EqualSid(sid, const_cast<BYTE*>(users.data()))) return true;
  }
  return false;
}

// The system itself, as root on POSIX systems: it may write every file.
bool IsTheSystem(PSID sid) {
  SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
  PSID system = nullptr;
  if (!::AllocateAndInitializeSid(&authority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                  &system)) {
    return false;
  }
  const bool equal = ::EqualSid(sid, system);
  ::FreeSid(system);
  return equal;
}

// Whether the access list lets anyone but the user and the system change
// the file or its access list. No list at all lets everyone.
bool OthersMayWrite(PACL list) {
  if (list == nullptr) return true;
  constexpr ACCESS_MASK kWriting =
      FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  for (DWORD i = 0; i < list->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(list, i, &entry)) return true;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    // Any other kind of entry that grants may grant anyone anything.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true;
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & kWriting) != 0 && !IsUsers(sid) && !IsTheSystem(sid)) return true;
  }
  return false;
}

// Owned by the user, and writable by no one else.
bool OwnedByUserAlone(HANDLE handle) {
  PSID owner = nullptr;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(handle, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &list, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool alone = IsUsers(owner) && !OthersMayWrite(list);
  ::LocalFree(descriptor);
  return alone;
}

// An access list protected from inheriting, open to the user alone. Every
// step is checked: a journal must never fall back to the folder's access.
PSECURITY_DESCRIPTOR PrivateDescriptor(const std::string& path) {
  const auto fail = [&](DWORD error) {
    return FileError(Action::Open, path, Cause::NotPrivate, Reason(error));
  };
  if (UserSids().empty()) throw fail(ERROR_NO_TOKEN);
  wchar_t* user = nullptr;
  if (!::ConvertSidToStringSidW(const_cast<BYTE*>(UserSids()[0].data()), &user)) {
    throw fail(::GetLastError());
  }
  const std::wstring text = L"D:P(A;;FA;;;" + std::wstring(user) + L")";
  ::LocalFree(user);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
    throw fail(::GetLastError());
  }
  return descriptor;
}

// A device, a pipe: nothing a file's facts could describe.
FileFacts NotAFile() {
  FileFacts facts;
  facts.kind = FileKind::Other;
  return facts;
}

FileFacts FactsOf(HANDLE handle, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (::GetFileType(handle) != FILE_TYPE_DISK) return NotAFile();
  if (!::GetFileInformationByHandle(handle, &information)) throw SystemError(Action::Open, path);
  FileFacts facts;
  const DWORD attributes = information.dwFileAttributes;
  facts.kind = attributes & FILE_ATTRIBUTE_REPARSE_POINT ? FileKind::Link
               : attributes & FILE_ATTRIBUTE_DIRECTORY   ? FileKind::Directory
                                                         : FileKind::Regular;
  facts.identity = {information.dwVolumeSerialNumber,
                    std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
  facts.ownedByUserAlone = OwnedByUserAlone(handle);
  return facts;
}

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

// One step of a read or write: at most what a DWORD counts.
DWORD Step(std::size_t left) { return static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30)); }

class WindowsFile final : public PlatformFile {
 public:
  WindowsFile(HANDLE handle, const std::string& path) : PlatformFile(path), handle_(handle) {}
  ~WindowsFile() override { ::CloseHandle(handle_); }

  FileFacts Facts() const override { return FactsOf(handle_, Path()); }

  std::int64_t Length() const override {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_, &size)) throw SystemError(Action::Read, Path());
    return size.QuadPart;
  }

  std::size_t ReadAt(std::int64_t offset, std::span<std::byte> buffer) const override {
    std::size_t done = 0;
    while (done < buffer.size()) {
      OVERLAPPED at = At(offset + static_cast<std::int64_t>(done));
      DWORD count = 0;
      if (!::ReadFile(handle_, buffer.data() + done, Step(buffer.size() - done), &count, &at)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        throw SystemError(Action::Read, Path());
      }
      if (count == 0) break;
      done += count;
    }
    return done;
  }

  void WriteAt(std::int64_t offset, std::span<const std::byte> data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      OVERLAPPED at = At(offset + static_cast<std::int64_t>(done));
      DWORD count = 0;
      if (!::WriteFile(handle_, data.data() + done, Step(data.size() - done), &count, &at)) {
        throw SystemError(Action::Write, Path());
      }
      if (count == 0) throw SystemError(Action::Write, Path(), ERROR_DISK_FULL);
      done += count;
    }
  }

  void Truncate(std::int64_t length) override {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = length;
    if (!::SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end)) {
      throw SystemError(Action::Write, Path());
    }
  }

  // Also makes the file's folder entry durable, and every earlier one on the
  // volume: the file system logs them in order.
  void Flush() override {
    if (!::FlushFileBuffers(handle_)) throw SystemError(Action::Write, Path());
  }

  bool TryLock(Lock lock) override {
    // Windows' locks forbid reading and writing what they cover, so the lock
    // lies on one byte far past the end of any ROM file.
    OVERLAPPED at = At(std::int64_t{1} << 62);
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (lock == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(handle_, flags, 0, 1, 0, &at)) return true;
    if (::GetLastError() == ERROR_LOCK_VIOLATION) return false;
    throw SystemError(Action::Open, Path());
  }

 private:
  HANDLE handle_;
};

class WindowsFileSystem final : public FileSystem {
 public:
  FileFacts LookAt(const std::string& path, bool followLinks) override {
    const std::wstring wide = Wide(path);
    if (NamesADevice(wide)) return NotAFile();
    // Asking for no more than the owner and access list reads and writes
    // nothing; a file whose owner may not be asked about is no one's own.
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE handle = ::CreateFileW(wide.c_str(), READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                                  flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
      handle = ::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (NamesNothing(error)) return {};
      throw SystemError(Action::Open, path, error);
    }
    try {
      const FileFacts facts = FactsOf(handle, path);
      ::CloseHandle(handle);
      return facts;
    } catch (...) {
      ::CloseHandle(handle);
      throw;
    }
  }

  std::string ResolvedPath(const std::string& path) override {
    const HANDLE handle = ::CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return path;
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD size = ::GetFinalPathNameByHandleW(handle, resolved.data(),
                                             static_cast<DWORD>(resolved.size()), 0);
    if (size >= resolved.size()) {
      resolved.resize(size);
      size = ::GetFinalPathNameByHandleW(handle, resolved.data(), size, 0);
    }
    ::CloseHandle(handle);
    if (size == 0 || size >= resolved.size()) return path;
    resolved.resize(size);
    // "\\?\C:\..." and "\\?\UNC\server\..." back to the usual forms.
    if (resolved.starts_with(L"\\\\?\\UNC\\")) return Narrow(L"\\\\" + resolved.substr(8));
    if (resolved.starts_with(L"\\\\?\\")) return Narrow(resolved.substr(4));
    return Narrow(resolved);
  }

  void RemoveFile(const std::string& path) override {
    if (!::DeleteFileW(Wide(path).c_str()) && !NamesNothing(::GetLastError())) {
      throw SystemError(Action::Write, path);
    }
  }

  // Nothing to do: a file's flush carries its folder entry to disk, and
  // Windows has no flush for a folder.
  void FlushFolderOf(const std::string&) override {}

  std::unique_ptr<PlatformFile> Open(const std::string& path, PlatformFile::Access access,
                                     PlatformFile::Opening opening) override {
    using Opening = PlatformFile::Opening;
    const DWORD rights = READ_CONTROL | GENERIC_READ |
                         (access == PlatformFile::Access::ReadWrite ? GENERIC_WRITE : 0);
    DWORD disposition = OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    SECURITY_ATTRIBUTES privately{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    switch (opening) {
      case Opening::Existing:
        break;
      case Opening::ExistingNoLinks:
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
        break;
      case Opening::CreateIfMissing:
        disposition = OPEN_ALWAYS;
        break;
      case Opening::CreateNewPrivate:
        disposition = CREATE_NEW;
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
        privately.lpSecurityDescriptor = PrivateDescriptor(path);
        break;
    }
    const HANDLE handle = ::CreateFileW(Wide(path).c_str(), rights, kShareAll, &privately,
                                        disposition, flags, nullptr);
    const DWORD error = ::GetLastError();
    ::LocalFree(privately.lpSecurityDescriptor);
    if (handle == INVALID_HANDLE_VALUE) {
      // A new name beside a file that exists, which the system says names
      // nothing: one too long for it.
      if (opening == Opening::CreateNewPrivate && NamesNothing(error)) {
        throw FileError(Action::Open, path, Cause::NameTooLong, Reason(error));
      }
      throw SystemError(Action::Open, path, error);
    }
    return std::make_unique<WindowsFile>(handle, path);
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static WindowsFileSystem files;
  return files;
}

// A write past a file-size limit simply fails here; nothing to prepare.
void PrepareProcessForFileErrors() {}

}  // namespace zarvello
