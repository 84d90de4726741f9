// Seeded random source. Every draw of the game comes from one of these, passed
// in, so that the same seed gives the same match.
#pragma once

#include <cstdint>

namespace kv {

class Rng {
public:
    explicit Rng(std::uint64_t seed = 0) : s_(seed) {}
    void Seed(std::uint64_t seed) { s_ = seed; }
    std::uint64_t State() const { return s_; }

    // splitmix64: small, fast and identical on every platform.
    std::uint64_t NextU64() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), 53 bits.
    double Next01() { return static_cast<double>(NextU64() >> 11) * (1.0 / 9007199254740992.0); }
    // Int(Next01() * n): 0 .. n-1.
    int NextInt(int n) { return static_cast<int>(Next01() * n); }

private:
    std::uint64_t s_;
};

} // namespace kv
