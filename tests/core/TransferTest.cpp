#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include <gtest/gtest.h>

#include "Files.h"
#include "HexText.h"
#include "RecordingPrompt.h"
#include "RollbackJournal.h"
#include "TransferBank.h"
#include "TransferRange.h"

namespace zarvello::testing {

// In FileCallFaults.cpp: the nth file-changing call from now on stops the
// process dead; or, from the first flush of a file on, every such call on it
// fails.
void StopAtFileCall(int n);
void FailFromFirstFlushOf(const std::string& path);

using std::filesystem::exists;

constexpr std::size_t kBank = 0x8000;
const std::string kBankDone = Done("Bank transferred."), kRangeDone = Done("Data transferred.");

std::string CopyFromTooShort(const std::string& lastBank) {
  return "'Copy From' File is only " + lastBank + " banks long.\r\nYou're grabbing at data that's" +
         " not there.\r\n\r\nCan't do that.  Sorry. [critical, OK, Oh, no you didn't!]\n";
}

std::string ExpandQuestion(const std::string& lastBank) {
  return "'Paste To' File is currently only " + lastBank + " banks long.\r\nDoing this transfer " +
         "will expand the ROM.\r\nUnless this was what you were planning on doing, you shouldn't " +
         "do it.\r\n\r\nDo you wish to expand this ROM? [Yes/No, Do you know what you're doing?]\n";
}

// A file's bytes after `bytes` were written over them at `at`.
std::string Overwritten(std::string file, std::size_t at, const std::string& bytes) {
  file.resize(std::max(file.size(), at + bytes.size()));
  return file.replace(at, bytes.size(), bytes);
}

class TransferTest : public ::testing::Test {
 protected:
  // The prompts of a transfer run in a forked child that setUp prepared. The
  // parent checks only what it reports and the files; a child that throws,
  // crashes or blocks for a minute fails the test.
  std::string InChild(const std::function<void()>& transfer, const std::function<void()>& setUp) {
    int channel[2];
    EXPECT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(60);
      try {
        setUp();
        transfer();
        ::_exit(::write(channel[1], prompt.shown.data(), prompt.shown.size()) < 0);
      } catch (...) {
        ::_exit(2);
      }
    }
    ::close(channel[1]);
    std::string shown(1 << 16, '\0');
    shown.resize(std::max<ssize_t>(::read(channel[0], shown.data(), shown.size()), 0));
    ::close(channel[0]);
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return shown;
  }
  // What the next transfer reading a whole file copies from it, once it has
  // put back whatever a cut-short transfer left there.
  std::string ReadOn(const std::string& path) {
    TransferRange({.CopyFromFile = path, .PasteToFile = folder.File("next")}, "0", "3FFFF", prompt);
    return Read(folder.File("next")).substr(0, Read(path).size());
  }
  void WriteFiles(long sourceLength, long targetLength) {  // -1: no file
    for (const std::string& file : {from, to}) std::filesystem::remove(file);
    source = Pattern(std::max(sourceLength, 0L), 1);
    target = Pattern(std::max(targetLength, 0L), 2);
    if (sourceLength >= 0) Write(from, source);
    if (targetLength >= 0) Write(to, target);
  }

  TempFolder folder;
  const std::string from = folder.File("from.smc"), to = folder.File("to.smc");
  std::string source, target;
  // As the window starts: both headers 0x200, 32 KiB banks.
  TransferSettings settings{from, to, 0x200, 0x200, 0x8000};
  RecordingPrompt prompt;
};

