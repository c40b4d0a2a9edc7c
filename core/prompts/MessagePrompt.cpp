#include "prompts/MessagePrompt.h"

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

void ShowError(MessagePrompt& prompt, const std::string& text, const std::string& title) {
  prompt.Show(text, PromptButtons::Ok, PromptIcon::Critical, title);
}

void ShowNotice(MessagePrompt& prompt, const std::string& text) {
  prompt.Show(text, PromptButtons::Ok, PromptIcon::None, {});
}

}  // namespace zarvello
