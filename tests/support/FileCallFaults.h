#pragma once
// Test-only control of the program's file-changing calls (WriteAt, Truncate,
// Flush, RemoveFile, FlushFolderOf), counted from the moment a test arms
// them, and the child processes that faults which end a process need. The
// calls go through a file system put in front of the platform's own, which
// passes them on unless armed. A pause counts every call, reads and looks
// too.

#include <functional>
#include <string>
#include <vector>

#include "Files.h"

namespace zarvello::testing {

enum class Fault {
  Kill,               // stops the process dead, keeping every change made so far
  LoseAll,            // power cuts: the changes not yet flushed are lost,
  LoseAfterPage,      // all of them, or a file's bytes after a page halfway
  LoseDataAfterPage,  // through its changes (and folder entries stay), or
  ZeroAfterPage,      // those bytes but not its length: what it never held reads as zeros
  Pause,              // until the marker file, which names the call and its path, is removed
  Fail,               // just this call
  FailFromThenOn,     // this call, and every later one on the same file
};

// Puts the faulty file system in front of the platform's own, once.
void UseFaultyFiles();
// The nth call from now on, before it is made; 0 disarms.
void BreakFileCall(int n, Fault fault, const std::string& pauseMarker = {});
// A kill or power cut armed for a call the process did not get to, now.
void CutIfArmed();
// Runs `change` once, just before the path is next opened.
void BeforeOpening(const std::string& path, std::function<void()> change);

// A range transfer in a child, a new process of the test program: Copy From,
// Paste To, first and last offset, then "undo" or "redo" for each to follow.
// The parent sees only the prompts it showed, and the files; a child that
// throws or crashes fails the test. whilePaused runs while a Pause holds it,
// given the marker's words.
struct ChildTransfer {
  std::vector<std::string> transfer;
  int call = 0;  // the file call to break, counted from the last step's start; 0: none
  Fault fault = Fault::Kill;
  std::string prepare = "-";  // see PrepareChild
};
std::string InChild(const TempFolder& folder, const ChildTransfer& child,
                    const std::function<void(const std::string&)>& whilePaused = {});

// What differs between systems: this flag, and one source file each.
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif
// In a child, before its transfer, on POSIX systems: "nobody" to become an
// unprivileged user when root, "pipe:<path>" for a named pipe to take the
// path's name just before it is opened.
void PrepareChild(const std::string& how);
void LetOthersWrite(const std::string& path);
// Whether no one but its owner, and the system, may read or write the file.
bool OnlyItsOwnerMayUse(const std::string& path);
// A file another user owns, or, where that takes rights the tests lack, one
// that others may write.
void PlaceAnotherUsersFile(const std::string& path);

}  // namespace zarvello::testing
