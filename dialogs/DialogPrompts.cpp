#include "dialogs/DialogPrompts.h"

#include <string>

namespace zarvello {

void ShowPathTooLong(MessagePrompt& prompt, std::size_t limit) {
  ShowError(prompt, "The path of the chosen file is too long: at most " + std::to_string(limit) +
                        " characters fit.");
}

}  // namespace zarvello
