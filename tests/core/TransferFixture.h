#pragma once
// What the transfer tests share: expected prompts, byte comparisons and the
// fixture.

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "Files.h"
#include "RecordingPrompt.h"
#include "files/RollbackJournal.h"
#include "transfers/TransferBank.h"
#include "transfers/TransferRange.h"
#include "transfers/UndoTransfer.h"

namespace zarvello::testing {

namespace fs = std::filesystem;

inline constexpr std::size_t kBank = 0x8000;
inline const std::string kBankDone = Done("Bank transferred."),
                         kRangeDone = Done("Data transferred."), kUndone = Done("Transfer undone."),
                         kRedone = Done("Transfer redone.");
inline const std::string kBusy = "Another transfer into it is running";
// The system's words for a path that names nothing; ENOENT is Windows' number for it too.
inline const std::string kNoSuchFile = std::system_category().message(ENOENT);
inline const std::string kNotOurJournal =
    "This is not a journal that Zarvello wrote for you: its owner's next transfer into the file "
    "puts the file back, and removing it gives up that put-back.";

inline std::string CopyFromTooShort(const std::string& lastBank) {
  return "'Copy From' File is only " + lastBank + " banks long.\r\nYou're grabbing at data that's" +
         " not there.\r\n\r\nCan't do that.  Sorry. [critical, OK, Oh, no you didn't!]\n";
}

inline std::string ExpandQuestion(const std::string& lastBank) {
  return "'Paste To' File is currently only " + lastBank + " banks long.\r\nDoing this transfer " +
         "will expand the ROM.\r\nUnless this was what you were planning on doing, you shouldn't " +
         "do it.\r\n\r\nDo you wish to expand this ROM? [Yes/No, Do you know what you're doing?]\n";
}

// What the next transfer says of one into the file that was cut short.
inline std::string CutShort(const std::string& path, bool changedSince = false) {
  return Done("The last transfer into '" + path + "' was cut short" +
              (changedSince ? ", but the file has been changed since. It was left as it is."
                            : ". The file has been put back as it was before it."));
}

inline std::string Refused(const std::string& verb, const std::string& path,
                           const std::string& reason) {
  return Failed("Can't " + verb + " '" + path + "'.\r\n" + reason);
}

// Two files' bytes, and where they first differ, rather than all of them.
inline ::testing::AssertionResult SameBytes(const char*, const char*, const std::string& actual,
                                            const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto differ = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return ::testing::AssertionFailure()
         << actual.size() << " bytes, " << expected.size() << " expected, differ from byte "
         << differ.first - actual.begin();
}

#define EXPECT_BYTES(actual, expected) EXPECT_PRED_FORMAT2(SameBytes, actual, expected)

// A file's bytes after `bytes` were written over them at `at`.
inline std::string Overwritten(std::string file, std::size_t at, const std::string& bytes) {
  file.resize(std::max(file.size(), at + bytes.size()));
  std::copy(bytes.begin(), bytes.end(), file.begin() + at);
  return file;
}

// Real files in a temporary folder, settings as the window starts, and a
// stand-in for the person at the prompts.
class TransferTest : public ::testing::Test {
 protected:
  // -1: no file. Bytes past the first 8 MiB of the source are a hole of zeros.
  void WriteFiles(std::int64_t sourceLength, std::int64_t targetLength) {
    for (const std::string& file : {from, to}) fs::remove(Utf8Path(file));
    source = Pattern(std::clamp<std::int64_t>(sourceLength, 0, 8 << 20), 1);
    target = Pattern(std::max<std::int64_t>(targetLength, 0), 2);
    if (sourceLength >= 0) Write(from, source), fs::resize_file(Utf8Path(from), sourceLength);
    if (targetLength >= 0) Write(to, target);
  }

  TempFolder folder;
  // Names beyond ASCII, as many ROMs have.
  const std::string from = folder.File("Früh – 1.smc"), to = folder.File("ロム.smc");
  const std::string journal = JournalPath(to);
  std::string source, target;
  // As the window starts: both headers 0x200, 32 KiB banks.
  TransferSettings settings{from, to, 0x200, 0x200, 0x8000};
  RecordingPrompt prompt;
};

}  // namespace zarvello::testing
