// Each transfer beside two baselines in one run: the least work that moves the
// same bytes (plain), and the least that also makes the move undoable after a
// crash (crash_safe: journal of the covered bytes, flushed with its folder
// entry, before the write; its removal flushed after). TransferBank vs
// BM_MinimalBankCopy/* (one 0x8000 bank, 512 KiB and 4 MiB ROMs, the times
// should not differ by size) and TransferRange vs BM_MinimalRangeCopy/*
// (000000..FFFFFF, 16 MiB, with each one's peak memory as peak_rss_MiB).
// Run: <build>/bench/zarvello_bench --benchmark_enable_random_interleaving=true
// (15 repetitions are built in; compare the _median rows of each trio.)

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "BenchFiles.h"
#include "MinimalCopy.h"
#include "PeakMemory.h"
#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"
#include "transfers/TransferBank.h"
#include "transfers/TransferRange.h"

namespace zarvello::bench {
namespace {

constexpr int kRepetitions = 15;

constexpr std::int16_t kHeader = 0x200;
constexpr std::int32_t kBankSize = 0x8000;
constexpr int kCopyFromBankPosition = 3;
constexpr int kPasteToBankPosition = 6;

constexpr std::string_view kFirstOffset = "000000";
constexpr std::string_view kLastOffset = "FFFFFF";
constexpr std::int64_t kRangeLength = 0x1000000;

constexpr std::string_view kBankDoneText = "Bank transferred.";
constexpr std::string_view kRangeDoneText = "Data transferred.";

// A person who agrees to everything. It counts, and nothing more, so that a
// transfer that ended in an error can't pass for a fast one.
class SilentPrompt final : public MessagePrompt {
 public:
  explicit SilentPrompt(std::string_view doneText) : doneText_(doneText) {}

  PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon,
                    const std::string&) override {
    ++(text == doneText_ ? done_ : other_);
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  }

  // True when exactly count prompts were shown and each was the done text.
  bool OnlyDone(std::int64_t count) const { return other_ == 0 && done_ == count; }

 private:
  std::string doneText_;
  std::int64_t done_ = 0;
  std::int64_t other_ = 0;
};

struct FilePair {
  std::string copyFrom;
  std::string pasteTo;
};

FilePair MakeFilePair(const TempFolder& folder, std::int64_t length) {
  FilePair files{folder.File("copy_from.bin"), folder.File("paste_to.bin")};
  WritePatternFile(files.copyFrom, length, 1);
  WritePatternFile(files.pasteTo, length, 2);
  return files;
}

std::int64_t BankStart(int position) { return kHeader + std::int64_t{position} * kBankSize; }

void ReportPeakMemory(benchmark::State& state, const std::function<bool()>& operation) {
  const auto peak = PeakResidentBytesInChild(operation);
  if (!peak) {
    state.SkipWithError("the operation failed in the child measuring its memory");
    return;
  }
  state.counters["peak_rss_MiB"] = static_cast<double>(*peak) / (1024 * 1024);
}

void BM_TransferBank(benchmark::State& state) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kHeader + state.range(0));
  TransferSettings settings{.CopyFromFile = files.copyFrom,
                            .PasteToFile = files.pasteTo,
                            .CopyFromHeader = kHeader,
                            .PasteToHeader = kHeader,
                            .BankSize = kBankSize};
  SilentPrompt prompt(kBankDoneText);
  for (auto _ : state) {
    TransferBank(settings, kCopyFromBankPosition, kPasteToBankPosition, prompt);
  }
  if (!prompt.OnlyDone(state.iterations())) state.SkipWithError("a bank transfer failed");
}

using Copy = bool (*)(const std::string& fromPath, std::int64_t readAt, const std::string& toPath,
                      std::int64_t writeAt, std::size_t length);

void BM_MinimalBankCopy(benchmark::State& state, Copy copy) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kHeader + state.range(0));
  for (auto _ : state) {
    if (!copy(files.copyFrom, BankStart(kCopyFromBankPosition), files.pasteTo,
              BankStart(kPasteToBankPosition), kBankSize)) {
      state.SkipWithError("a bank copy failed");
      break;
    }
  }
}

void BM_TransferRange(benchmark::State& state) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kRangeLength);
  const TransferSettings settings{.CopyFromFile = files.copyFrom, .PasteToFile = files.pasteTo};
  ReportPeakMemory(state, [&] {
    SilentPrompt prompt(kRangeDoneText);
    TransferRange(settings, kFirstOffset, kLastOffset, prompt);
    return prompt.OnlyDone(1);
  });
  SilentPrompt prompt(kRangeDoneText);
  for (auto _ : state) {
    TransferRange(settings, kFirstOffset, kLastOffset, prompt);
  }
  if (!prompt.OnlyDone(state.iterations())) state.SkipWithError("a range transfer failed");
}

void BM_MinimalRangeCopy(benchmark::State& state, Copy copy) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kRangeLength);
  const auto copyRange = [&] { return copy(files.copyFrom, 0, files.pasteTo, 0, kRangeLength); };
  ReportPeakMemory(state, copyRange);
  for (auto _ : state) {
    if (!copyRange()) {
      state.SkipWithError("a range copy failed");
      break;
    }
  }
}

void RomSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgName("rom_bytes")
      ->Arg(512 * 1024)
      ->Arg(4 * 1024 * 1024)
      ->Repetitions(kRepetitions)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
}

void WholeRange(benchmark::internal::Benchmark* benchmark) {
  benchmark->Repetitions(kRepetitions)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_TransferBank)->Apply(RomSizes);
BENCHMARK_CAPTURE(BM_MinimalBankCopy, plain, &MinimalCopy)->Apply(RomSizes);
BENCHMARK_CAPTURE(BM_MinimalBankCopy, crash_safe, &MinimalCrashSafeCopy)->Apply(RomSizes);
BENCHMARK(BM_TransferRange)->Apply(WholeRange);
BENCHMARK_CAPTURE(BM_MinimalRangeCopy, plain, &MinimalCopy)->Apply(WholeRange);
BENCHMARK_CAPTURE(BM_MinimalRangeCopy, crash_safe, &MinimalCrashSafeCopy)->Apply(WholeRange);

}  // namespace
}  // namespace zarvello::bench

BENCHMARK_MAIN();
