// Texts and helpers that the match screen's files share.
#pragma once

#include "state/Ports.h"

#include <cstdio>
#include <string>

namespace kv::matchtext {

inline constexpr const char* kStatusHumanTurn =
    "Выберите точку и направление удара клавишами 1,3 и 7,9 цифровой клавиатуры.Затем жмите "
    "ПРОБЕЛ!";
inline constexpr const char* kStatusCompBlind = "Ходит комп!!! Не глядя!!!...";
inline constexpr const char* kStatusCompThinks = "Ходит комп!!! Чемпион обдумывает удар...";
inline constexpr const char* kStatusCompPaused = "Ходит комп!!! Нажмите ENTER для продолжения.";
inline constexpr const char* kHintPauseOff = "Чтобы выключить такую паузу, нажмите F6.";
inline constexpr const char* kHintCentre = "Камера смотрит на: центр стола";

inline bool Held(const KeyStateTable& k, int scan) {
    return k[static_cast<std::size_t>(scan)] != 0;
}

// A number as the game writes it everywhere: no trailing zeros, decimal point
// (there are no regional settings to follow).
inline std::string NumText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

} // namespace kv::matchtext
