#include "dialogs/OpenSaveError.h"

#include <string_view>
#include <utility>

namespace zarvello {
namespace {

constexpr std::string_view kRunTimeError = "Run-time error";

}  // namespace

OpenSaveError::OpenSaveError(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

OpenSaveError OpenSaveError::CancelSelected() {
  return {32755, std::string(kRunTimeError), "Cancel was selected"};
}

OpenSaveError OpenSaveError::InvalidArgument() {
  return {5, std::string(kRunTimeError), "Invalid procedure call or argument"};
}

}  // namespace zarvello
