#pragma once
// A folder of real files for one test, removed with everything in it.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zarvello::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

using Bytes = std::vector<std::byte>;

// length bytes whose values follow from their positions and the seed, so
// that any misplaced byte shows.
Bytes PatternBytes(std::size_t length, unsigned seed);
void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

}  // namespace zarvello::testing
