#pragma once
// Real files for one benchmark: a folder removed with everything in it, and
// ROM-sized files filled without ever holding a whole file in memory.

#include <cstdint>
#include <filesystem>
#include <string>

namespace zarvello::bench {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Bytes that differ with position and seed. The file is on disk before this
// returns, so its writeback can't land inside a timed run.
void WritePatternFile(const std::string& path, std::int64_t length, unsigned seed);

}  // namespace zarvello::bench
