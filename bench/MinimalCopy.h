#pragma once
// The baselines the transfers are measured against: the least any program
// does to move bytes from one file into another and have them on disk, once
// plainly and once so that a crash halfway can be undone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zarvello::bench {

// Opens both files, reads length bytes at readAt, writes them at writeAt,
// fsyncs and closes. False when any step fails or falls short.
bool MinimalCopy(const std::string& fromPath, std::int64_t readAt, const std::string& toPath,
                 std::int64_t writeAt, std::size_t length);

// The same, through a journal beside toPath that holds the bytes the write
// covers: the journal and its folder entry are on disk before toPath is
// touched, and its removal is on disk before this returns. No checksum: that
// is Zarvello's own cost. toPath must already hold all the bytes it covers.
bool MinimalCrashSafeCopy(const std::string& fromPath, std::int64_t readAt,
                          const std::string& toPath, std::int64_t writeAt, std::size_t length);

// The same for bytes already in memory, as an undo or a redo has them, and
// the file then cut short at shortenTo where given: the journal holds the
// bytes the write covers or cuts off.
bool MinimalCrashSafeWrite(const std::string& toPath, std::int64_t writeAt,
                           std::span<const std::byte> data,
                           std::optional<std::int64_t> shortenTo = std::nullopt);

}  // namespace zarvello::bench
