#pragma once
// The record that the dialog service fills in, field for field the OPENFILENAME
// record of the Windows SDK in its 76-byte form. Texts are wide already, so
// the service takes them as they are. Text spaces are handed over as strings
// whose length is the room the service may use; numbers are signed, as the
// properties they come from.

#include <cstdint>
#include <string>

namespace zarvello {

inline constexpr std::int32_t kOpenFileNameSize = 76;

struct OpenFileName {
  std::int32_t lStructSize = 0;
  std::int32_t hwndOwner = 0;
  std::int32_t hInstance = 0;
  std::u16string lpstrFilter;  // pairs of items, each item ends in a NUL; an empty item ends it
  std::u16string lpstrCustomFilter;
  std::int32_t nMaxCustFilter = 0;
  std::int32_t nFilterIndex = 0;  // counted from 1
  std::u16string lpstrFile;       // in: initial name; out: chosen path and a NUL
  std::int32_t nMaxFile = 0;      // capacity of lpstrFile, the NUL included
  std::u16string lpstrFileTitle;  // out: the chosen file's name and a NUL
  std::int32_t nMaxFileTitle = 0;
  std::u16string lpstrInitialDir;
  std::u16string lpstrTitle;
  std::int32_t Flags = 0;
  std::int16_t nFileOffset = 0;
  std::int16_t nFileExtension = 0;  // out: position of the extension within the path
  std::u16string lpstrDefExt;
  std::int32_t lCustData = 0;
  std::int32_t lpfnHook = 0;
  std::u16string lpTemplateName;
};

}  // namespace zarvello
