#pragma once
// Every number the user sees or types is hexadecimal: uppercase digits, no
// prefix, negatives as their two's-complement pattern at their own width.

#include <cstdint>
#include <string>
#include <string_view>

namespace zarvello {

std::string HexText(std::uint8_t value);
std::string HexText(std::int16_t value);
std::string HexText(std::int32_t value);

// Zero-filled on the left, or cut to the rightmost digits; width 1 to 10.
std::string PadHex(std::int32_t value, int width);

// Leading hex digits, spaces ignored anywhere; no digit reads as 0. Longer
// runs keep their low 32 bits.
std::int32_t ReadHex(std::string_view text);

}  // namespace zarvello
