// The core tests' main, and the children they start: the same program, which
// a flag tells to run one transfer.

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string_view>

#include <gtest/gtest.h>

#include "FileCallFaults.h"
#include "RecordingPrompt.h"
#include "transfers/TransferRange.h"
#include "transfers/UndoTransfer.h"

namespace zarvello::testing {
namespace {

constexpr std::string_view kChildFlag = "--zarvello-child";
std::string program;

int RunChildTransfer(const std::string& jobFile) {
  // The shown file, the fault, the call, the preparation, then the transfer
  // and the undos and redos after it.
  std::ifstream file(Utf8Path(jobFile));
  std::vector<std::string> job;
  for (std::string line; std::getline(file, line);) job.push_back(line);
  RecordingPrompt prompt;
  PrepareChild(job[3]);
  try {
    TransferHistory history;
    for (std::size_t step = 7; step < job.size(); ++step) {
      if (step + 1 == job.size())
        BreakFileCall(std::stoi(job[2]), static_cast<Fault>(std::stoi(job[1])), job[0] + ".paused");
      if (step > 7)
        (job[step] == "undo" ? UndoTransfer : RedoTransfer)(history, prompt);
      else if (auto change = TransferRange({job[4], job[5]}, job[6], job[7], prompt))
        history.Add(std::move(*change));
    }
  } catch (...) {
    return 2;
  }
  Write(job[0], prompt.shown);
  CutIfArmed();
  return 0;
}

}  // namespace

std::string InChild(const TempFolder& folder, const ChildTransfer& job,
                    const std::function<void(const std::string&)>& whilePaused) {
  static int children = 0;
  const std::string shown = folder.File("child" + std::to_string(++children)),
                    jobFile = shown + ".job", paused = shown + ".paused";
  std::string lines = shown + '\n' + std::to_string(static_cast<int>(job.fault)) + '\n' +
                      std::to_string(job.call) + '\n' + job.prepare;
  for (const std::string& part : job.transfer) lines += '\n' + part;
  Write(jobFile, lines);
  // Windows' shell takes the command in quotes of its own.
  const std::string quote = kWindows ? "\"" : "";
  const std::string command =
      quote + '"' + program + "\" " + kChildFlag.data() + " \"" + jobFile + '"' + quote;
  auto child = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
  while (child.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    if (std::filesystem::exists(Utf8Path(paused))) {
      whilePaused(Read(paused));
      std::filesystem::remove(Utf8Path(paused));
    }
  }
  EXPECT_EQ(child.get(), 0) << "the child did not end well";
  return Read(shown);
}

}  // namespace zarvello::testing

int main(int argc, char** argv) {
  using namespace zarvello::testing;
  UseFaultyFiles();
  if (argc == 3 && argv[1] == kChildFlag) return RunChildTransfer(argv[2]);
  program = argv[0];
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
