#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include <gtest/gtest.h>

#include "FileCallFaults.h"
#include "Files.h"
#include "RecordingPrompt.h"
#include "files/JournalImage.h"
#include "files/RollbackJournal.h"
#include "model/HexText.h"
#include "transfers/TransferBank.h"
#include "transfers/TransferRange.h"

namespace zarvello::testing {

namespace fs = std::filesystem;
using fs::exists;

constexpr std::size_t kBank = 0x8000;
const std::string kBankDone = Done("Bank transferred."), kRangeDone = Done("Data transferred.");
const std::string kBusy = "Another transfer into it is running";

std::string CopyFromTooShort(const std::string& lastBank) {
  return "'Copy From' File is only " + lastBank + " banks long.\r\nYou're grabbing at data that's" +
         " not there.\r\n\r\nCan't do that.  Sorry. [critical, OK, Oh, no you didn't!]\n";
}

std::string ExpandQuestion(const std::string& lastBank) {
  return "'Paste To' File is currently only " + lastBank + " banks long.\r\nDoing this transfer " +
         "will expand the ROM.\r\nUnless this was what you were planning on doing, you shouldn't " +
         "do it.\r\n\r\nDo you wish to expand this ROM? [Yes/No, Do you know what you're doing?]\n";
}

std::string Refused(const std::string& verb, const std::string& path, const std::string& reason) {
  return Failed("Can't " + verb + " '" + path + "'.\r\n" + reason);
}

// Two files' bytes, and where they first differ, rather than all of them.
::testing::AssertionResult SameBytes(const char* actualText, const char* expectedText,
                                     const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actualText << " (" << actual.size() << " bytes) and " << expectedText << " ("
         << expected.size() << " bytes) differ from byte "
         << std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
                actual.begin();
}

// A file's bytes after `bytes` were written over them at `at`.
std::string Overwritten(std::string file, std::size_t at, const std::string& bytes) {
  file.resize(std::max(file.size(), at + bytes.size()));
  std::copy(bytes.begin(), bytes.end(), file.begin() + at);
  return file;
}

class TransferTest : public ::testing::Test {
 protected:
  // A transfer in a forked child that setUp prepared; the prompts it showed.
  // The parent checks only those and the files; a child that throws, crashes
  // or blocks for a minute fails the test. whilePaused runs while the child
  // is stopped at a file call.
  std::string InChild(const std::function<void()>& transfer,
                      const std::function<void()>& setUp = {},
                      const std::function<void()>& whilePaused = {}) {
    int channel[2];
    EXPECT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(60);
      try {
        prompt.shown.clear();
        if (setUp) setUp();
        transfer();
        if (::write(channel[1], prompt.shown.data(), prompt.shown.size()) < 0) ::_exit(1);
        CutIfArmed();
        ::_exit(0);
      } catch (...) {
        ::_exit(2);
      }
    }
    ::close(channel[1]);
    int status = -1;
    while (::waitpid(child, &status, WUNTRACED) == child && WIFSTOPPED(status)) {
      whilePaused();
      ::kill(child, SIGCONT);
    }
    std::string shown(1 << 16, '\0');
    shown.resize(std::max<ssize_t>(::read(channel[0], shown.data(), shown.size()), 0));
    ::close(channel[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return shown;
  }
  // What the next transfer reading a whole file copies from it, once it has
  // put back whatever a cut-short transfer left there. Into a file whose name
  // leaves no room for a journal's, to spare the journal's flushes.
  std::string ReadOn(const std::string& path) {
    const std::string next = folder.File(std::string(250, 'n'));
    TransferRange({.CopyFromFile = path, .PasteToFile = next}, "0", "3FFFF", prompt);
    return Read(next).substr(0, Read(path).size());
  }
  void WriteFiles(long sourceLength, long targetLength) {  // -1: no file
    for (const std::string& file : {from, to}) fs::remove(file);
    source = Pattern(std::max(sourceLength, 0L), 1);
    target = Pattern(std::max(targetLength, 0L), 2);
    if (sourceLength >= 0) Write(from, source);
    if (targetLength >= 0) Write(to, target);
  }

  TempFolder folder;
  const std::string from = folder.File("from.smc"), to = folder.File("to.smc");
  const std::string journal = JournalPath(to);
  std::string source, target;
  // As the window starts: both headers 0x200, 32 KiB banks.
  TransferSettings settings{from, to, 0x200, 0x200, 0x8000};
  RecordingPrompt prompt;
  const std::function<void()> range = [&] { TransferRange(settings, "100", "40FF", prompt); };
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
    EXPECT_PRED_FORMAT2(
        SameBytes, Read(to),
        done ? Overwritten(target, at, source.substr(bankStart, row.bankSize)) : target);
    EXPECT_TRUE(exists(from) && exists(to));  // a missing file is created empty
  }
  // A 32-bit length would wrap to 0x200 and call the file too short.
  settings = {from, to, 0x200, 0x200, 0x8000};
  WriteFiles(0x200 + 128 * kBank, 0x200 + kBank);
  fs::resize_file(from, (std::uintmax_t{4} << 30) + 0x200);
  TransferBank(settings, 127, 0, prompt);
  EXPECT_PRED_FORMAT2(SameBytes, Read(to).substr(0x200), source.substr(0x200 + 127 * kBank));
  // One file on both sides, under one name or two: the bank moves within it.
  WriteFiles(0x200 + 2 * kBank, -1);
  fs::create_hard_link(from, folder.File("same.smc"));
  for (const std::string& pasteTo : {from, folder.File("same.smc")}) {
    settings.PasteToFile = pasteTo;
    prompt.shown.clear();
    TransferBank(settings, 1, 0, prompt);
    EXPECT_EQ(prompt.shown, kBankDone);
  }
  EXPECT_PRED_FORMAT2(SameBytes, Read(from),
                      Overwritten(source, 0x200, source.substr(0x8200, kBank)));
  // The Copy From file shrinking while the question waits: half a bank is no bank.
  settings.PasteToFile = to;
  WriteFiles(0x200 + 2 * kBank, -1);
  prompt.whileShown = [&] { fs::resize_file(from, 0x9000); };
  prompt.shown.clear();
  TransferBank(settings, 1, 0, prompt);
  EXPECT_EQ(prompt.shown,
            ExpandQuestion("00") + Refused("read", from, "The file ended before the bank did"));
  EXPECT_PRED_FORMAT2(SameBytes, Read(to), "");
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
    EXPECT_PRED_FORMAT2(SameBytes, Read(to),
                        last >= first ? Overwritten(target, first, range) : target);
    EXPECT_TRUE(exists(from));
  }
}

