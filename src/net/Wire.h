// Bytes on the wire: numbers big-endian, reals as their 64-bit patterns (the
// bits a replay keeps), texts with their length first; frames with a length
// prefix and a hard limit; text from the network made safe to show and keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv::net {

class Writer {
public:
    void U8(std::uint8_t v) { out_ += static_cast<char>(v); }
    void U16(std::uint16_t v);
    void U32(std::uint32_t v);
    void U64(std::uint64_t v);
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void Bool(bool v) { U8(v ? 1 : 0); }
    void Real(double v);
    void Text(std::string_view s);     // u16 length; longer text is cut
    void LongText(std::string_view s); // u32 length
    const std::string& Bytes() const { return out_; }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

// Reads what a Writer wrote. Any read past the end or out of its bounds fails
// the reader for good; what it returns then is a zero.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    bool Ok() const { return ok_; }
    // Ok and every byte used: a message with bytes left over is malformed.
    bool Done() const { return ok_ && pos_ == in_.size(); }
    void Fail() { ok_ = false; }

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::uint64_t U64();
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::int16_t I16In(int lo, int hi);
    std::uint32_t U32Max(std::uint32_t hi);
    bool Bool(); // 0 or 1 only
    double Real();
    double FiniteReal();
    std::string Text(std::size_t maxBytes);
    std::string LongText(std::size_t maxBytes);

private:
    bool Need(std::size_t n);
    std::string_view in_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// The frame of a message: its length (4 bytes, big-endian), then the message.
std::string Frame(std::string_view body);

// Splits a stream of bytes into frames. A frame that announces more than the
// limit breaks the stream for good: the connection must be closed.
class FrameReader {
public:
    explicit FrameReader(std::size_t maxBody) : max_(maxBody) {}
    void Feed(std::string_view bytes);
    std::optional<std::string> Next();
    bool Broken() const { return broken_; }
    std::size_t Buffered() const { return buf_.size() - pos_; }

private:
    std::size_t max_;
    std::string buf_;
    std::size_t pos_ = 0;
    bool broken_ = false;
};

// Characters of UTF-8 text.
std::size_t CharCount(std::string_view utf8);
// Text from the network made safe: invalid UTF-8 and control characters (C0,
// DEL, C1) dropped, blanks at the ends trimmed, at most maxChars characters.
std::string CleanText(std::string_view raw, std::size_t maxChars);
// A player's name: cleaned, and held to what the game's files can keep (code
// page 1251: any other character becomes '?'), so that it reads back the same
// on every machine. Not cut: the caller refuses a name too long.
std::string CleanName(std::string_view raw);

// A port as a player types it: 1 to 65535 in at most five digits.
std::optional<std::uint16_t> ParsePort(const std::string& text);

// A table's address as a player types it: "host", "host:port", "[v6]" or
// "[v6]:port"; a port left out keeps the one port holds. False, with host and
// port untouched, on anything else: a bare IPv6 address wants brackets.
bool ParseAddress(const std::string& text, std::string& host, std::uint16_t& port);

} // namespace kv::net
