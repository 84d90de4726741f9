#include "net/Wire.h"

#include "persistence/Text.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kv::net {

void Writer::U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v >> 8));
    U8(static_cast<std::uint8_t>(v));
}

void Writer::U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v >> 16));
    U16(static_cast<std::uint16_t>(v));
}

void Writer::U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v >> 32));
    U32(static_cast<std::uint32_t>(v));
}

void Writer::Real(double v) {
    U64(std::bit_cast<std::uint64_t>(v));
}

void Writer::Text(std::string_view s) {
    if (s.size() > 0xFFFF) s = s.substr(0, 0xFFFF);
    U16(static_cast<std::uint16_t>(s.size()));
    out_.append(s);
}

void Writer::LongText(std::string_view s) {
    U32(static_cast<std::uint32_t>(s.size()));
    out_.append(s);
}

bool Reader::Need(std::size_t n) {
    if (!ok_ || in_.size() - pos_ < n) ok_ = false;
    return ok_;
}

std::uint8_t Reader::U8() {
    if (!Need(1)) return 0;
    return static_cast<std::uint8_t>(in_[pos_++]);
}

std::uint16_t Reader::U16() {
    const std::uint16_t hi = U8();
    return static_cast<std::uint16_t>(hi << 8 | U8());
}

std::uint32_t Reader::U32() {
    const std::uint32_t hi = U16();
    return hi << 16 | U16();
}

std::uint64_t Reader::U64() {
    const std::uint64_t hi = U32();
    return hi << 32 | U32();
}

std::int16_t Reader::I16In(int lo, int hi) {
    const std::int16_t v = I16();
    if (v < lo || v > hi) ok_ = false;
    return ok_ ? v : 0;
}

std::uint32_t Reader::U32Max(std::uint32_t hi) {
    const std::uint32_t v = U32();
    if (v > hi) ok_ = false;
    return ok_ ? v : 0;
}

bool Reader::Bool() {
    const std::uint8_t v = U8();
    if (v > 1) ok_ = false;
    return ok_ && v == 1;
}

double Reader::Real() {
    return std::bit_cast<double>(U64());
}

double Reader::FiniteReal() {
    const double v = Real();
    if (!std::isfinite(v)) ok_ = false;
    return ok_ ? v : 0.0;
}

std::string Reader::Text(std::size_t maxBytes) {
    const std::size_t n = U16();
    if (n > maxBytes) ok_ = false;
    if (!Need(n)) return {};
    std::string s(in_.substr(pos_, n));
    pos_ += n;
    return s;
}

std::string Reader::LongText(std::size_t maxBytes) {
    const std::size_t n = U32();
    if (n > maxBytes) ok_ = false;
    if (!Need(n)) return {};
    std::string s(in_.substr(pos_, n));
    pos_ += n;
    return s;
}

std::string Frame(std::string_view body) {
    Writer w;
    w.U32(static_cast<std::uint32_t>(body.size()));
    std::string out = w.Take();
    out.append(body);
    return out;
}

void FrameReader::Feed(std::string_view bytes) {
    if (broken_) return;
    // Consumed bytes are dropped before the buffer grows past them.
    if (pos_ > 0 && pos_ >= buf_.size() / 2) {
        buf_.erase(0, pos_);
        pos_ = 0;
    }
    buf_.append(bytes);
}

std::optional<std::string> FrameReader::Next() {
    if (broken_ || buf_.size() - pos_ < 4) return std::nullopt;
    Reader r(std::string_view(buf_).substr(pos_, 4));
    const std::uint32_t n = r.U32();
    if (n > max_) {
        broken_ = true;
        buf_.clear();
        pos_ = 0;
        return std::nullopt;
    }
    if (buf_.size() - pos_ - 4 < n) return std::nullopt;
    std::string body = buf_.substr(pos_ + 4, n);
    pos_ += 4 + n;
    return body;
}

namespace {

// The next code point of UTF-8 text, or -1 for an invalid sequence (one byte skipped).
long NextCode(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    int len = 0;
    long c = 0;
    if (b < 0x80) {
        ++i;
        return b;
    } else if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        c = b & 0x07;
    } else {
        ++i;
        return -1;
    }
    if (s.size() - i < static_cast<std::size_t>(len)) {
        ++i;
        return -1;
    }
    for (int k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        c = c << 6 | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    static constexpr long kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        ++i;
        return -1;
    }
    i += static_cast<std::size_t>(len);
    return c;
}

bool Control(long c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

} // namespace

std::size_t CharCount(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();)
        if (NextCode(utf8, i) >= 0) ++n;
    return n;
}

std::string CleanText(std::string_view raw, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < raw.size() && chars < maxChars;) {
        const std::size_t at = i;
        const long c = NextCode(raw, i);
        if (c < 0 || Control(c)) continue;
        if (c == ' ' && out.empty()) continue;
        out.append(raw.substr(at, i - at));
        ++chars;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string CleanName(std::string_view raw) {
    return CleanText(Cp1251ToUtf8(Utf8ToCp1251(CleanText(raw, std::string::npos))),
                     std::string::npos);
}

std::optional<std::uint16_t> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const long v = std::strtol(text.c_str(), nullptr, 10);
    if (v < 1 || v > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

bool ParseAddress(const std::string& text, std::string& host, std::uint16_t& port) {
    std::string h = text, p;
    if (!h.empty() && h[0] == '[') {
        const auto close = h.find(']');
        if (close == std::string::npos) return false;
        if (close + 1 < h.size() && h[close + 1] != ':') return false;
        p = close + 1 < h.size() ? h.substr(close + 2) : "";
        if (close + 1 < h.size() && p.empty()) return false;
        h = h.substr(1, close - 1);
    } else if (const auto colon = h.rfind(':'); colon != std::string::npos) {
        if (h.find(':') != colon) return false;
        p = h.substr(colon + 1);
        if (p.empty()) return false;
        h = h.substr(0, colon);
    }
    if (h.empty() || h.size() > 255) return false;
    for (char c : h)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':'))
            return false;
    const std::optional<std::uint16_t> n = p.empty() ? port : ParsePort(p);
    if (!n) return false;
    host = h;
    port = *n;
    return true;
}

} // namespace kv::net
