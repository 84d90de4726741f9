// Wave files built in memory for the sound tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace kvtest {

inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void Put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutTag(std::vector<std::uint8_t>& b, const char* t) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(t[i]));
}

// A PCM wave of the given layout holding `frames` frames of a quiet square wave.
inline std::vector<std::uint8_t> Wave(int frames, int channels = 2, int rate = 22050, int bits = 16,
                                      std::uint16_t formatTag = 1) {
    const std::uint32_t align = static_cast<std::uint32_t>(channels * bits / 8);
    const std::uint32_t dataLen = static_cast<std::uint32_t>(frames) * align;
    std::vector<std::uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, 36 + dataLen);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, formatTag);
    Put16(b, static_cast<std::uint16_t>(channels));
    Put32(b, static_cast<std::uint32_t>(rate));
    Put32(b, static_cast<std::uint32_t>(rate) * align);
    Put16(b, static_cast<std::uint16_t>(align));
    Put16(b, static_cast<std::uint16_t>(bits));
    PutTag(b, "data");
    Put32(b, dataLen);
    for (std::uint32_t i = 0; i < dataLen; ++i)
        b.push_back(static_cast<std::uint8_t>((i / 64) % 2 ? 0x10 : 0xF0));
    return b;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

} // namespace kvtest
