// Each transfer beside two baselines in one run: the least work that moves the
// same bytes (plain), and the least that also makes the move undoable after a
// crash (crash_safe: journal of the covered bytes, flushed with its folder
// entry, before the write; its removal flushed after). TransferBank vs
// BM_MinimalBankCopy/* (one 0x8000 bank, 512 KiB and 4 MiB ROMs, the times
// should not differ by size) and TransferRange vs BM_MinimalRangeCopy/*
// (000000..FFFFFF, 16 MiB, with each one's peak memory as peak_rss_MiB).
// The undos beside the least crash-safe write of the same bytes from memory:
// BM_UndoRange vs BM_MinimalRangeUndo (the 16 MiB range), BM_UndoGrownBank vs
// BM_MinimalGrownBankUndo (a bank that grew a 4 MiB ROM, cut off again).
// Run: <build>/bench/zarvello_bench --benchmark_enable_random_interleaving=true
// (15 repetitions are built in; compare the _median rows of each trio.)

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "BenchFiles.h"
#include "MinimalCopy.h"
#include "PeakMemory.h"
#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"
#include "transfers/TransferBank.h"
#include "transfers/TransferRange.h"
#include "transfers/UndoTransfer.h"

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
constexpr std::string_view kUndoneText = "Transfer undone.";
constexpr std::string_view kRedoneText = "Transfer redone.";

// A person who agrees to everything. It counts, and nothing more, so that a
// transfer that ended in an error can't pass for a fast one.
class SilentPrompt final : public MessagePrompt {
 public:
  explicit SilentPrompt(std::string_view doneText, std::string_view alsoDone = {})
      : doneText_(doneText), alsoDone_(alsoDone) {}

  PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon,
                    const std::string&) override {
    ++(text == doneText_ || text == alsoDone_ ? done_ : other_);
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  }

  // True when exactly count prompts were shown and each was a done text.
  bool OnlyDone(std::int64_t count) const { return other_ == 0 && done_ == count; }

 private:
  std::string doneText_;
  std::string alsoDone_;
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

TransferSettings BankSettings(const FilePair& files) {
  return {.CopyFromFile = files.copyFrom,
          .PasteToFile = files.pasteTo,
          .CopyFromHeader = kHeader,
          .PasteToHeader = kHeader,
          .BankSize = kBankSize};
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
  TransferSettings settings = BankSettings(files);
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

// One transfer, then each iteration undoes it, timed, and redoes it, untimed.
void Undo(benchmark::State& state, std::optional<TransferChange> change) {
  SilentPrompt prompt(kUndoneText, kRedoneText);
  TransferHistory history;
  if (change) history.Add(std::move(*change));
  for (auto _ : state) {
    UndoTransfer(history, prompt);
    state.PauseTiming();
    RedoTransfer(history, prompt);
    state.ResumeTiming();
  }
  if (!prompt.OnlyDone(2 * state.iterations())) state.SkipWithError("an undo or redo failed");
}

void BM_UndoRange(benchmark::State& state) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kRangeLength);
  SilentPrompt prompt(kRangeDoneText);
  Undo(state, TransferRange({.CopyFromFile = files.copyFrom, .PasteToFile = files.pasteTo},
                            kFirstOffset, kLastOffset, prompt));
}

// Writes `after` as the transfer did, then `before` and `after` in turn, the
// one timed, the other not, as an undo and a redo do.
void MinimalUndo(benchmark::State& state, const std::string& path, std::int64_t at,
                 std::span<const std::byte> before, std::span<const std::byte> after,
                 std::optional<std::int64_t> shortenTo) {
  MinimalCrashSafeWrite(path, at, after);
  for (auto _ : state) {
    const bool undone = MinimalCrashSafeWrite(path, at, before, shortenTo);
    state.PauseTiming();
    const bool redone = MinimalCrashSafeWrite(path, at, after);
    state.ResumeTiming();
    if (!undone || !redone) {
      state.SkipWithError("a write failed");
      break;
    }
  }
}

void BM_MinimalRangeUndo(benchmark::State& state) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kRangeLength);
  std::vector<std::byte> before(kRangeLength), after(kRangeLength);
  for (std::size_t i = 0; i < before.size(); ++i) {
    before[i] = static_cast<std::byte>(i * 7 + 2);
    after[i] = static_cast<std::byte>(i * 7 + 1);
  }
  MinimalUndo(state, files.pasteTo, 0, before, after, std::nullopt);
}

// A ROM of 127 banks after its header, grown by one more.
constexpr std::int64_t kShortRom = kHeader + 127 * std::int64_t{kBankSize};

void BM_UndoGrownBank(benchmark::State& state) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kShortRom);
  TransferSettings settings = BankSettings(files);
  SilentPrompt prompt(kBankDoneText);
  Undo(state, TransferBank(settings, kCopyFromBankPosition, 127, prompt));
}

void BM_MinimalGrownBankUndo(benchmark::State& state) {
  const TempFolder folder;
  const FilePair files = MakeFilePair(folder, kShortRom);
  const std::vector<std::byte> bank(kBankSize, std::byte{1});
  MinimalUndo(state, files.pasteTo, kShortRom, {}, bank, kShortRom);
}

void OneBank(benchmark::internal::Benchmark* benchmark) {
  benchmark->Repetitions(kRepetitions)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
}

void RomSizes(benchmark::internal::Benchmark* benchmark) {
  OneBank(benchmark->ArgName("rom_bytes")->Arg(512 * 1024)->Arg(4 * 1024 * 1024));
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
BENCHMARK(BM_UndoRange)->Apply(WholeRange);
BENCHMARK(BM_MinimalRangeUndo)->Apply(WholeRange);
BENCHMARK(BM_UndoGrownBank)->Apply(OneBank);
BENCHMARK(BM_MinimalGrownBankUndo)->Apply(OneBank);

}  // namespace
}  // namespace zarvello::bench

BENCHMARK_MAIN();
