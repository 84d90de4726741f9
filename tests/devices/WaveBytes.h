// Wave files built in memory for the sound tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace kvtest {

// Appends v as `bytes` little-endian bytes, or a four-character tag.
inline void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void Put(std::vector<std::uint8_t>& b, const char* tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A PCM wave of the given layout holding `frames` frames of a quiet square wave.
inline std::vector<std::uint8_t> Wave(int frames, int channels = 2, int rate = 22050, int bits = 16,
                                      std::uint16_t formatTag = 1) {
    const auto align = static_cast<std::uint32_t>(channels * bits / 8);
    const std::uint32_t dataLen = static_cast<std::uint32_t>(frames) * align;
    std::vector<std::uint8_t> b;
    Put(b, "RIFF"), Put(b, 36 + dataLen), Put(b, "WAVE"), Put(b, "fmt "), Put(b, 16);
    Put(b, formatTag, 2), Put(b, static_cast<std::uint32_t>(channels), 2);
    Put(b, static_cast<std::uint32_t>(rate)), Put(b, static_cast<std::uint32_t>(rate) * align);
    Put(b, align, 2), Put(b, static_cast<std::uint32_t>(bits), 2), Put(b, "data"), Put(b, dataLen);
    for (std::uint32_t i = 0; i < dataLen; ++i)
        b.push_back(static_cast<std::uint8_t>((i / 64) % 2 ? 0x10 : 0xF0));
    return b;
}

inline std::string WriteFile(const std::string& path, const std::vector<std::uint8_t>& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return path;
}

} // namespace kvtest
