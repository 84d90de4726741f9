#include "persistence/Text.h"

#include <array>

namespace kv {

namespace {

// Code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. 0x98 has none.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t CodeOf(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

int ByteOf(char32_t c) {
    if (c < 0x80) return static_cast<int>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[static_cast<std::size_t>(i)] == c && c != 0) return 0x80 + i;
    return '?';
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

unsigned char UpperByte(unsigned char b) {
    if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
    if (b >= 0xE0) return static_cast<unsigned char>(b - 32);
    switch (b) {
    case 0xB8:
        return 0xA8;
    case 0x90:
        return 0x80;
    case 0x83:
        return 0x81;
    case 0x9A:
        return 0x8A;
    case 0x9C:
        return 0x8C;
    case 0x9D:
        return 0x8D;
    case 0x9E:
        return 0x8E;
    case 0x9F:
        return 0x8F;
    case 0xA2:
        return 0xA1;
    case 0xB3:
        return 0xB2;
    case 0xB4:
        return 0xA5;
    case 0xBA:
        return 0xAA;
    case 0xBC:
        return 0xA3;
    case 0xBE:
        return 0xBD;
    case 0xBF:
        return 0xAF;
    default:
        return b;
    }
}

} // namespace

std::string Utf8ToCp1251(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t c = 0;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            len = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool ok = i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += static_cast<char>(ByteOf(c));
        i += len;
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (char ch : s) {
        const char32_t c = CodeOf(static_cast<unsigned char>(ch));
        if (c == 0 && ch != 0) {
            out += '?';
            continue;
        }
        AppendUtf8(out, c);
    }
    return out;
}

bool EndsWithNoCase(std::string_view utf8, std::string_view end) {
    if (utf8.size() < end.size()) return false;
    return UpperCp1251(Utf8ToCp1251(utf8.substr(utf8.size() - end.size()))) ==
           UpperCp1251(Utf8ToCp1251(end));
}

std::string Trim(std::string_view s, std::string_view blanks) {
    const auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(blanks) - b + 1));
}

std::string UpperCp1251(std::string_view s) {
    // Every file's every byte goes through here: a table, not a chain of tests.
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = UpperByte(static_cast<unsigned char>(b));
        return t;
    }();
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

} // namespace kv
