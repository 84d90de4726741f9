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

inline unsigned U16(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
inline unsigned long U32(const std::string& b, size_t at) {
    return U16(b, at) | static_cast<unsigned long>(U16(b, at + 2)) << 16;
}

} // namespace kv::testdata