TEST_F(TransferTest, BankTransferChecksBothLengthsThenCopiesOneBankInPlace) {
  // clang-format off
  const struct {
    std::int32_t bankSize;
    std::int16_t copyFromHeader, pasteToHeader;
    int copyFromBank, pasteToBank;
    long sourceLength, targetLength;  // -1: no file
    std::string shown;
    bool answerNo = false;
  } rows[] = {
      {0x8000, 0x200, 0x200, 31, 40, 0x200 + 32 * kBank, 0x200 + 64 * kBank, kBankDone},
      {0x8000, 0x200, 0x200, 31, 40, 0x200 + 32 * kBank - 1, 0x200, CopyFromTooShort("9F")},
      {0x4000, 0x10, 0, 1, 2, 0x10 + 0xC000, 0x20000, kBankDone},  // 16 KiB at 32 KiB steps
      {0x4000, 0x10, 0, 1, 2, 0x10 + 0xC000 - 1, 0x20000, CopyFromTooShort("81")},
      {0x8000, 0x200, 0x200, 0, 0, -1, 0x8200, CopyFromTooShort("00")},
      {0x8000, 0x200, 0x200, 0, 0, 0x8200, -1, ExpandQuestion("00"), true},
      {0x8000, 0x200, 0x200, 3, 2, 0x200 + 4 * kBank, 0x300, ExpandQuestion("80") + kBankDone}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    WriteFiles(row.sourceLength, row.targetLength);
    settings = {from, to, row.copyFromHeader, row.pasteToHeader, row.bankSize};
    prompt.shown.clear();
    prompt.answerNo = row.answerNo;
    TransferBank(settings, row.copyFromBank, row.pasteToBank, prompt);
    EXPECT_EQ(prompt.shown, row.shown);
    const std::size_t at = row.pasteToHeader + row.pasteToBank * kBank;
    const std::size_t bankStart = row.copyFromHeader + row.copyFromBank * kBank;
    const bool done = row.shown.ends_with(kBankDone);
    EXPECT_TRUE(Read(to) ==
                (done ? Overwritten(target, at, source.substr(bankStart, row.bankSize)) : target));
    EXPECT_TRUE(exists(from) && exists(to));  // a missing file is created empty
  }
  // A 32-bit length would wrap to 0x200 and call the file too short.
  settings = {from, to, 0x200, 0x200, 0x8000};
  WriteFiles(0x200 + 128 * kBank, 0x200 + kBank);
  std::filesystem::resize_file(from, (std::uintmax_t{4} << 30) + 0x200);
  TransferBank(settings, 127, 0, prompt);
  EXPECT_TRUE(Read(to).substr(0x200) == source.substr(0x200 + 127 * kBank));
  // The Copy From file shrinking while the question waits: half a bank is no bank.
  WriteFiles(0x200 + 2 * kBank, -1);
  prompt.whileShown = [&] { std::filesystem::resize_file(from, 0x9000); };
  TransferBank(settings, 1, 0, prompt);
  EXPECT_TRUE(prompt.shown.ends_with(
      Failed("Can't read '" + from + "'.\r\nThe file ended before the bank did")));
  EXPECT_EQ(Read(to), "");
}

TEST_F(TransferTest, RangeTransferCopiesFromTheFirstToTheLastOffsetAtTheSameOffsets) {
  // clang-format off
  const struct {
    std::string first, last;
    long sourceLength, targetLength;  // -1: no file
  } rows[] = {
      {"8200", "8200", 0x10000, 0x10000}, {"", "", 0x10000, 0x10000}, {"008200", "9fff", 0x10000, 0x10000},
      {"F00", "17FF", 0x1000, 0x800}, {"10", "1F", -1, 0x100}, {"200", "100", 0x1000, 0x1000}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first + ".." + row.last);
    WriteFiles(row.sourceLength, row.targetLength);
    prompt.shown.clear();
    TransferRange(settings, row.first, row.last, prompt);  // the headers play no part
    const std::size_t first = ReadHex(row.first), last = ReadHex(row.last);
    // Bytes past the end of the Copy From file arrive as zeros.
    const std::string range =
        (source + std::string(last + 1, '\0')).substr(first, last + 1 - first);
    const std::string reversed = Failed("The last offset 100 lies before the first offset 200.");
    EXPECT_EQ(prompt.shown, last >= first ? kRangeDone : reversed);
    EXPECT_TRUE(Read(to) == (last >= first ? Overwritten(target, first, range) : target));
    EXPECT_TRUE(exists(from));
  }
}

TEST_F(TransferTest, OnlyRegularFilesOpenAndPermissionsDecideWithoutBlockingOrLosingBytes) {
  const std::string pipe = folder.File("pipe"), locked = folder.File("locked");
  ::mkfifo(pipe.c_str(), 0666);
  ::chmod(pipe.c_str(), 0666);
  std::filesystem::create_directory(locked);
  WriteFiles(0x200 + kBank, 0x200 + kBank);
  // Root ignores file permissions: as root, the child becomes "nobody".
  const auto unprivileged = [] {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534)))
      ::_exit(3);
  };
  const auto refused = [](const std::string& path, const std::string& reason) {
    return Failed("Can't open '" + path + "'.\r\n" + reason);
  };
  const std::string other = "Not a regular file", folderPath = folder.path, longName(250, 'r');
  // clang-format off
  const struct {
    std::string copyFrom, pasteTo;
    mode_t copyFromMode, pasteToMode;
    std::string shown;
  } rows[] = {
      {pipe, to, 0666, 0666, refused(pipe, other)}, {from, pipe, 0666, 0666, refused(pipe, other)},
      {"/dev/zero", to, 0666, 0666, refused("/dev/zero", other)},
      {from, "/dev/null", 0666, 0666, refused("/dev/null", other)},
      {folderPath, to, 0666, 0666, refused(folderPath, "Is a directory")},
      {from, folderPath, 0666, 0666, refused(folderPath, "Is a directory")},
      {from, to, 0666, 0444, refused(to, "Permission denied")}, {from, to, 0, 0666, refused(from, "Permission denied")},
      {from, to, 0444, 0666, kBankDone},
      // No room for a journal beside the file; the transfer goes on without one.
      {from, locked + "/to.smc", 0444, 0666, kBankDone}, {from, folder.File(longName), 0444, 0666, kBankDone}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    const std::string written = row.shown == kBankDone ? row.pasteTo : to;
    for (const auto& [path, mode] :
         {std::pair{from, row.copyFromMode}, {written, 0666u}, {to, row.pasteToMode}}) {
      ::chmod(path.c_str(), 0666);
      Write(path, path == from ? source : target);
      ::chmod(path.c_str(), mode);
    }
    ::chmod(locked.c_str(), 0555);
    settings = {row.copyFrom, row.pasteTo, 0x200, 0x200, 0x8000};
    EXPECT_EQ(InChild([&] { TransferBank(settings, 0, 0, prompt); }, unprivileged), row.shown);
    EXPECT_TRUE(Read(written) ==
                (row.shown == kBankDone ? target.substr(0, 0x200) + source.substr(0x200) : target));
    std::error_code tooLong;
    EXPECT_FALSE(exists(JournalPath(written), tooLong));
    ::chmod(locked.c_str(), 0777);
  }
}

