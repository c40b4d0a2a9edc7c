#pragma once
// ROM-sized files for the benchmarks, filled without ever holding a whole
// file in memory.

#include <cstdint>
#include <string>

#include "Files.h"

namespace zarvello::bench {

using testing::TempFolder;

// Bytes that differ with position and seed. The file is on disk before this
// returns, so its writeback can't land inside a timed run.
void WritePatternFile(const std::string& path, std::int64_t length, unsigned seed);

}  // namespace zarvello::bench
