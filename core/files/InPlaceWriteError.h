#pragma once
// An in-place write that failed once the file was being written: what
// failed, and what became of the file. Made whole where it is thrown; the
// transfers turn it into words for the user.

#include <stdexcept>
#include <string>
#include <utility>

#include "files/FileError.h"

namespace zarvello {

class InPlaceWriteError : public std::runtime_error {
 public:
  enum class Outcome {
    PutBack,          // as it was before the write
    PutBackLater,     // its journal stays, for the next transfer to put it back
    NotPutBack,       // and no journal will put it back; see putBackReason
    NewBytesWritten,  // the failure came after the write was complete
  };

  InPlaceWriteError(FileError failure, Outcome outcome, std::string putBackReason = {})
      : std::runtime_error(failure.what()),
        failure(std::move(failure)),
        outcome(outcome),
        putBackReason(std::move(putBackReason)) {}

  FileError failure;
  Outcome outcome;
  std::string putBackReason;  // the system's, when the put-back failed
};

}  // namespace zarvello
