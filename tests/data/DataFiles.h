// Small helpers shared by the data tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace kv::testdata {

inline std::string GameData(const std::string& rel) {
    return std::string(KV_GAMEDATA_DIR) + "/" + rel;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline unsigned long U32(const std::string& b, size_t at) {
    unsigned long v = 0;
    for (size_t i = 4; i-- > 0;)
        v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    return v;
}

} // namespace kv::testdata
