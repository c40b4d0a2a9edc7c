#include "ChildTransfer.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#ifdef _WIN32
#include <process.h>
#endif

#include <gtest/gtest.h>

#include "RecordingPrompt.h"
#include "TestPlatform.h"
#include "transfers/TransferBank.h"
#include "transfers/TransferRange.h"

namespace zarvello::testing {
namespace {

std::string program;

}  // namespace

void SetTestProgram(const std::string& path) { program = path; }

std::string InChild(const TempFolder& folder, const ChildTransfer& job,
                    const std::function<void()>& whilePaused) {
  static int children = 0;
  const std::string shown = folder.File("child" + std::to_string(++children)),
                    jobFile = shown + ".job", paused = shown + ".paused";
  std::string lines = shown + '\n' + std::to_string(static_cast<int>(job.fault)) + '\n' +
                      std::to_string(job.call) + '\n' + job.prepare;
  for (const std::string& part : job.transfer) lines += '\n' + part;
  Write(jobFile, lines);
  // Windows runs the program itself; its command line joins the arguments
  // as they are, so they come quoted.
#ifdef _WIN32
  const std::string quotedProgram = '"' + program + '"', quotedJob = '"' + jobFile + '"';
  const auto run = [&] {
    return ::_spawnl(_P_WAIT, program.c_str(), quotedProgram.c_str(), kChildFlag, quotedJob.c_str(),
                     nullptr);
  };
#else
  const std::string command = '"' + program + "\" " + kChildFlag + " \"" + jobFile + '"';
  const auto run = [&] { return std::system(command.c_str()); };
#endif
  auto child = std::async(std::launch::async, run);
  while (child.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    if (std::filesystem::exists(Utf8Path(paused))) {
      whilePaused();
      std::filesystem::remove(Utf8Path(paused));
    }
  }
  EXPECT_EQ(child.get(), 0) << "the child did not end well";
  return Read(shown);
}

int RunChildTransfer(const std::string& jobFile) {
  std::ifstream lines(Utf8Path(jobFile));
  std::string shown, fault, call, prepare;
  std::getline(lines, shown), std::getline(lines, fault), std::getline(lines, call);
  std::getline(lines, prepare);
  std::vector<std::string> transfer;
  for (std::string part; std::getline(lines, part);) transfer.push_back(part);
  RecordingPrompt prompt;
  PrepareChild(prepare);
  BreakFileCall(std::stoi(call), static_cast<Fault>(std::stoi(fault)), shown + ".paused");
  try {
    if (transfer[0] == "range") {
      TransferRange({transfer[1], transfer[2]}, transfer[3], transfer[4], prompt);
    } else {
      TransferSettings settings{transfer[1], transfer[2], 0x200, 0x200, 0x8000};
      TransferBank(settings, std::stoi(transfer[3]), std::stoi(transfer[4]), prompt);
    }
  } catch (...) {
    return 2;
  }
  Write(shown, prompt.shown);
  CutIfArmed();
  return 0;
}

}  // namespace zarvello::testing
