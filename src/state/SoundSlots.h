// The fifteen sound slots of the match and the wave file each one holds. The
// scene loads them in kLoadOrder; the match plays them by these names.
#pragma once

namespace kv::sound {

inline constexpr int kSlots = 15;
inline constexpr int kGreeting = 0;    // 0..3: one at random when a match starts
inline constexpr int kFullForce = 3;   // +1..+3: a strike at full force, three times in ten
inline constexpr int kSeveralFell = 7; // two or more pieces fell in one strike, room shown
inline constexpr int kKnock = 8;       // pieces met during a whole physics step
inline constexpr int kWall = 9;        // loaded, never played
inline constexpr int kPot = 10;        // 10..13: one at random for a pot strike
inline constexpr int kWin = 14;

struct SlotFile {
    const char* file; // under gamedata/sound/
    int slot;
};

// "Poswinu0.wav" goes into slot 3 and is overwritten there by "Gobla3.wav": it
// is never heard, but a missing copy is reported like any other file.
inline constexpr SlotFile kLoadOrder[] = {
    {"Gobla0.wav", 0},   {"Poswinu0.wav", 3}, {"Pot0.wav", 10},    {"Gobla1.wav", 1},
    {"Poswinu1.wav", 4}, {"Pot1.wav", 11},    {"Gobla2.wav", 2},   {"Poswinu2.wav", 5},
    {"Pot2.wav", 12},    {"Gobla3.wav", 3},   {"Poswinu3.wav", 6}, {"Pot3.wav", 13},
    {"xruk.wav", 7},     {"2gobly.wav", 8},   {"stenka.wav", 9},   {"win.wav", 14},
};

} // namespace kv::sound
