#pragma once
// The steps every transfer shares, in their one order: both files chosen,
// any transfer into either file that was cut short put back, the transfer's
// own checks, then the copy under the files' locks, and the notice. No
// transfer can write before the put-back, and whatever goes wrong ends the
// transfer with a critical prompt that says what failed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"

namespace zarvello {

struct CopyStep {
  std::int64_t readAt = 0;
  std::size_t length = 0;
  std::int64_t writeAt = 0;
  // A bank: refused when the Copy From file ends first. Otherwise bytes past
  // its end arrive as zeros.
  bool wholeBank = false;
};

// `checks` may talk to the user; it returns nothing to stop the transfer.
void RunTransfer(const TransferSettings& settings, MessagePrompt& prompt,
                 const std::function<std::optional<CopyStep>()>& checks, std::string_view doneText);

}  // namespace zarvello
