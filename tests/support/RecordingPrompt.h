#pragma once
// Stands in for the user at a message prompt: writes each prompt down as one
// line, "text [icon, buttons, title]", and answers Yes, or No once asked to.

#include <functional>
#include <string>

#include "prompts/MessagePrompt.h"

namespace zarvello::testing {

struct RecordingPrompt : MessagePrompt {
  PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& title) override {
    shown += text + (icon == PromptIcon::Critical ? " [critical, " : " [") +
             (buttons == PromptButtons::Ok ? "OK" : "Yes/No") +
             (title.empty() ? "" : ", " + title) + "]\n";
    if (whileShown) whileShown();
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    return std::exchange(answerNo, false) ? PromptAnswer::No : PromptAnswer::Yes;
  }

  // What was shown since the last look.
  std::string Taken() { return std::exchange(shown, {}); }

  std::string shown;
  bool answerNo = false;
  std::function<void()> whileShown;  // what the person does while it waits
};

// The prompts as the transfers show them.
inline std::string Done(const std::string& text) { return text + " [OK]\n"; }
inline std::string Failed(const std::string& text) { return text + " [critical, OK]\n"; }

}  // namespace zarvello::testing
