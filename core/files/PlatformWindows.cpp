// The file and memory calls of Windows. Paths arrive as UTF-8 and are used
// as UTF-16.

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <initializer_list>
#include <new>
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

std::wstring UserSidText() {
  wchar_t* text = nullptr;
  if (UserSids().empty() ||
      !::ConvertSidToStringSidW(const_cast<BYTE*>(UserSids()[0].data()), &text)) {
    return L"OW";  // the owner, whoever that is
  }
  const std::wstring sid = text;
  ::LocalFree(text);
  return sid;
}

// Others may be granted writing in a file's access list; on this system only
// the owner is asked about.
bool OwnedByUser(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool owned = false;
  for (const std::vector<BYTE>& sid : UserSids()) {
    owned = owned || ::EqualSid(owner, const_cast<BYTE*>(sid.data()));
  }
  ::LocalFree(descriptor);
  return owned;
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
  facts.ownedByUserAlone = OwnedByUser(handle);
  return facts;
}

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

// One step of a read or write: at most what a DWORD counts.
DWORD Step(std::size_t left) { return static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30)); }

}  // namespace

FileFacts LookAt(const std::string& path, bool followLinks) {
  const std::wstring wide = Wide(path);
  if (NamesADevice(wide)) return NotAFile();
  // Asking for no more than the owner reads and writes nothing; a file whose
  // owner may not be asked about is no one's own.
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE handle =
      ::CreateFileW(wide.c_str(), READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
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

std::string ResolvedPath(const std::string& path) {
  const HANDLE handle = ::CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD size =
      ::GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
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

void RemoveFile(const std::string& path) {
  if (!::DeleteFileW(Wide(path).c_str()) && !NamesNothing(::GetLastError())) {
    throw SystemError(Action::Write, path);
  }
}

void FlushFolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  const std::string folder = end == std::string::npos ? "." : path.substr(0, end + 1);
  const HANDLE handle = ::CreateFileW(Wide(folder).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw SystemError(Action::Write, folder);
  // Where the file system cannot flush a folder, its entries go to disk with
  // the file system's own log, which a flush of any file on the volume, and
  // at the latest the next one, commits in order.
  const bool flushed = ::FlushFileBuffers(handle);
  const DWORD error = ::GetLastError();
  ::CloseHandle(handle);
  if (!flushed && error != ERROR_INVALID_FUNCTION && error != ERROR_ACCESS_DENIED) {
    throw SystemError(Action::Write, folder, error);
  }
}

std::byte* AllocatePages(std::size_t size) {
  void* pages = ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (pages == nullptr) throw std::bad_alloc();
  return static_cast<std::byte*>(pages);
}

void ReleasePages(std::byte* pages, std::size_t) { ::VirtualFree(pages, 0, MEM_RELEASE); }

// A write past a file-size limit simply fails here; nothing to prepare.
void PrepareProcessForFileErrors() {}

PlatformFile PlatformFile::Open(const std::string& path, Access access, Opening opening) {
  const DWORD rights =
      READ_CONTROL | GENERIC_READ | (access == Access::ReadWrite ? GENERIC_WRITE : 0);
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
      // Protected from inheriting, and open to the user alone.
      ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          (L"D:P(A;;FA;;;" + UserSidText() + L")").c_str(), SDDL_REVISION_1,
          &privately.lpSecurityDescriptor, nullptr);
      break;
  }
  const HANDLE handle =
      ::CreateFileW(Wide(path).c_str(), rights, kShareAll, &privately, disposition, flags, nullptr);
  const DWORD error = ::GetLastError();
  ::LocalFree(privately.lpSecurityDescriptor);
  if (handle == INVALID_HANDLE_VALUE) throw SystemError(Action::Open, path, error);
  return {reinterpret_cast<std::intptr_t>(handle), path};
}

PlatformFile::PlatformFile(std::intptr_t handle, std::string path)
    : handle_(handle), path_(std::move(path)) {}

PlatformFile::PlatformFile(PlatformFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

PlatformFile::~PlatformFile() {
  if (handle_ != -1) ::CloseHandle(Handle(handle_));
}

FileFacts PlatformFile::Facts() const { return FactsOf(Handle(handle_), path_); }

std::int64_t PlatformFile::Length() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(Handle(handle_), &size)) throw SystemError(Action::Read, path_);
  return size.QuadPart;
}

std::size_t PlatformFile::ReadAt(std::int64_t offset, std::span<std::byte> buffer) const {
  std::size_t done = 0;
  while (done < buffer.size()) {
    OVERLAPPED at = At(offset + static_cast<std::int64_t>(done));
    DWORD count = 0;
    if (!::ReadFile(Handle(handle_), buffer.data() + done, Step(buffer.size() - done), &count,
                    &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      throw SystemError(Action::Read, path_);
    }
    if (count == 0) break;
    done += count;
  }
  return done;
}

void PlatformFile::WriteAt(std::int64_t offset, std::span<const std::byte> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    OVERLAPPED at = At(offset + static_cast<std::int64_t>(done));
    DWORD count = 0;
    if (!::WriteFile(Handle(handle_), data.data() + done, Step(data.size() - done), &count, &at)) {
      throw SystemError(Action::Write, path_);
    }
    if (count == 0) throw SystemError(Action::Write, path_, ERROR_DISK_FULL);
    done += count;
  }
}

void PlatformFile::Truncate(std::int64_t length) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = length;
  if (!::SetFileInformationByHandle(Handle(handle_), FileEndOfFileInfo, &end, sizeof end)) {
    throw SystemError(Action::Write, path_);
  }
}

void PlatformFile::Flush() {
  if (!::FlushFileBuffers(Handle(handle_))) throw SystemError(Action::Write, path_);
}

bool PlatformFile::TryLock(Lock lock) {
  // Windows' locks forbid reading and writing what they cover, so the lock
  // lies on one byte far past the end of any ROM file.
  OVERLAPPED at = At(std::int64_t{1} << 62);
  const DWORD flags =
      LOCKFILE_FAIL_IMMEDIATELY | (lock == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (::LockFileEx(Handle(handle_), flags, 0, 1, 0, &at)) return true;
  if (::GetLastError() == ERROR_LOCK_VIOLATION) return false;
  throw SystemError(Action::Open, path_);
}

}  // namespace zarvello
