#pragma once
// The file steps both transfers share: one read from the Copy From file, and
// one write into the Paste To file that is all or nothing, even when it fails
// or the program is killed halfway.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zarvello {

// Opens for reading only (a missing file is created empty). Bytes past the
// end of the file are not read and keep their values; returns the count read.
std::size_t ReadFromFile(const std::string& path, std::int64_t offset, std::span<std::byte> buffer);

// Writes through a rollback journal and flushes to disk. When the write or
// the flush fails, the file is put back before the error is thrown on; the
// error says so when that failed too.
void WriteInPlace(const std::string& path, std::int64_t offset, std::span<const std::byte> data);

}  // namespace zarvello
