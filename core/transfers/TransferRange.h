#pragma once

#include <optional>

#include <string_view>

#include "model/TransferSettings.h"
#include "prompts/MessagePrompt.h"
#include "transfers/TransferChange.h"

namespace zarvello {

// Copies the bytes from the first offset to the last offset, both included,
// from the Copy From file into the same offsets of the Paste To file. The
// offsets are the hex texts of the two offset boxes; headers play no part.
// What it changed, once done.
std::optional<TransferChange> TransferRange(const TransferSettings& settings,
                                            std::string_view firstOffsetText,
                                            std::string_view lastOffsetText, MessagePrompt& prompt);

}  // namespace zarvello