TEST_F(TransferTest, OnlyRegularFilesOpenAndPermissionsDecideWithoutBlockingOrLosingBytes) {
  const std::string pipe = folder.File("pipe"), locked = folder.File("locked");
  const std::string pipeLink = folder.File("pipe.smc");
  ::mkfifo(pipe.c_str(), 0666);
  ::chmod(pipe.c_str(), 0666);
  fs::create_symlink(pipe, pipeLink);
  fs::create_directory(locked);
  // Opening the pipe for writing, as a Paste To file is opened, would wake this reader.
  const pid_t reader = ::fork();
  if (reader == 0) ::_exit(::open(pipe.c_str(), O_RDONLY) < 0 ? 1 : 0);
  WriteFiles(0x200 + kBank, 0x200 + kBank);
  // Root ignores file permissions: as root, the child becomes "nobody".
  const auto unprivileged = [] {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534)))
      ::_exit(3);
  };
  const auto refused = [](const std::string& path, const std::string& reason) {
    return Refused("open", path, reason);
  };
  const std::string other = "Not a regular file", folderPath = folder.path, longName(250, 'r');
  // clang-format off
  const struct {
    std::string copyFrom, pasteTo;
    mode_t copyFromMode, pasteToMode;
    std::string shown;
  } rows[] = {
      {pipe, to, 0666, 0666, refused(pipe, other)}, {from, pipe, 0666, 0666, refused(pipe, other)},
      {from, pipeLink, 0666, 0666, refused(pipeLink, other)},
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
    EXPECT_PRED_FORMAT2(
        SameBytes, Read(written),
        row.shown == kBankDone ? target.substr(0, 0x200) + source.substr(0x200) : target);
    std::error_code tooLong;
    EXPECT_FALSE(exists(JournalPath(written), tooLong));
    ::chmod(locked.c_str(), 0777);
  }
  // A pipe taking the file's name between the look and the open: refused, without waiting.
  // A pipe taking the name of the file, or of a missing one, between the look and the open.
  const auto pipeInstead = [&] {
    BeforeOpening(to, [&] { fs::remove(to), ::mkfifo(to.c_str(), 0600); });
  };
  settings = {from, to, 0x200, 0x200, 0x8000};
  for (const std::string reason :
       {"Another file took its name while it was being opened", "Not a regular file"}) {
    EXPECT_EQ(InChild([&] { TransferBank(settings, 0, 0, prompt); }, pipeInstead),
              refused(to, reason));
    fs::remove(to);
  }
  EXPECT_EQ(::waitpid(reader, nullptr, WNOHANG), 0);  // still waiting: the pipe was never opened
  ::kill(reader, SIGKILL);
  ::waitpid(reader, nullptr, 0);
}