TEST_F(TransferTest, KilledAtAnyFileCallTheNextTransferFindsTheFileWhollyOldOrWhollyNew) {
  for (const auto& transfer :
       {std::function<void()>([&] { TransferBank(settings, 3, 1, prompt); }),  // grows it
        std::function<void()>([&] { TransferRange(settings, "100", "20FF", prompt); })}) {
    WriteFiles(0x200 + 4 * kBank, 0x300);
    transfer();
    const std::string updated = Read(to);
    // Stopped at each file call in turn, until a run gets to its prompts.
    const auto stopped = [&](int call, const std::function<void()>& work) {
      return InChild(work, [call] { StopAtFileCall(call); }).empty();
    };
    for (int call = 1; Write(to, target), stopped(call, transfer); ++call) {
      // A power cut before the journal's flush may leave any of its bytes unwritten, the file
      // still untouched: such a journal must not be put back.
      const std::string journal = JournalPath(to);
      if (exists(journal) && Read(to) == target) Write(journal, Read(journal).replace(16, 1, "?"));
      // Putting the file back may be cut short as well.
      for (int again = 1; stopped(again, [&] { ReadOn(to); });) ++again;
      const std::string readOn = ReadOn(to), after = Read(to);
      EXPECT_TRUE((after == target || after == updated) && readOn == after) << call;
      EXPECT_FALSE(exists(JournalPath(to)));
    }
  }
}

TEST_F(TransferTest, AFailedWriteIsPutBackAndAFailedPutBackIsToldAndLeftToTheNextTransfer) {
  // The bank at 0x10200 overwrites the old end at 0x12000, then grows the
  // file until a size limit stops it at 0x14000.
  WriteFiles(0x200 + 3 * kBank, 0x12000);
  const auto bankTwo = [&] { TransferBank(settings, 2, 2, prompt); };
  const auto limitFileSize = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{0x14000, 0x14000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  EXPECT_EQ(InChild(bankTwo, limitFileSize),
            ExpandQuestion("82") + Failed("Can't write '" + to + "'.\r\nFile too large"));
  EXPECT_TRUE(Read(to) == target && !exists(JournalPath(to)));
  // Then the flush fails, and so does putting the file back; through a link,
  // as the journal lies beside the file and is found under either name.
  settings.PasteToFile = folder.File("link.smc");
  std::filesystem::create_symlink(to, settings.PasteToFile);
  const std::string failed = "Can't write '" + settings.PasteToFile + "'.\r\nInput/output error";
  EXPECT_EQ(InChild(bankTwo, [&] { FailFromFirstFlushOf(to); }),
            ExpandQuestion("82") + Failed(failed + "\r\nIt could not be put back yet: the next " +
                                          "transfer into it will put it back."));
  EXPECT_TRUE(ReadOn(to) == target);
  EXPECT_EQ(prompt.shown, Done("The last transfer into '" + to + "' was cut short. The file has " +
                               "been put back as it was before it.") +
                              kRangeDone);
  // While a transfer into the file runs, no other takes its journal for a cut-short one's.
  const RollbackJournal running = RollbackJournal::Begin(to, {.offset = 0, .oldLength = 0});
  TransferBank(settings, 2, 2, prompt);
  EXPECT_TRUE(prompt.shown.ends_with(Failed("Can't write '" + settings.PasteToFile +
                                            "'.\r\nAnother transfer into it is running")));
}

}  // namespace zarvello::testing
