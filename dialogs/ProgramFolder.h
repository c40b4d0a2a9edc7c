#pragma once

#include <string>

namespace zarvello {

// The folder that holds the running program's executable file; empty when
// the system does not say.
std::u16string ProgramFolder();

}  // namespace zarvello
