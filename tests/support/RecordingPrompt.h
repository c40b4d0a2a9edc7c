#pragma once
// Stands in for the user at a message prompt: records each prompt and
// answers from a script (Yes, or Ok for an Ok prompt, once the script is spent).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "MessagePrompt.h"

namespace zarvello::testing {

struct ShownPrompt {
  std::string text;
  PromptButtons buttons;
  PromptIcon icon;
  std::string title;

  bool operator==(const ShownPrompt&) const = default;
};

class RecordingPrompt : public MessagePrompt {
 public:
  explicit RecordingPrompt(std::deque<PromptAnswer> answers = {}) : answers_(std::move(answers)) {}

  PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& title) override;

  // The texts of all prompts shown, one per line, for reporting from a child process.
  std::string ShownTexts() const;

  std::vector<ShownPrompt> shown;
  // What the person does while the prompt waits, before answering.
  std::function<void()> whileShown;

 private:
  std::deque<PromptAnswer> answers_;
};

// Prompts as the transfers show them, for comparing against what was shown.
ShownPrompt ErrorPrompt(const std::string& text, const std::string& title = {});
ShownPrompt DonePrompt(const std::string& text);

}  // namespace zarvello::testing
