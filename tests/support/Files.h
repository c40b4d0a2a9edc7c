#pragma once
// Real files in a temporary folder, and their contents as strings of bytes.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zarvello::testing {

// A folder of one test's own, removed with everything in it.
struct TempFolder {
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarvello-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
    // A child that drops to an unprivileged user still reaches the files.
    std::filesystem::permissions(path, std::filesystem::perms::all);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }

  std::filesystem::path path;
};

// Bytes that follow from their positions and the seed: any misplaced byte shows.
inline std::string Pattern(std::size_t length, unsigned seed) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 8) + seed);
  return bytes;
}

inline void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Read(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

}  // namespace zarvello::testing
