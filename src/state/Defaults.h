// The values the game starts from and falls back to, each in one place.
#pragma once

#include <cstdint>

namespace kv {

// The table the options offer first, and the sizes a match may have.
inline constexpr std::int16_t kDefaultTableX = 600;
inline constexpr std::int16_t kDefaultTableY = 400;
inline constexpr std::int16_t kMinTableSize = 200;
inline constexpr std::int16_t kMaxTableSize = 1000;

// The display mode of a first run, and of a settings file that names none.
inline constexpr std::int16_t kDefaultScreenW = 640;
inline constexpr std::int16_t kDefaultScreenH = 480;
inline constexpr std::int16_t kDefaultColors = 8;

// Table friction: small, standard, large. The options offer only these.
inline constexpr double kFrictions[3] = {0.01, 0.02, 0.03};
inline constexpr int kStandardFriction = 1;
inline constexpr double kDefaultFriction = kFrictions[kStandardFriction];

} // namespace kv
