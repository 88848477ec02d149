#pragma once
// Files and packets hold Windows-1252 single-byte text; the program holds UTF-8.

#include <string>
#include <string_view>

namespace acremark {

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters that have no Windows-1252 byte become '?'. Invalid UTF-8 bytes too.
std::string Utf8ToCp1252(std::string_view utf8);
// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string Utf8Left(std::string_view utf8, size_t n);

} // namespace acremark
