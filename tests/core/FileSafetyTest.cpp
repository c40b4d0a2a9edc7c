// The promises about files that take processes to test: pipes and devices
// never opened, other users, kills and power cuts at every file call, two
// transfers at once, and failing calls.

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include <gtest/gtest.h>

#include "FileCallFaults.h"
#include "TransferFixture.h"
#include "files/JournalImage.h"

namespace zarvello::testing {

class FileSafetyTest : public TransferTest {
 protected:
  // A transfer in a forked child; the prompts it showed. The parent checks
  // only those and the files; a child that throws, crashes or blocks for a
  // minute fails the test. whilePaused runs while the child is stopped at a
  // file call.
  std::string InChild(const std::function<void()>& transfer,
                      const std::function<void()>& whilePaused = {}) {
    const std::string shown = folder.File("shown");
    fs::remove(shown);
    if (const pid_t child = ::fork(); child == 0) {
      ::alarm(60);
      try {
        prompt.shown.clear();
        transfer();
      } catch (...) {
        ::_exit(2);
      }
      Write(shown, prompt.shown);
      CutIfArmed();
      ::_exit(0);
    } else {
      int status = -1;
      for (; ::waitpid(child, &status, WUNTRACED) == child && WIFSTOPPED(status);
           ::kill(child, SIGCONT))
        whilePaused();
      EXPECT_EQ(status, 0) << "the child did not end well";
    }
    return Read(shown);
  }
  // What the next transfer reading a whole file copies from it, once it has
  // put back whatever a cut-short transfer left there. Into a file whose name
  // leaves no room for a journal's, to spare the journal's flushes.
  std::string ReadOn(const std::string& path) {
    const std::string next = folder.File(std::string(250, 'n'));
    TransferRange({.CopyFromFile = path, .PasteToFile = next}, "0", "3FFFF", prompt);
    return Read(next).substr(0, Read(path).size());
  }
};

TEST_F(FileSafetyTest, OnlyRegularFilesOpenAndPermissionsDecideWithoutBlockingOrLosingBytes) {
  const std::string pipe = folder.File("pipe"), link = folder.File("pipe.smc"),
                    locked = folder.File("locked");
  ::mkfifo(pipe.c_str(), 0666);
  ::chmod(pipe.c_str(), 0666);
  fs::create_symlink(pipe, link);
  fs::create_directory(locked);
  // Opening the pipe for writing, as a Paste To file is opened, would wake this reader.
  const pid_t reader = ::fork();
  if (reader == 0) ::_exit(::open(pipe.c_str(), O_RDONLY) < 0 ? 1 : 0);
  WriteFiles(0x200 + kBank, 0x200 + kBank);
  const std::string other = "Not a regular file", inFolder = folder.path,
                    denied = "Permission denied";
  // clang-format off
  const struct {
    std::string copyFrom, pasteTo;
    mode_t copyFromMode, pasteToMode;
    std::string shown;
  } rows[] = {
      {pipe, to, 0666, 0666, Refused("open", pipe, other)}, {from, link, 0666, 0666, Refused("open", link, other)},
      {from, inFolder, 0666, 0666, Refused("open", inFolder, "Is a directory")},
      {from, to, 0666, 0444, Refused("open", to, denied)}, {from, to, 0, 0666, Refused("open", from, denied)},
      {from, to, 0444, 0666, kBankDone},
      // No room for a journal beside the file; the transfer goes on without one.
      {from, locked + "/to.smc", 0444, 0666, kBankDone}, {from, folder.File(std::string(250, 'r')), 0444, 0666, kBankDone}};
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
    // Root ignores file permissions: as root, the child becomes "nobody".
    EXPECT_EQ(
        InChild([&] {
          if (::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534)))
            ::_exit(3);
          TransferBank(settings, 0, 0, prompt);
        }),
        row.shown);
    const bool done = row.shown == kBankDone;
    EXPECT_PRED_FORMAT2(SameBytes, Read(written),
                        done ? target.substr(0, 0x200) + source.substr(0x200) : target);
    // No journal is left, even where its name would be too long.
    EXPECT_EQ(LookAt(JournalPath(written), false).kind, FileKind::Missing);
    ::chmod(locked.c_str(), 0777);
  }
  // A pipe taking the name of the file, or of a missing one, between the look and the open.
  settings = {from, to, 0x200, 0x200, 0x8000};
  for (const std::string& reason :
       {std::string("Another file took its name while it was being opened"), other}) {
    const auto pipeInstead = [&] { fs::remove(to), ::mkfifo(to.c_str(), 0600); };
    EXPECT_EQ(
        InChild([&] { BeforeOpening(to, pipeInstead), TransferBank(settings, 0, 0, prompt); }),
        Refused("open", to, reason));
    fs::remove(to);
  }
  EXPECT_EQ(::waitpid(reader, nullptr, WNOHANG), 0);  // still waiting: the pipe was never opened
  ::kill(reader, SIGKILL);
  ::waitpid(reader, nullptr, 0);
}

TEST_F(FileSafetyTest, CutShortByAKillOrAPowerCutAtAnyFileCallTheFileEndsWhollyOldOrWhollyNew) {
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
        done = !InChild([&] { BreakFileCall(call, cut), transfer(); }).empty();
        const auto privately = fs::perms::owner_read | fs::perms::owner_write;  // a journal's mode
        EXPECT_EQ(fs::exists(journal) ? fs::status(journal).permissions() : privately, privately);
        // Putting the file back may be cut short as well.
        for (int again = 1; InChild([&] { BreakFileCall(again, cut), ReadOn(to); }).empty();)
          ++again;
        const std::string readOn = ReadOn(to), after = Read(to);
        EXPECT_PRED_FORMAT2(SameBytes, after, after == target && !done ? target : updated);
        EXPECT_PRED_FORMAT2(SameBytes, readOn, after);
        EXPECT_FALSE(fs::exists(journal));
      }
    }
  }
}

