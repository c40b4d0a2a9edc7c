#pragma once
// The steps every change of a ROM file shares, in their one order: any
// transfer into its files that was cut short put back, the change's own
// checks, then the change itself under the files' locks, and the notice. No
// change can write before the put-back, and whatever goes wrong ends it with
// a critical prompt that says what failed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/FileError.h"
#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"
#include "transfers/TransferChange.h"

namespace zarvello {

// Thrown by an undo or a redo that finds its file gone, or not as it should
// be, before it writes anything.
class ChangeRefused : public std::runtime_error {
 public:
  ChangeRefused(Direction direction, FileError why)
      : std::runtime_error(why.what()), direction(direction), why(std::move(why)) {}

  Direction direction;
  FileError why;
};

enum class ChangeEnd { Done, Stopped, Refused };

// Each file a change names, with what it does to it.
using NamedFiles = std::vector<std::pair<std::string, FileError::Action>>;

// `checks` may talk to the user; false stops the change. `change` returns
// false, having done nothing, when a transfer into its files was cut short
// since they were last looked at; they are looked at again, and the change
// stops if one was.
ChangeEnd RunChange(const NamedFiles& files, MessagePrompt& prompt,
                    const std::function<bool()>& checks, const std::function<bool()>& change,
                    std::string_view doneText);

struct CopyStep {
  std::int64_t readAt = 0;
  std::size_t length = 0;
  std::int64_t writeAt = 0;
  // A bank: refused when the Copy From file ends first. Otherwise bytes past
  // its end arrive as zeros.
  bool wholeBank = false;
};

// A transfer, once both files are chosen. `checks` may talk to the user; it
// returns nothing to stop the transfer. What the transfer changed, once done.
std::optional<TransferChange> RunTransfer(const TransferSettings& settings, MessagePrompt& prompt,
                                          const std::function<std::optional<CopyStep>()>& checks,
                                          std::string_view doneText);

}  // namespace zarvello
