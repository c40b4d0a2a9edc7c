#pragma once
// The copier header a ROM image shows by its own bytes, as emulators tell it:
// an iNES image begins with "NES" and 0x1A; an SNES image with a copier
// header is 0x200 bytes longer than a whole number of 8 KiB blocks, one
// without is that whole number. Any other file shows none.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zarvello {

// How many of a file's first bytes the rule looks at.
inline constexpr std::size_t kShownHeaderBytes = 4;

// The header list position the file shows, given its first bytes (fewer in
// a shorter file) and its length.
std::optional<int> ShownHeader(std::span<const std::byte> start, std::int64_t length);

}  // namespace zarvello
