#pragma once
// Test-only control of the program's file-changing calls (WriteAt, Truncate,
// Flush, RemoveFile, FlushFolderOf), counted from the moment a test arms
// them. The calls go through a file system put in front of the platform's
// own, which passes them on unless armed.

#include <functional>
#include <string>

namespace zarvello::testing {

enum class Fault {
  Kill,               // stops the process dead, keeping every change made so far
  LoseAll,            // power cuts: the changes not yet flushed are lost,
  LoseAfterPage,      // all of them, or a file's bytes after a page halfway
  LoseDataAfterPage,  // through its changes (and folder entries stay)
  Pause,              // until the marker file is removed
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

}  // namespace zarvello::testing
