#include "model/HexText.h"

#include <cctype>

namespace zarvello {
namespace {

std::string UnsignedHex(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string reversed;
  do {
    reversed.push_back(kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return {reversed.rbegin(), reversed.rend()};
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string HexText(std::uint8_t value) { return UnsignedHex(value); }
std::string HexText(std::int16_t value) { return UnsignedHex(static_cast<std::uint16_t>(value)); }
std::string HexText(std::int32_t value) { return UnsignedHex(static_cast<std::uint32_t>(value)); }

std::string PadHex(std::int32_t value, int width) {
  const std::string padded = std::string(10, '0') + HexText(value);
  return padded.substr(padded.size() - width);
}

std::int32_t ReadHex(std::string_view text) {
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c == ' ') continue;
    const int digit = DigitValue(c);
    if (digit < 0) break;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace zarvello
