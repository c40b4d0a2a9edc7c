// What only one system has to refuse or survive. POSIX systems: named pipes,
// file modes and other users. Windows: the names of devices.

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "FileCallFaults.h"
#include "TransferFixture.h"

namespace zarvello::testing {

#ifdef _WIN32
TEST_F(TransferTest, OnWindowsTheNamesOfDevicesAndFoldersAreRefused) {
  WriteFiles(0x5000, 0x6000);
  for (const auto& [sides, refused, reason] :
       {std::tuple{TransferSettings{"NUL", to}, std::string("NUL"), "Not a regular file"},
        {{from, "CON"}, "CON", "Not a regular file"},
        {{from, folder.File("")}, folder.File(""), "Is a directory"}}) {
    prompt.shown.clear();
    TransferRange(sides, "0", "FF", prompt);
    EXPECT_EQ(prompt.shown, Refused("open", refused, reason));
  }
}

#else

TEST_F(TransferTest, OnlyRegularFilesOpenAndPermissionsDecideWithoutBlockingOrLosingBytes) {
  const std::string pipe = folder.File("pipe"), link = folder.File("pipe.smc"),
                    locked = folder.File("locked");
  ::mkfifo(pipe.c_str(), 0666);
  ::chmod(pipe.c_str(), 0666);
  fs::create_symlink(pipe, link);
  fs::create_directory(locked);
  // Opening the pipe for writing, as a Paste To file is opened, would wake this reader.
  std::atomic<bool> woken = false;
  std::thread reader([&] { ::close(::open(pipe.c_str(), O_RDONLY)), woken = true; });
  WriteFiles(0x200 + kBank, 0x200 + kBank);
  const std::string other = "Not a regular file", inFolder = folder.path,
                    denied = "Permission denied",
                    replaced = "Another file took its name while it was being opened";
  // clang-format off
  const struct {
    std::string copyFrom, pasteTo;
    mode_t copyFromMode, pasteToMode;
    std::string shown;
    std::string prepare = "nobody";
  } rows[] = {
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
      EXPECT_PRED_FORMAT2(SameBytes, Read(written),
                          done ? target.substr(0, 0x200) + source.substr(0x200) : target);
    }
    // No journal is left, even where its name would be too long.
    EXPECT_EQ(LookAt(JournalPath(written), false).kind, FileKind::Missing);
    ::chmod(locked.c_str(), 0777);
    for (const std::string& file : {from, to}) fs::remove(file);
  }
  EXPECT_FALSE(woken);  // the pipe was never opened
  ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
  reader.join();
}

#endif

}  // namespace zarvello::testing
