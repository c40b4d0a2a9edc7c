#pragma once
// The baseline the transfers are measured against: the least any program
// does to move bytes from one file into another and have them on disk.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zarvello::bench {

// Opens both files, reads length bytes at readAt, writes them at writeAt,
// fsyncs and closes. False when any step fails or falls short.
bool MinimalCopy(const std::string& fromPath, std::int64_t readAt, const std::string& toPath,
                 std::int64_t writeAt, std::size_t length);

}  // namespace zarvello::bench
