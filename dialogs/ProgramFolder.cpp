#include "ProgramFolder.h"

#include <filesystem>
#include <system_error>

#include <QFile>

namespace zarvello {

std::u16string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return QFile::decodeName(program.parent_path().c_str()).toStdU16String();
}

}  // namespace zarvello
