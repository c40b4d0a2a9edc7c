#pragma once

#include <optional>
#include <string>

namespace zarvello {

// The header list position that a chosen file's bytes show (see
// ShownHeader); none when it shows none or cannot be read. Opens only a
// regular file, as a transfer does, reads no more than the bytes the rule
// needs, never creates the file and never asks the user anything.
std::optional<int> FileHeader(const std::string& path);

}  // namespace zarvello
