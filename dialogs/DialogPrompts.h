#pragma once
// Every word the dialogs say to the user in a prompt.

#include <cstddef>

#include "prompts/MessagePrompt.h"

namespace zarvello {

// A chosen file's path that does not fit the dialog record's `limit` characters.
void ShowPathTooLong(MessagePrompt& prompt, std::size_t limit);

}  // namespace zarvello
