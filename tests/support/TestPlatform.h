#pragma once
// What the tests ask of the system beyond the program's own file calls:
// children made ready, and access to files set by hand. One source file per
// system, as for the program.

#include <string>

namespace zarvello::testing {

// In a child, before its transfer: "nobody" to become an unprivileged user
// when root, "little memory" to leave it no room for a 16 MiB buffer,
// "pipe:<path>" for a named pipe to take the path's name just before it is
// opened. Where the system has no such thing, nothing happens.
void PrepareChild(const std::string& how);

// Lets every user write the file.
void LetOthersWrite(const std::string& path);
// Whether no one but its owner, and the system, may read or write the file.
bool OnlyItsOwnerMayUse(const std::string& path);
// Puts a file another user owns at path, or, where that takes rights the
// tests lack, one that others may write.
void PlaceAnotherUsersFile(const std::string& path);

}  // namespace zarvello::testing
