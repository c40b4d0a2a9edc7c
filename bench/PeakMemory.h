#pragma once
// Peak memory of one operation, which a benchmark process can't tell apart
// from everything else it has run: the operation runs once in a fresh child.

#include <cstdint>
#include <functional>
#include <optional>

namespace zarvello::bench {

// The child's peak resident size in bytes, which includes what it shares with
// this process at the fork. Empty when the operation returned false or the
// child did not exit normally.
std::optional<std::int64_t> PeakResidentBytesInChild(const std::function<bool()>& operation);

}  // namespace zarvello::bench
