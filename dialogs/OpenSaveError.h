#pragma once
// How OpenSave reports to its caller: a run-time error number with its
// source and description.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zarvello {

class OpenSaveError : public std::runtime_error {
 public:
  OpenSaveError(std::int32_t number, std::string source, std::string description);

  // The user cancelled while CancelError was set.
  static OpenSaveError CancelSelected();
  // The properties cannot make a record for the dialog.
  static OpenSaveError InvalidArgument();

  std::int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
};

}  // namespace zarvello