TEST_F(FileSafetyTest, WhileATransferRunsOneNamingItsFileOnEitherSideIsRefusedAndPutsNothingBack) {
  WriteFiles(0x5000, 0x6000);
  range();
  const std::string updated = Read(to);
  const auto second = [&](const std::string& copyFrom, const std::string& pasteTo) {
    return InChild([&] { TransferRange({copyFrom, pasteTo}, "0", "0", prompt); });
  };
  for (int call = 1, paused = 1; paused; ++call) {
    Write(to, target);
    paused = 0;
    EXPECT_EQ(InChild([&] { BreakFileCall(call, Fault::Pause), range(); },
                      [&] {
                        ++paused;
                        EXPECT_EQ(second(to, folder.File("other")), Refused("read", to, kBusy))
                            << call;
                        EXPECT_EQ(second(from, to), Refused("write", to, kBusy)) << call;
                      }),
              kRangeDone);
    EXPECT_PRED_FORMAT2(SameBytes, Read(to), updated);
  }
}

TEST_F(FileSafetyTest, OnlyTheUsersOwnJournalForThisVeryFileIsPutBack) {
  // A journal as a transfer killed before its flush leaves it, of a write that grew the
  // file from 0x80 to 0x4100 bytes, from 0x100 on.
  WriteFiles(0x5000, 0x80);
  InChild([&] { BreakFileCall(5, Fault::Kill), range(); });
  const std::string valid = Read(journal), rom = Read(to),
                    notOurs = Refused("use", journal, kNotOurJournal);
  const std::string changed =
      Done("The last transfer into '" + to +
           "' was cut short, but the file has been changed since. It was left as it is.") +
      kRangeDone;
  std::string inGap = rom, inWrite = rom;
  inGap[0x90] = inWrite[0x200] = 'x';
  const auto own = [&](const std::string& bytes) {
    Write(journal, bytes), ::chmod(journal.c_str(), 0600);
  };
  JournalImage impossible({.offset = std::int64_t{1} << 40, .length = 1},
                          std::array<std::byte, 1>());
  impossible.Seal();
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
      {[&] { own(valid + '\0'); }, notOurs}, {[&] { own({reinterpret_cast<const char*>(impossible.Bytes().data()), impossible.Bytes().size()}); }, notOurs},
      // Another file, just as valid, took its name between the look and the open.
      {[&] { own(valid); BeforeOpening(journal, [&] { Write(folder.File("j"), valid); fs::rename(folder.File("j"), journal); }); }, notOurs},
      // A stale journal: bytes changed where the write went or in the gap before it, the file grown
      // since, or another file with the same bytes renamed onto its name.
      {[&] { Write(to, inWrite); own(valid); }, changed, true}, {[&] { Write(to, inGap); own(valid); }, changed, true},
      {[&] { Write(to, rom + '!'); own(valid); }, changed, true},
      // One cut short after this transfer looked for it, before it took its lock, and of a file put back since.
      {[&] { Write(to, target); BeforeOpening(to, [&] { own(valid); }); }, Done("The last transfer into '" + to + "' was cut short. The file has been put back as it was before it."), true},
      {[&] { own(valid); Write(folder.File("new"), rom); fs::rename(folder.File("new"), to); }, changed, true}};
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

TEST_F(FileSafetyTest, AFailedWriteIsPutBackAndTheUserIsToldWhatBecameOfTheFile) {
  // Each call of a range transfer that grows the file failing in turn, and every later call
  // on its file: only after the journal is gone does the file keep its new bytes, and the
  // user is told what became of it. Through a link, as the journal lies beside the file
  // under either name.
  WriteFiles(0x5000, 0x3000);
  const std::string link = settings.PasteToFile = folder.File("link.smc"), inFolder = folder.path;
  fs::create_symlink(to, link);
  range();
  const std::string updated = Read(to), io = "Input/output error";
  const std::string later =
      io + "\r\nIt could not be put back yet: the next transfer into it will put it back.";
  const std::string complete =
      io + "\r\nThe transfer itself is complete: the new bytes were written.";
  const std::string putBack =
      Done("The last transfer into '" + to +
           "' was cut short. The file has been put back as it was before it.");
  const std::pair<std::string, std::string> failing[] = {
      {journal, io}, {journal, io}, {inFolder, io},      {link, later},
      {link, later}, {journal, io}, {inFolder, complete}};
  for (int call = 1; call <= 8; ++call) {
    Write(to, target);
    EXPECT_EQ(InChild([&] { BreakFileCall(call, Fault::Fail), range(); }),
              call > 7 ? kRangeDone
                       : Refused("write", failing[call - 1].first, failing[call - 1].second));
    prompt.shown.clear();
    EXPECT_PRED_FORMAT2(SameBytes, ReadOn(to), call < 7 ? target : updated) << call;
    EXPECT_EQ(prompt.shown, (call == 4 || call == 5 ? putBack : "") + kRangeDone);
    EXPECT_FALSE(fs::exists(journal));
  }
  // Not even the range's buffer can be had.
  EXPECT_EQ(
      InChild([&] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit memory{rlim_t(pages * ::sysconf(_SC_PAGESIZE) + (8 << 20)), RLIM_INFINITY};
        ::setrlimit(RLIMIT_AS, &memory);
        TransferRange(settings, "0", "FFFFFF", prompt);
      }),
      Failed("There is not enough memory for this transfer."));
}

}  // namespace zarvello::testing
