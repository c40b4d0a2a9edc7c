#include "dialogs/ProgramFolder.h"

#include <QCoreApplication>

namespace zarvello {

std::u16string ProgramFolder() { return QCoreApplication::applicationDirPath().toStdU16String(); }

}  // namespace zarvello
