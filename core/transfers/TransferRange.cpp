#include "transfers/TransferRange.h"

#include <cstddef>
#include <cstdint>

#include "model/HexText.h"
#include "transfers/TransferPrompts.h"
#include "transfers/TransferRun.h"

namespace zarvello {

std::optional<TransferChange> TransferRange(const TransferSettings& settings,
                                            std::string_view firstOffsetText,
                                            std::string_view lastOffsetText,
                                            MessagePrompt& prompt) {
  const std::int32_t first = ReadHex(firstOffsetText);
  const std::int32_t last = ReadHex(lastOffsetText);
  const auto checks = [&]() -> std::optional<CopyStep> {
    if (last < first) {
      ShowRangeReversed(prompt, first, last);
      return std::nullopt;
    }
    return CopyStep{.readAt = first,
                    .length = static_cast<std::size_t>(std::int64_t{last} - first + 1),
                    .writeAt = first};
  };
  return RunTransfer(settings, prompt, checks, kDataTransferred);
}

}  // namespace zarvello
