#include "persistence/Numbers.h"

#include <charconv>
#include <cmath>

namespace kv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const std::string kTypeMismatch = kTypeMismatchText;
const std::string kOverflow = kOverflowText;

// Digits and signs gathered by the number readers, turned into a double
// with a correctly rounded conversion.
double Convert(bool neg, const std::string& mant, bool expNeg, const std::string& expDigits) {
    std::string text = mant;
    if (!expDigits.empty()) {
        text += 'e';
        if (expNeg) text += '-';
        text += expDigits;
    }
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Only the exponent can push a value out of range: huge or tiny.
        bool nonzero = false;
        for (char c : mant)
            if (c >= '1' && c <= '9') nonzero = true;
        v = (!nonzero || expNeg) ? 0.0 : HUGE_VAL;
    } else if (r.ec != std::errc()) {
        v = 0;
    }
    return neg ? -v : v;
}

// Parses sign, mantissa and exponent from s at i; false when no digit was found.
bool ScanNumber(std::string_view s, std::size_t& i, bool commaToo, bool& neg, std::string& mant,
                bool& expNeg, std::string& expDigits) {
    neg = false;
    expNeg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    bool digits = false;
    while (i < s.size() && IsDigit(s[i])) {
        mant += s[i++];
        digits = true;
    }
    if (i < s.size() && (s[i] == '.' || (commaToo && s[i] == ','))) {
        ++i;
        mant += '.';
        while (i < s.size() && IsDigit(s[i])) {
            mant += s[i++];
            digits = true;
        }
    }
    if (!digits) return false;
    if (mant.front() == '.') mant.insert(mant.begin(), '0');
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool en = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) en = s[j++] == '-';
        std::string ed;
        while (j < s.size() && IsDigit(s[j]))
            ed += s[j++];
        if (!ed.empty()) {
            // Strip leading zeros so that a long run of them cannot look large.
            const auto nz = ed.find_first_not_of('0');
            ed = nz == std::string::npos ? "0" : ed.substr(nz);
            if (ed.size() > 6) ed = "999999";
            expNeg = en;
            expDigits = ed;
            i = j;
        }
    }
    return true;
}

} // namespace

double PlainNumber(std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size() && (utf8[i] == ' ' || utf8[i] == '\t'))
        ++i;
    bool neg = false, expNeg = false;
    std::string mant, expDigits;
    if (!ScanNumber(utf8, i, false, neg, mant, expNeg, expDigits)) return 0;
    return Convert(neg, mant, expNeg, expDigits);
}

double RegionalNumber(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    const std::string_view t = s.substr(b, e - b);
    std::size_t i = 0;
    bool neg = false, expNeg = false;
    std::string mant, expDigits;
    if (!ScanNumber(t, i, true, neg, mant, expNeg, expDigits) || i != t.size())
        throw LoadFailure{kTypeMismatch};
    const double v = Convert(neg, mant, expNeg, expDigits);
    if (!std::isfinite(v)) throw LoadFailure{kOverflow};
    return v;
}

float RegionalFloat(std::string_view s) {
    // Through the double text: a float's shortest text parsed as float directly.
    const double d = RegionalNumber(s);
    std::string t(s);
    for (char& c : t)
        if (c == ',') c = '.';
    const auto b = t.find_first_not_of(" \t");
    float f = static_cast<float>(d);
    if (b != std::string::npos) {
        std::size_t start = b + (t[b] == '+' ? 1 : 0);
        float g = 0;
        const auto r = std::from_chars(t.data() + start, t.data() + t.size(), g);
        if (r.ec == std::errc()) f = g;
    }
    if (!std::isfinite(f)) throw LoadFailure{kOverflow};
    return f;
}

i16 ToI16(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0 && r <= 32767.0)) throw LoadFailure{kOverflow};
    return static_cast<i16>(r);
}

i16 IntOf(std::string_view s) {
    return ToI16(PlainNumber(s));
}

i16 FlagOf(std::string_view s) {
    return PlainNumber(s) != 0 ? kTrue : kFalse;
}

namespace {

// Shortest text that reads back to the same value, exponent as "E".
template <typename Real> std::string ShortestText(Real v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

} // namespace

std::string RealText(double v) {
    return ShortestText(v);
}

std::string RealText(float v) {
    return ShortestText(v);
}

std::string FixedText(double v) {
    std::string s = RealText(v);
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    if (s[0] != '-') s.insert(s.begin(), ' ');
    return s;
}

std::string FixedText(int v) {
    return v < 0 ? std::to_string(v) : " " + std::to_string(v);
}

} // namespace kv
