#include "FileAccessError.h"

#include <cstring>

#include "MessagePrompt.h"

namespace zarvello {
namespace {

std::string_view Verb(FileAccessError::Action action) {
  switch (action) {
    case FileAccessError::Action::Open:
      return "open";
    case FileAccessError::Action::Read:
      return "read";
    case FileAccessError::Action::Write:
      return "write";
  }
  return "use";
}

}  // namespace

FileAccessError::FileAccessError(Action action, const std::string& path, const std::string& reason,
                                 int systemError)
    : std::runtime_error(reason),
      promptText_(
          JoinPromptLines({"Can't " + std::string(Verb(action)) + " '" + path + "'.", reason})),
      systemError_(systemError) {}

FileAccessError FileAccessError::FromErrno(Action action, const std::string& path, int error) {
  return {action, path, std::strerror(error), error};
}

void FileAccessError::AddLine(const std::string& line) {
  promptText_ = JoinPromptLines({promptText_, line});
}

}  // namespace zarvello
