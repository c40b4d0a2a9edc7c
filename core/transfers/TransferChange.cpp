#include "transfers/TransferChange.h"

#include <algorithm>
#include <utility>

namespace zarvello {

TransferChange::TransferChange(std::string path, const JournalRecord& written,
                               ZeroedBuffer oldBytes, ZeroedBuffer newBytes)
    : path_(std::move(path)),
      written_(written),
      oldBytes_(std::move(oldBytes)),
      newBytes_(std::move(newBytes)) {}

TransferChange::Step TransferChange::StepFor(Direction direction) const {
  const JournalRecord& w = written_;
  if (direction == Direction::Redo) {
    return {.length = w.oldLength,
            .offset = w.offset,
            .zeros = 0,
            .bytes = oldBytes_.Bytes(),
            .data = newBytes_.Bytes(),
            .shortenTo = std::nullopt};
  }
  // From the old end, where a write past it left a gap of zeros before its bytes.
  const std::int64_t from = std::min(w.offset, w.oldLength);
  return {.length = w.newLength,
          .offset = from,
          .zeros = static_cast<std::size_t>(w.offset - from),
          .bytes = newBytes_.Bytes(),
          .data = oldBytes_.Bytes(),
          .shortenTo = w.oldLength};
}

}  // namespace zarvello
