#include "transfers/MessagePrompt.h"

namespace zarvello {

std::string JoinPromptLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (const std::string_view line : lines) {
    if (!first) text += "\r\n";
    text += line;
    first = false;
  }
  return text;
}

}  // namespace zarvello
