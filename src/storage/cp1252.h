#pragma once
// The data files are Windows-1252 bytes; the screens and terminals speak UTF-8.

#include <string>
#include <string_view>

namespace qm {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves unassigned map to U+FFFD.
std::string cp1252ToUtf8(std::string_view bytes);
// UTF-8 to Windows-1252; a character the code page lacks, or a broken sequence, becomes "?".
std::string utf8ToCp1252(std::string_view text);

} // namespace qm
