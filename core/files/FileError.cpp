#include "files/FileError.h"

#include <iterator>
#include <utility>

namespace zarvello {
namespace {

// In the order of the enumerations.
constexpr const char* kActionNames[] = {"open", "read", "write", "use"};
constexpr const char* kCauseNames[] = {
    "system error", "denied", "name too long",   "exists",      "not a regular file", "directory",
    "replaced",     "busy",   "not our journal", "ended early", "not private",        "changed"};
static_assert(std::size(kActionNames) == static_cast<std::size_t>(FileError::Action::Use) + 1);
static_assert(std::size(kCauseNames) == static_cast<std::size_t>(FileError::Cause::Changed) + 1);

std::string Describe(FileError::Action action, const std::string& path, FileError::Cause cause,
                     const std::string& systemReason) {
  std::string text = std::string(kActionNames[static_cast<int>(action)]) + " '" + path +
                     "': " + kCauseNames[static_cast<int>(cause)];
  return systemReason.empty() ? text : text + ": " + systemReason;
}

}  // namespace

FileError::FileError(Action action, std::string path, Cause cause, std::string systemReason)
    : std::runtime_error(Describe(action, path, cause, systemReason)),
      action(action),
      path(std::move(path)),
      cause(cause),
      systemReason(std::move(systemReason)) {}

}  // namespace zarvello
