// RIFF/WAVE reading for the sound slots: plain PCM only, as the game's own
// sounds are written (22050 Hz, 16-bit, stereo); other PCM layouts OpenAL can
// play are accepted too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct WaveData {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::uint8_t> pcm; // sample frames, whole frames only
};

// False with a Russian description in error when the bytes are not a PCM wave
// file OpenAL can take (1 or 2 channels, 8 or 16 bits).
bool ParseWave(const std::vector<std::uint8_t>& bytes, WaveData& out, std::string& error);
bool ReadWaveFile(const std::string& path, WaveData& out, std::string& error);

} // namespace kv
