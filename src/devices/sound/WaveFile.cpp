#include "devices/sound/WaveFile.h"

#include <fstream>
#include <iterator>

namespace kv {

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool Tag(const std::vector<std::uint8_t>& b, std::size_t at, const char* t) {
    return b[at] == t[0] && b[at + 1] == t[1] && b[at + 2] == t[2] && b[at + 3] == t[3];
}

} // namespace

bool ParseWave(const std::vector<std::uint8_t>& b, WaveData& out, std::string& error) {
    out = WaveData{};
    if (b.size() < 12 || !Tag(b, 0, "RIFF") || !Tag(b, 8, "WAVE")) {
        error = "не является файлом WAVE";
        return false;
    }
    bool haveFormat = false;
    std::size_t blockAlign = 0;
    std::size_t at = 12;
    // Chunks may be cut short by a damaged file: every length is checked
    // against what is really there.
    while (at + 8 <= b.size()) {
        const std::uint32_t len = U32(b, at + 4);
        const std::size_t body = at + 8;
        const std::size_t avail = b.size() - body;
        if (Tag(b, at, "fmt ")) {
            if (len < 16 || avail < 16) {
                error = "повреждён заголовок формата";
                return false;
            }
            const std::uint16_t tag = U16(b, body);
            out.channels = U16(b, body + 2);
            out.rate = static_cast<int>(U32(b, body + 4));
            blockAlign = U16(b, body + 12);
            out.bits = U16(b, body + 14);
            if (tag != 1) {
                error = "формат звука не PCM (код " + std::to_string(tag) + ")";
                return false;
            }
            if ((out.channels != 1 && out.channels != 2) || (out.bits != 8 && out.bits != 16) ||
                out.rate < 1000 || out.rate > 192000 ||
                blockAlign != static_cast<std::size_t>(out.channels * out.bits / 8)) {
                error = "неподдерживаемый формат PCM: " + std::to_string(out.channels) + " кан., " +
                        std::to_string(out.rate) + " Гц, " + std::to_string(out.bits) + " бит";
                return false;
            }
            haveFormat = true;
        } else if (Tag(b, at, "data")) {
            if (!haveFormat) {
                error = "данные идут раньше заголовка формата";
                return false;
            }
            if (len > avail) {
                error = "файл обрезан: данных меньше, чем указано в заголовке";
                return false;
            }
            const std::size_t whole = len - len % blockAlign;
            out.pcm.assign(b.begin() + static_cast<std::ptrdiff_t>(body),
                           b.begin() + static_cast<std::ptrdiff_t>(body + whole));
            return true;
        }
        if (len > avail) break;
        at = body + len + (len & 1u); // chunks are padded to even length
    }
    error = haveFormat ? "нет блока данных" : "нет заголовка формата";
    return false;
}

bool ReadWaveFile(const std::string& path, WaveData& out, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "файл не найден или не открывается: " + path;
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                                          std::istreambuf_iterator<char>());
    if (!ParseWave(bytes, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace kv