TEST_F(TransferTest, CutShortByAKillOrAPowerCutAtAnyFileCallTheFileEndsWhollyOldOrWhollyNew) {
  // A bank that grows the file, and a range whose journal spans pages.
  const std::pair<std::function<void()>, long> transfers[] = {
      {[&] { TransferBank(settings, 3, 1, prompt); }, 0x300}, {range, 0x6000}};
  for (const auto& [transfer, targetLength] : transfers) {
    WriteFiles(0x200 + 4 * kBank, targetLength);
    transfer();
    const std::string updated = Read(to);
    for (const Fault cut :
         {Fault::Kill, Fault::LoseAll, Fault::LoseAfterPage, Fault::LoseDataAfterPage}) {
      // Cut at each file call in turn, or right after the notice, until a run gets to it.
      bool done = false;
      for (int call = 1; !done; ++call) {
        SCOPED_TRACE(std::to_string(static_cast<int>(cut)) + " at call " + std::to_string(call));
        Write(to, target);
        done = !InChild(transfer, [=] { BreakFileCall(call, cut); }).empty();
        if (exists(journal)) {
          EXPECT_EQ(fs::status(journal).permissions(),
                    fs::perms::owner_read | fs::perms::owner_write);
        }
        // Putting the file back may be cut short as well.
        for (int again = 1;
             InChild([&] { ReadOn(to); }, [=] { BreakFileCall(again, cut); }).empty();)
          ++again;
        const std::string readOn = ReadOn(to), after = Read(to);
        EXPECT_PRED_FORMAT2(SameBytes, after, after == target && !done ? target : updated);
        EXPECT_PRED_FORMAT2(SameBytes, readOn, after);
        EXPECT_FALSE(exists(journal));
      }
    }
  }
}

TEST_F(TransferTest, WhileATransferRunsOneNamingItsFileOnEitherSideIsRefusedAndPutsNothingBack) {
  WriteFiles(0x5000, 0x6000);
  range();
  const std::string updated = Read(to);
  for (int call = 1, paused = 1; paused; ++call) {
    Write(to, target);
    paused = 0;
    const std::string shown = InChild(
        range, [=] { BreakFileCall(call, Fault::Pause); },
        [&] {
          ++paused;
          const auto second = [&](const std::string& copyFrom, const std::string& pasteTo) {
            return InChild([&] { TransferRange({copyFrom, pasteTo}, "0", "0", prompt); });
          };
          EXPECT_EQ(second(to, folder.File("other")), Refused("read", to, kBusy)) << call;
          EXPECT_EQ(second(from, to), Refused("write", to, kBusy)) << call;
        });
    EXPECT_EQ(shown, kRangeDone);
    EXPECT_PRED_FORMAT2(SameBytes, Read(to), updated);
  }
}

