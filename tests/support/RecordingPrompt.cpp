#include "RecordingPrompt.h"

namespace zarvello::testing {

PromptAnswer RecordingPrompt::Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                                   const std::string& title) {
  shown.push_back({text, buttons, icon, title});
  if (whileShown) whileShown();
  if (answers_.empty()) return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
  const PromptAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::string RecordingPrompt::ShownTexts() const {
  std::string texts;
  for (const ShownPrompt& prompt : shown) texts += prompt.text + "\n";
  return texts;
}

ShownPrompt ErrorPrompt(const std::string& text, const std::string& title) {
  return {text, PromptButtons::Ok, PromptIcon::Critical, title};
}

ShownPrompt DonePrompt(const std::string& text) {
  return {text, PromptButtons::Ok, PromptIcon::None, {}};
}

}  // namespace zarvello::testing
