#pragma once
// The transfers of this run that can be undone, and those undone that can be
// redone, in memory only. It keeps at most kLimit bytes: past that, the
// oldest changes go first.

#include <array>
#include <cstddef>
#include <deque>

#include "transfers/TransferChange.h"

namespace zarvello {

class TransferHistory {
 public:
  static constexpr std::size_t kLimit = std::size_t{64} << 20;

  // A new transfer: what could be redone goes.
  void Add(TransferChange change);
  // The change an undo or a redo would go over; null when none.
  const TransferChange* Next(Direction direction) const;
  // That change, gone over, can be gone over the other way.
  void Moved(Direction direction);
  // That change can be gone over no more.
  void Drop(Direction direction);
  // The bytes the changes keep.
  std::size_t Size() const;

 private:
  // Those an undo, and those a redo, would go over; newest last.
  std::array<std::deque<TransferChange>, 2> changes_;
};

}  // namespace zarvello
