// The promises about files that take processes and faults to test, on every
// system: kills and power cuts at every file call, two transfers at once,
// journals that are not the user's or not for this file, and failing calls;
// and on POSIX systems alone, pipes, file modes and other users.

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "FileCallFaults.h"
#include "TransferFixture.h"
#include "files/JournalImage.h"

namespace zarvello::testing {

class FileSafetyTest : public TransferTest {
 protected:
  // What the next transfer reading a whole file copies from it, once it has
  // put back whatever a cut-short transfer left there. Into a file whose name
  // leaves no room for a journal's, to spare the journal's flushes.
  std::string ReadOn(const std::string& path) {
    TransferRange({path, nowhere}, "0", "3FFFF", prompt);
    return Read(nowhere).substr(0, Read(path).size());
  }

  const std::string nowhere = folder.File(std::string(250, 'n'));
  const std::vector<std::string> rangeJob{from, to, "100", "40FF"};
};

TEST_F(FileSafetyTest, CutShortByAKillOrAPowerCutAtAnyFileCallTheFileEndsWhollyOldOrWhollyNew) {
  // A range that grows the file past a gap of zeros, the undo that shortens it again and the
  // redo; and a range whose journal spans pages.
  for (const long targetLength : {0x80, 0x6000}) {
    WriteFiles(0x5000, targetLength);
    const std::string updated = Overwritten(target, 0x100, source.substr(0x100, 0x4000));
    // clang-format off
    const struct { std::vector<std::string> steps; std::string before, after; } jobs[] = {{rangeJob, target, updated},
        {{from, to, "100", "40FF", "undo"}, updated, target}, {{from, to, "100", "40FF", "undo", "redo"}, target, updated}};
    // clang-format on
    for (const auto& job : std::span(jobs).first(targetLength == 0x80 ? 3 : 1))
      for (const Fault cut : {Fault::Kill, Fault::LoseAll, Fault::LoseAfterPage,
                              Fault::LoseDataAfterPage, Fault::ZeroAfterPage}) {
        // Cut at each file call in turn, or right after the notice, until a run gets to it.
        bool done = false;
        for (int call = 1; !done; ++call) {
          SCOPED_TRACE(job.steps.back() + " fault, call: " + std::to_string(int(cut) * 100 + call));
          Write(to, target);
          done = !InChild(folder, {job.steps, call, cut}).empty();
          EXPECT_TRUE(!fs::exists(Utf8Path(journal)) || OnlyItsOwnerMayUse(journal));
          // The next transfer tells of a journal only where one not marked done lay there.
          const std::string rom = Read(to), kept = journal + ".kept";
          const bool cutShort = fs::exists(Utf8Path(journal)),
                     told = cutShort && !Read(journal).starts_with("ZRVJDONE");
          if (cutShort) fs::create_hard_link(Utf8Path(journal), Utf8Path(kept));
          prompt.shown.clear();
          const std::string readOn = ReadOn(to), after = Read(to);
          EXPECT_EQ(prompt.shown, (told ? CutShort(to) : "") + kRangeDone);
          EXPECT_BYTES(after, after == job.before && !done ? job.before : job.after);
          EXPECT_BYTES(readOn, after);
          // Putting the file back may be cut short as well, and ends the same. A reversed range
          // stops the next transfer once it has looked.
          Write(to, rom);
          if (cutShort) fs::rename(Utf8Path(kept), Utf8Path(journal));
          for (int again = 1;
               cutShort && InChild(folder, {{to, to, "1", "0"}, again, cut}).empty();)
            ++again;
          EXPECT_BYTES(ReadOn(to), after);
          EXPECT_FALSE(fs::exists(Utf8Path(journal)));
        }
      }
  }
}

TEST_F(FileSafetyTest, WhileATransferCopiesOneNamingItsFilesIsRefusedAndPutsNothingBack) {
  // Paused at each of its file calls from the read of its copy on, with a journal beside the
  // Paste To file and where none can be kept, the first transfer holds its Paste To file
  // against any other transfer or undo, which stays undoable, and its Copy From file
  // against a write.
  WriteFiles(0x5000, 0x6000);
  const std::string other = folder.File("other"),
                    updated = Overwritten(target, 0x100, source.substr(0x100, 0x4000));
  Write(other, "o");
  for (const std::string& pasteTo : {to, nowhere}) {
    const std::vector<std::string> job{from, pasteTo, "100", "40FF"};
    const std::string refused = Refused("read", pasteTo, kBusy) + Refused("write", pasteTo, kBusy) +
                                Refused("write", from, kBusy) + Refused("write", pasteTo, kBusy);
    TransferHistory history;
    bool copying = false;
    for (int call = 1, paused = 1; paused; ++call) {
      Write(pasteTo, target), history = {};
      history.Add(TransferRange({from, pasteTo}, "100", "40FF", prompt).value()), prompt.Taken();
      paused = 0;
      const auto second = [&](const std::string& at) {
        ++paused;
        if (!(copying = copying || at == "read " + from)) return;
        for (const auto& [copyFrom, writtenTo] :
             {std::pair{pasteTo, other}, {other, pasteTo}, {other, from}})
          TransferRange({copyFrom, writtenTo}, "0", "0", prompt);
        UndoTransfer(history, prompt);
        EXPECT_TRUE(prompt.Taken() == refused && history.Next(Direction::Undo)) << at;
      };
      EXPECT_EQ(InChild(folder, {job, call, Fault::Pause}, second), kRangeDone);
      EXPECT_BYTES(Read(pasteTo), updated);
    }
    EXPECT_TRUE(copying);
  }
}

// A journal is put back, and a transfer undone or redone, only into the very
// file it was made for, as it left it; a journal only if it is the user's own.
TEST_F(FileSafetyTest, OnlyTheUsersOwnJournalForThisVeryFileIsPutBackAndOnlyItIsUndone) {
  // A journal as a transfer killed before its flush leaves it, of a write that grew the
  // file from 0x80 to 0x4100 bytes, from 0x100 on.
  WriteFiles(0x5000, 0x80);
  InChild(folder, {rangeJob, 6, Fault::Kill});
  const std::string valid = Read(journal), rom = Read(to),
                    notOurs = Refused("use", journal, kNotOurJournal);
  fs::remove(Utf8Path(journal));
  const std::string putBack = CutShort(to), changed = CutShort(to, true) + kRangeDone;
  std::string inGap = rom;
  inGap[0x90] = 'x';
  const auto own = [&](const std::string& bytes) {
    Write(journal, bytes);
    fs::permissions(Utf8Path(journal), fs::perms::owner_read | fs::perms::owner_write);
  };
  const std::string spent = "ZRVJDONE" + valid.substr(8),
                    cantUndo =
                        Refused("undo the transfer into", to, "The file has been changed since.");
  const auto grown = [&] { return Read(to) + 'x'; };
  TransferHistory history;
  // clang-format off
  const struct { std::function<void()> place; std::string shown; bool copyFromSide = false; std::optional<Direction> way; } rows[] = {
      {[&] { PlaceAnotherUsersFile(journal); }, notOurs}, {[&] { own(valid); LetOthersWrite(journal); }, notOurs, true},
      {[&] { fs::create_directory(Utf8Path(journal)); }, notOurs, true},
#ifndef _WIN32  // Wine makes no links, and Windows no named pipes in folders
      {[&] { Write(folder.File("elsewhere"), valid); fs::create_symlink(folder.File("elsewhere"), journal); }, notOurs},
      {[&] { ::mkfifo(journal.c_str(), 0600); }, notOurs, true},
#endif
      {[&] { own(valid); fs::resize_file(Utf8Path(journal), std::uintmax_t{64} << 30); }, notOurs},
      // Another file, just as valid, took its name between the look and the open.
      {[&] { own(valid); BeforeOpening(journal, [&] { Write(folder.File("j"), valid); fs::rename(Utf8Path(folder.File("j")), Utf8Path(journal)); }); }, notOurs},
      // A stale journal: bytes changed in the gap before the write, the file grown since, or
      // another file with the same bytes renamed onto its name.
      {[&] { Write(to, inGap); own(valid); }, changed, true}, {[&] { Write(to, rom + '!'); own(valid); }, changed, true},
      // One cut short after this transfer looked for it, before it took its lock, and of a file put back since.
      {[&] { Write(to, target); BeforeOpening(to, [&] { own(valid); }); }, putBack, true},
      // Torn by a power cut before its first page reached the disk, or marked done before a power cut
      // took its removal and found under the lock: the user's own, only deleted.
      {[&] { own(std::string(JournalImage::kHeaderSize, '\0') + valid.substr(JournalImage::kHeaderSize)); }, putBack + kRangeDone, true},
      {[&] { BeforeOpening(to, [&] { own(spent); }); }, kRangeDone, true},
      // Beside a file gone since, which is not made again.
      {[&] { own(valid); fs::remove(Utf8Path(to)); }, Refused("open", to, kNoSuchFile), true},
      // Last, as it gives the file another identity.
      {[&] { own(valid); Write(folder.File("new"), rom); fs::rename(Utf8Path(folder.File("new")), Utf8Path(to)); }, changed, true},
      // After a transfer from 0x5000 to 0x50FF, past a gap: changed in the gap, where it wrote, in length, gone,
      // another file put onto its name; and after its undo, in length.
      {[&] { Write(to, Overwritten(Read(to), 0x4800, "x")); }, cantUndo, false, Direction::Undo}, {[&] { Write(to, Overwritten(Read(to), 0x5080, "x")); }, cantUndo, false, Direction::Undo},
      {[&] { Write(to, grown()); }, cantUndo, false, Direction::Undo}, {[&] { fs::remove(Utf8Path(to)); }, Refused("undo the transfer into", to, kNoSuchFile), false, Direction::Undo},
      {[&] { Write(folder.File("new"), Read(to)); fs::rename(Utf8Path(folder.File("new")), Utf8Path(to)); }, cantUndo, false, Direction::Undo},
      {[&] { Write(to, grown()); }, Refused("redo the transfer into", to, "The file has been changed since."), false, Direction::Redo}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    Write(to, rom), history = {};
    if (row.way) history.Add(TransferRange({from, to}, "5000", "50FF", prompt).value());
    if (row.way == Direction::Redo) UndoTransfer(history, prompt);
    row.place(), prompt.Taken();
    const std::string before = Read(to);
    if (row.way)
      (row.way == Direction::Undo ? UndoTransfer : RedoTransfer)(history, prompt);
    else
      TransferRange({row.copyFromSide ? to : from, row.copyFromSide ? folder.File("other") : to},
                    "100", "40FF", prompt);
    EXPECT_BYTES(Read(to), before);
    // A journal refused stays where it is; an undo or a redo refused leaves the history.
    EXPECT_EQ(
        std::tuple(prompt.Taken(), fs::exists(Utf8Path(to)),
                   fs::symlink_status(Utf8Path(journal)).type() != fs::file_type::not_found,
                   history.Next(Direction::Undo) || history.Next(Direction::Redo)),
        std::tuple(row.shown, !before.empty(), !row.way && row.shown.starts_with("Can't"), false));
    fs::remove_all(Utf8Path(journal));
    BeforeOpening({}, {});
  }
}

TEST_F(FileSafetyTest, AFailedWriteIsPutBackAndTheUserIsToldWhatBecameOfTheFile) {
  // Each call of a range transfer that grows the file failing in turn, or every call on its
  // file from then on: only once the journal is marked done does the file keep its new bytes,
  // and the user is told what became of it. Where links can be made, through one, as the
  // journal lies beside the file under either name.
  WriteFiles(0x5000, 0x3000);
  std::string link = to;
  if (!kWindows) fs::create_symlink(to, link = folder.File("link.smc"));
  const std::string updated = Overwritten(target, 0x100, source.substr(0x100, 0x4000)),
                    io = "Input/output error";
  // clang-format off
  const std::string inFolder = journal.substr(0, journal.find_last_of("/\\")), noRoom = folder.File(std::string(250, 'r')),
      putBack = io + "\r\nIt has been put back as it was.", later = io + "\r\nIt could not be put back yet: the next transfer into it will put it back.",
      complete = io + "\r\nThe transfer itself is complete: the new bytes were written.", notPutBack = io + "\r\nIt could not be put back: " + io + ".",
      putBackLater = CutShort(link);
  const struct { int call; Fault fault; std::string failing, shown; bool written = false; std::string pasteTo, readOn; } rows[] = {
      {1, Fault::Fail, journal, io}, {2, Fault::Fail, journal, io}, {3, Fault::Fail, journal, io}, {4, Fault::Fail, inFolder, io}, {5, Fault::Fail, link, putBack},
      {6, Fault::Fail, link, putBack}, {5, Fault::FailFromThenOn, link, later, false, link, putBackLater}, {6, Fault::FailFromThenOn, link, later, false, link, putBackLater},
      {7, Fault::Fail, journal, putBack}, {8, Fault::Fail, journal, putBack}, {9, Fault::Fail, journal, complete, true}, {10, Fault::Fail, {}, {}, true},
      // Where no journal can be kept, the old bytes are put back from memory.
      {1, Fault::Fail, noRoom, putBack, false, noRoom}, {1, Fault::FailFromThenOn, noRoom, notPutBack, false, noRoom}};
  // clang-format on
  for (const auto& row : rows) {
    const std::string pasteTo = row.pasteTo.empty() ? link : row.pasteTo;
    SCOPED_TRACE(std::to_string(row.call) + " " + pasteTo.substr(pasteTo.size() - 8));
    Write(pasteTo, target);
    BreakFileCall(row.call, row.fault);
    TransferRange({from, pasteTo}, "100", "40FF", prompt);
    BreakFileCall(0, Fault::Fail);
    EXPECT_EQ(prompt.Taken(),
              row.failing.empty() ? kRangeDone : Refused("write", row.failing, row.shown));
    EXPECT_BYTES(ReadOn(pasteTo), row.written ? updated : target);
    EXPECT_EQ(prompt.Taken(), row.readOn + kRangeDone);
    EXPECT_FALSE(fs::exists(Utf8Path(journal)));
  }
}

// What only POSIX systems have to refuse or survive: named pipes, file modes
// and other users.
#ifndef _WIN32

TEST_F(TransferTest, OnlyRegularFilesOpenAndPermissionsDecideWithoutBlockingOrLosingBytes) {
  const std::string pipe = folder.File("pipe"), link = folder.File("pipe.smc"),
                    locked = folder.File("locked");
  ::mkfifo(pipe.c_str(), 0666);
  fs::create_symlink(pipe, link);
  fs::create_directory(locked);
  WriteFiles(0x200 + kBank, 0x200 + kBank);
  const std::string other = "Not a regular file", inFolder = folder.path,
                    denied = "Permission denied",
                    replaced = "Another file took its name while it was being opened";
  // clang-format off
  const struct { std::string copyFrom, pasteTo; mode_t copyFromMode, pasteToMode; std::string shown; std::string prepare = "nobody"; } rows[] = {
      {pipe, to, 0666, 0666, Refused("open", pipe, other)}, {from, link, 0666, 0666, Refused("open", link, other)},
      {from, inFolder, 0666, 0666, Refused("open", inFolder, "Is a directory")},
      {from, to, 0666, 0444, Refused("open", to, denied)}, {from, to, 0, 0666, Refused("open", from, denied)},
      {from, to, 0444, 0666, kRangeDone},
      // No room for a journal beside the file; the transfer goes on without one.
      {from, locked + "/to.smc", 0444, 0666, kRangeDone},
      // A pipe taking the name of either file, or of a missing one, between the look and the open.
      {from, to, 0666, 0666, Refused("open", to, replaced), "pipe:" + to}, {from, to, 0666, 0666, Refused("open", from, replaced), "pipe:" + from},
      {from, folder.File("new.smc"), 0666, 0666, Refused("open", folder.File("new.smc"), other), "pipe:" + folder.File("new.smc")}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    const std::string written = row.shown == kRangeDone ? row.pasteTo : to;
    for (const auto& [path, mode] :
         {std::pair{from, row.copyFromMode}, {written, 0666u}, {to, row.pasteToMode}}) {
      ::chmod(path.c_str(), 0666);
      Write(path, path == from ? source : target);
      ::chmod(path.c_str(), mode);
    }
    ::chmod(locked.c_str(), 0555);
    EXPECT_EQ(InChild(folder, {{row.copyFrom, row.pasteTo, "200", "81FF"}, 0, {}, row.prepare}),
              row.shown);
    const bool done = row.shown == kRangeDone;
    if (fs::is_regular_file(written)) {  // not where a pipe took its name
      EXPECT_BYTES(Read(written), done ? target.substr(0, 0x200) + source.substr(0x200) : target);
    }
    // No journal is left, even where its name would be too long.
    EXPECT_EQ(LookAt(JournalPath(written), false).kind, FileKind::Missing);
    ::chmod(locked.c_str(), 0777);
    for (const std::string& file : {from, to}) fs::remove(file);
  }
}

#endif

}  // namespace zarvello::testing
