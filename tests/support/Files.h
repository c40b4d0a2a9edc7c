#pragma once
// Real files in a temporary folder, and their contents as strings of bytes.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace zarvello::testing {

// Paths are UTF-8 text, as the program takes them, on every system.
inline std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::u8string(utf8.begin(), utf8.end());
}

// A folder of one test's own, removed with everything in it.
struct TempFolder {
  TempFolder() {
    for (std::random_device random; path.empty() || !std::filesystem::create_directory(path);)
      path = std::filesystem::temp_directory_path() / ("zarvello-" + std::to_string(random()));
    // A child that drops to an unprivileged user still reaches the files.
    std::filesystem::permissions(path, std::filesystem::perms::all);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const {
    const std::u8string file = (path / Utf8Path(name)).u8string();
    return {file.begin(), file.end()};
  }

  std::filesystem::path path;
};

// Bytes that follow from their positions and the seed: any misplaced byte shows.
inline std::string Pattern(std::size_t length, unsigned seed) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 8) + seed);
  return bytes;
}

inline void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(Utf8Path(path), std::ios::binary) << bytes;
}

inline std::string Read(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(Utf8Path(path), std::ios::binary).rdbuf();
  return bytes.str();
}

}  // namespace zarvello::testing
