// Text of the game's files: Windows-1251 on disk with CR LF line ends, UTF-8
// inside the program.
#pragma once

#include <string>
#include <string_view>

namespace kv {

inline constexpr const char* NL = "\r\n";
inline constexpr const char* NL2 = "\r\n\r\n";

// Exact for every character Windows-1251 has; any other becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

// Upper case of Windows-1251 text (Latin and Cyrillic letters).
std::string UpperCp1251(std::string_view s);
// UTF-8 text ends with `end`, letters compared without regard to case.
bool EndsWithNoCase(std::string_view utf8, std::string_view end);
// Without the given blanks at either end.
std::string Trim(std::string_view s, std::string_view blanks = " ");
// A text value with CR and LF replaced, so that it cannot add lines to a file.
std::string OneLine(std::string_view s);

} // namespace kv
