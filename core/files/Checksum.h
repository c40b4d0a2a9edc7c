#pragma once
// A fast 64-bit checksum, to tell a complete journal from one that a kill or a
// power cut left half-written. Not for defence against tampering.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zarvello {

// Chains: pass the checksum of the bytes before as the seed.
std::uint64_t Checksum(std::span<const std::byte> bytes, std::uint64_t seed = 0);

}  // namespace zarvello
