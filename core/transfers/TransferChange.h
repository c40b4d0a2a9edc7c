#pragma once
// What one transfer changed in its Paste To file, kept so that it can be
// undone and redone: where it wrote, the file's lengths before and after,
// the bytes it found there and the bytes it wrote. Going either way is an
// in-place write of its own, made only while the file is still as the other
// way left it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "files/JournalImage.h"
#include "files/ZeroedBuffer.h"

namespace zarvello {

enum class Direction { Undo, Redo };

class TransferChange {
 public:
  TransferChange(std::string path, const JournalRecord& written, ZeroedBuffer oldBytes,
                 ZeroedBuffer newBytes);

  const std::string& Path() const { return path_; }
  const FileIdentity& File() const { return written_.file; }
  // The bytes it keeps.
  std::size_t Size() const { return oldBytes_.Bytes().size() + newBytes_.Bytes().size(); }

  // The write that goes the one way or the other, and what the file must hold
  // for it: this length, and, from the write's offset, `zeros` zero bytes and
  // then `bytes`.
  struct Step {
    std::int64_t length;
    std::int64_t offset;
    std::size_t zeros;
    std::span<const std::byte> bytes;
    std::span<const std::byte> data;
    std::optional<std::int64_t> shortenTo;
  };
  Step StepFor(Direction direction) const;

 private:
  std::string path_;
  JournalRecord written_;
  ZeroedBuffer oldBytes_;
  ZeroedBuffer newBytes_;
};

}  // namespace zarvello
