#include "transfers/TransferHistory.h"

#include <utility>

namespace zarvello {
namespace {

std::size_t At(Direction direction) { return direction == Direction::Undo ? 0 : 1; }

}  // namespace

void TransferHistory::Add(TransferChange change) {
  auto& [undoable, redoable] = changes_;
  redoable.clear();
  undoable.push_back(std::move(change));
  while (Size() > kLimit) undoable.pop_front();
}

const TransferChange* TransferHistory::Next(Direction direction) const {
  const auto& changes = changes_[At(direction)];
  return changes.empty() ? nullptr : &changes.back();
}

void TransferHistory::Moved(Direction direction) {
  auto& from = changes_[At(direction)];
  changes_[1 - At(direction)].push_back(std::move(from.back()));
  from.pop_back();
}

void TransferHistory::Drop(Direction direction) { changes_[At(direction)].pop_back(); }

std::size_t TransferHistory::Size() const {
  std::size_t size = 0;
  for (const auto& changes : changes_) {
    for (const TransferChange& change : changes) size += change.Size();
  }
  return size;
}

}  // namespace zarvello
