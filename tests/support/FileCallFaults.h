#pragma once
// Test-only control of the program's file-changing calls (pwrite, ftruncate,
// fsync, unlink), counted from the moment a test arms them in a child.

#include <functional>
#include <string>

namespace zarvello::testing {

enum class Fault { Kill, LoseAll, LoseAfterPage, LoseDataAfterPage, Pause, Fail };

// The nth call from now on, before it is made. Kill stops the process dead,
// keeping every change made so far. The others stop it as a power
// cut would, losing the changes not yet flushed: LoseAll and LoseAfterPage
// undo the folder entries made or removed, and of the files' bytes lose all,
// or those after a page boundary halfway through the changes (or after their
// first page); LoseDataAfterPage only the latter.
// Pause stops it (SIGSTOP) until it is continued. Fail makes it fail, and
// every later call on the same open file too.
void BreakFileCall(int n, Fault fault);
// A kill or power cut armed for a call the process did not get to, now.
void CutIfArmed();
// Runs `change` once, just before the path is next opened.
void BeforeOpening(const std::string& path, std::function<void()> change);

}  // namespace zarvello::testing
