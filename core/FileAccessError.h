#pragma once
// A failing open, read or write of a ROM file, with the system's reason.

#include <stdexcept>
#include <string>

namespace zarvello {

class FileAccessError : public std::runtime_error {
 public:
  enum class Action { Open, Read, Write };

  FileAccessError(Action action, const std::string& path, const std::string& reason,
                  int systemError = 0);
  // From errno as the failing call left it.
  static FileAccessError FromErrno(Action action, const std::string& path, int error);

  // "Can't open '<path>'." and the reason, on two lines, and any added line.
  const std::string& PromptText() const { return promptText_; }
  void AddLine(const std::string& line);
  // The errno behind the failure; 0 when it did not come from the system.
  int SystemError() const { return systemError_; }

 private:
  std::string promptText_;
  int systemError_;
};

}  // namespace zarvello