TEST_F(TransferTest, OnlyTheUsersOwnJournalForThisVeryFileIsPutBack) {
  // A journal as a transfer killed before its flush leaves it, of a write that grew the
  // file from 0x80 to 0x4100 bytes, from 0x100 on.
  WriteFiles(0x5000, 0x80);
  InChild(range, [] { BreakFileCall(5, Fault::Kill); });
  const std::string valid = Read(journal), rom = Read(to);
  std::string inGap = rom, inWrite = rom;
  inGap[0x90] = inWrite[0x200] = 'x';
  const auto own = [&](const std::string& bytes) {
    Write(journal, bytes);
    fs::permissions(journal, fs::perms::owner_read | fs::perms::owner_write);
  };
  JournalImage impossible({.offset = std::int64_t{1} << 40, .length = 1},
                          std::array<std::byte, 1>());
  impossible.Seal();
  const std::string notOurs =
      Refused("use", journal,
              "This is not a journal that Zarvello wrote for you: its owner's next transfer into "
              "the file puts the file back, and removing it gives up that put-back.");
  const std::string changed =
      Done("The last transfer into '" + to +
           "' was cut short, but the file has been changed since. It was left as it is.");
  const std::string impossibleBytes(reinterpret_cast<const char*>(impossible.Bytes().data()),
                                    impossible.Bytes().size());
  // clang-format off
  const struct {
    std::function<void()> place;
    std::string shown;
    bool copyFromSide = false;
  } rows[] = {
      // Another user's: as root, nobody's; otherwise, one others may write stands in.
      {[&] { own(valid); ::geteuid() == 0 ? (void)::chown(journal.c_str(), 65534, 65534) : fs::permissions(journal, fs::perms::all); }, notOurs},
      {[&] { own(valid); ::chmod(journal.c_str(), 0660); }, notOurs, true},
      {[&] { Write(folder.File("elsewhere"), valid); fs::create_symlink(folder.File("elsewhere"), journal); }, notOurs},
      {[&] { ::mkfifo(journal.c_str(), 0600); }, notOurs}, {[&] { fs::create_directory(journal); }, notOurs, true},
      {[&] { own(""); fs::resize_file(journal, std::uintmax_t{64} << 30); }, notOurs},
      {[&] { own(valid + '\0'); }, notOurs}, {[&] { own(impossibleBytes); }, notOurs},
      // Another file, just as valid, took its name between the look and the open.
      {[&] { own(valid); BeforeOpening(journal, [&] { Write(folder.File("j"), valid); fs::rename(folder.File("j"), journal); }); }, notOurs},
      // A stale journal: bytes changed where the write went or in the gap before it, the file grown
      // since, or another file with the same bytes renamed onto its name.
      {[&] { Write(to, inWrite); own(valid); }, changed + kRangeDone, true}, {[&] { Write(to, inGap); own(valid); }, changed + kRangeDone, true},
      {[&] { Write(to, rom + '!'); own(valid); }, changed + kRangeDone, true},
      {[&] { own(valid); Write(folder.File("new"), rom); fs::rename(folder.File("new"), to); }, changed + kRangeDone, true}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    Write(to, rom);
    row.place();
    const std::string before = Read(to);
    const TransferSettings sides{row.copyFromSide ? to : from,
                                 row.copyFromSide ? folder.File("other") : to};
    EXPECT_EQ(InChild([&] { TransferRange(sides, "100", "40FF", prompt); }), row.shown);
    EXPECT_PRED_FORMAT2(SameBytes, Read(to), before);
    EXPECT_EQ(fs::symlink_status(journal).type() != fs::file_type::not_found, row.shown == notOurs);
    fs::remove_all(journal);
    BeforeOpening({}, {});
  }
}

TEST_F(TransferTest, AFailedWriteIsPutBackAndTheUserIsToldWhatBecameOfTheFile) {
  // Each call of a range transfer failing in turn: only after the journal is
  // gone does the file keep its new bytes, and the user is told so.
  WriteFiles(0x5000, 0x6000);
  range();
  const std::string updated = Read(to), folderPath = folder.path;
  const std::string io = "Input/output error";
  const std::string complete =
      io + "\r\nThe transfer itself is complete: the new bytes were written.";
  const std::string failing[] = {journal, journal, folderPath, to, to, journal, folderPath};
  for (int call = 1; call <= 8; ++call) {
    Write(to, target);
    EXPECT_EQ(
        InChild(range, [=] { BreakFileCall(call, Fault::Fail); }),
        call > 7 ? kRangeDone : Refused("write", failing[call - 1], call < 7 ? io : complete));
    EXPECT_PRED_FORMAT2(SameBytes, Read(to), call < 7 ? target : updated) << call;
    EXPECT_FALSE(exists(journal));
  }
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
            ExpandQuestion("82") + Refused("write", to, "File too large"));
  EXPECT_PRED_FORMAT2(SameBytes, Read(to), target);
  EXPECT_FALSE(exists(journal));
  // Then the flush fails, and so does putting the file back; through a link,
  // as the journal lies beside the file and is found under either name.
  settings.PasteToFile = folder.File("link.smc");
  fs::create_symlink(to, settings.PasteToFile);
  EXPECT_EQ(InChild(bankTwo, [&] { FailFromFirstFlushOf(to); }),
            ExpandQuestion("82") + Refused("write", settings.PasteToFile,
                                           "Input/output error\r\nIt could not be put back yet: "
                                           "the next transfer into it will put it back."));
  prompt.shown.clear();
  EXPECT_PRED_FORMAT2(SameBytes, ReadOn(to), target);
  EXPECT_EQ(prompt.shown, Done("The last transfer into '" + to +
                               "' was cut short. The file has been put back as it was before it.") +
                              kRangeDone);
  // Not even the range's buffer can be had.
  const auto littleMemory = [] {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * ::sysconf(_SC_PAGESIZE) + (8 << 20);
    const rlimit memory{limit, limit};
    ::setrlimit(RLIMIT_AS, &memory);
  };
  EXPECT_EQ(InChild([&] { TransferRange(settings, "0", "FFFFFF", prompt); }, littleMemory),
            Failed("There is not enough memory for this transfer."));
}

}  // namespace zarvello::testing
