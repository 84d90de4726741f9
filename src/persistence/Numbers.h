// Numbers in the game's files: reading them as the files were written, and
// writing them so that they read back to the same bits.
#pragma once

#include "state/MatchState.h"
#include <string>
#include <string_view>

namespace kv {

// A failure of a numeric conversion during a load.
struct LoadFailure {
    std::string description;
};
// The two descriptions a conversion fails with.
inline constexpr const char* kTypeMismatchText = "Несоответствие типов";
inline constexpr const char* kOverflowText = "Переполнение";

// Plain number: leading blanks, sign, digits, ".", fraction, E or D exponent;
// stops at the first character that does not fit; 0 when nothing fits.
double PlainNumber(std::string_view utf8);
// Regional number: the whole value must be a number ("." or "," separator,
// blanks around allowed); throws LoadFailure otherwise or when not finite.
double RegionalNumber(std::string_view utf8);
float RegionalFloat(std::string_view utf8);
// Nearest integer, halves to even; throws LoadFailure outside 16 bits.
i16 ToI16(double v);
i16 IntOf(std::string_view utf8); // ToI16(PlainNumber(s))
i16 FlagOf(std::string_view utf8);

// Shortest text that reads back to the same bits ("." separator, E exponent).
std::string RealText(double v);
std::string RealText(float v);
// The fixed form of replay steps: blank before non-negative values, no zero
// before the point, every digit needed to read back exactly.
std::string FixedText(double v);
std::string FixedText(int v);

} // namespace kv
