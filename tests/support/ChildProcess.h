#pragma once
// Runs part of a test in a forked child, for conditions that must not touch
// the test process itself: an unprivileged user, a file-size limit.

#include <cstdint>
#include <functional>
#include <string>

namespace zarvello::testing {

// Returns what body returned in the child; the child's crash fails the test.
std::string RunInChild(const std::function<std::string()>& body);

// Tests run as root, which ignores file permissions; "nobody" does not.
void DropToUnprivilegedUser();

// Writes that would grow a file past maxBytes fail with EFBIG instead of
// killing the process.
void LimitFileSize(std::uint64_t maxBytes);

}  // namespace zarvello::testing
