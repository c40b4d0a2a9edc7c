#pragma once
// A failing file operation: what was being done, to which path, and why.
// Data only; the transfers turn it into words for the user.

#include <stdexcept>
#include <string>
#include <utility>

namespace zarvello {

class FileError : public std::runtime_error {
 public:
  enum class Action { Open, Read, Write, Use };
  enum class Cause {
    System,  // the system's reason says it all
    Denied,  // by permissions or a read-only file system
    NameTooLong,
    Exists,          // the path already names something
    NotRegularFile,  // a pipe, a device, a socket
    Directory,
    Replaced,       // another file took the name while it was being opened
    Busy,           // another transfer holds the file
    NotOurJournal,  // something at a journal's path that this user's transfers did not write
    EndedEarly,     // the file ended before the bytes asked for
    NotPrivate,     // a journal's access could not be limited to its owner; see systemReason
  };
  // What became of the file an in-place write failed on.
  enum class Aftermath {
    None,             // nothing was written
    PutBack,          // as it was before the write
    PutBackLater,     // its journal stays, for the next transfer to put it back
    NotPutBack,       // and no journal will put it back; see aftermathReason
    NewBytesWritten,  // the failure came after the write was complete
  };

  FileError(Action action, std::string path, Cause cause, std::string systemReason = {})
      : std::runtime_error(systemReason),
        action(action),
        path(std::move(path)),
        cause(cause),
        systemReason(std::move(systemReason)) {}

  Action action;
  std::string path;
  Cause cause;
  std::string systemReason;  // empty unless the system gave one
  Aftermath aftermath = Aftermath::None;
  std::string aftermathReason;
};

}  // namespace zarvello
