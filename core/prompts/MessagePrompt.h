#pragma once
// How the program talks to the user: one modal message, answered by a
// button. The words are those of the layer that asks.

#include <initializer_list>
#include <string>
#include <string_view>

namespace zarvello {

enum class PromptButtons { Ok, YesNo };  // YesNo has Yes as the default button
enum class PromptIcon { None, Critical };
enum class PromptAnswer { Ok, Yes, No };

inline constexpr std::string_view kApplicationTitle = "Zarvello";

class MessagePrompt {
 public:
  virtual ~MessagePrompt() = default;
  // Lines in text are separated by CR LF; an empty title means kApplicationTitle.
  virtual PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                            const std::string& title) = 0;
};

std::string JoinPromptLines(std::initializer_list<std::string_view> lines);

// OK, with the critical icon.
void ShowError(MessagePrompt& prompt, const std::string& text, const std::string& title = {});
// OK, no icon, the application title.
void ShowNotice(MessagePrompt& prompt, const std::string& text);

}  // namespace zarvello
