#include "model/ShownHeader.h"

#include <algorithm>
#include <array>

#include "model/TransferSettings.h"

namespace zarvello {
namespace {

constexpr std::array<std::byte, kShownHeaderBytes> kInesMagic{std::byte{0x4E}, std::byte{0x45},
                                                              std::byte{0x53}, std::byte{0x1A}};
constexpr std::int64_t kBlock = 0x2000;

int PositionOf(std::int16_t headerLength) {
  return static_cast<int>(std::ranges::find(kHeaderChoices, headerLength, &HeaderChoice::length) -
                          kHeaderChoices.begin());
}

}  // namespace

std::optional<int> ShownHeader(std::span<const std::byte> start, std::int64_t length) {
  if (std::ranges::equal(start, kInesMagic)) return PositionOf(0x10);
  if (length % kBlock == 0x200) return PositionOf(0x200);
  if (length > 0 && length % kBlock == 0) return PositionOf(0);
  return std::nullopt;
}

}  // namespace zarvello
