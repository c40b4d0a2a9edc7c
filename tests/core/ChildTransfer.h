#pragma once
// A transfer run in a process of its own, which a fault may stop dead, cut
// off as a power cut would, or pause. The parent sees only the prompts it
// showed and the files.

#include <functional>
#include <string>
#include <vector>

#include "FileCallFaults.h"
#include "Files.h"

namespace zarvello::testing {

struct ChildTransfer {
  // "range", Copy From, Paste To, first and last offset; or "bank", Copy
  // From, Paste To and both bank positions, with the window's first settings.
  std::vector<std::string> transfer;
  int call = 0;  // the file call to break, counted from the transfer's start; 0: none
  Fault fault = Fault::Kill;
  std::string prepare = "-";  // see PrepareChild
};

// The test program, which runs a child's transfer when given kChildFlag and
// the file that describes it.
void SetTestProgram(const std::string& path);
inline constexpr const char* kChildFlag = "--zarvello-child";

// Its prompts; a child that throws or crashes fails the test. whilePaused
// runs while a Pause holds it.
std::string InChild(const TempFolder& folder, const ChildTransfer& child,
                    const std::function<void()>& whilePaused = {});

// In the child. Returns its exit code.
int RunChildTransfer(const std::string& jobFile);

}  // namespace zarvello::testing
