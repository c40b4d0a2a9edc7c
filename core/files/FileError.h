#pragma once
// A failing file operation: what was being done, to which path, and why.
// Data only; the transfers turn it into words for the user. what() is for
// the developer's eyes.

#include <stdexcept>
#include <string>

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
    Changed,        // not the file, or not the bytes, that were expected there
  };

  FileError(Action action, std::string path, Cause cause, std::string systemReason = {});

  Action action;
  std::string path;
  Cause cause;
  std::string systemReason;  // empty unless the system gave one
};

}  // namespace zarvello
