// The shared match state. One instance per process (the game and the headless
// runner each make one); every subsystem works on it through a reference.
#pragma once

#include "state/Defaults.h"

#include <array>
#include <cstdint>
#include <string>

namespace kv {

using i16 = std::int16_t;
using i32 = std::int32_t;

// Flags are 16-bit, 0 for false and -1 for true; any non-zero value is true.
inline constexpr i16 kTrue = -1;
inline constexpr i16 kFalse = 0;
inline constexpr i16 Flag(bool b) {
    return b ? kTrue : kFalse;
}

// 1-based fixed table: index 0 exists but is never used, so loops read like the rules.
template <typename T, int N> struct Table1 {
    std::array<T, N + 1> a{};
    T& operator()(int i) { return a[static_cast<std::size_t>(i)]; }
    const T& operator()(int i) const { return a[static_cast<std::size_t>(i)]; }
    static constexpr int size() { return N; }
};

inline constexpr int kPieceSlots = 16;
inline constexpr int kMaxPlayers = 8;
inline constexpr int kTeams = 8;
inline constexpr int kObstacles = 4;
// Other players' pieces that can fall during one strike.
inline constexpr int kPerishListSize = kMaxPlayers - 1;
inline constexpr int kModelObstacle = 5;
inline constexpr int kModelWall = 6;
inline constexpr i16 kBuild = 1408;

// The two looks of the match.
inline constexpr i16 kGraphicsClassic = 0;
inline constexpr i16 kGraphicsModern = 1;
inline constexpr const char* kGraphicsNames[2] = {"Классика", "Современная"};

// Strengths of a computer player; the master plays as the game always has, the
// champion tries its strikes on a copy of the table before it makes one.
inline constexpr i16 kLevelNovice = 0;
inline constexpr i16 kLevelAmateur = 1;
inline constexpr i16 kLevelMaster = 2;
inline constexpr i16 kLevelChampion = 3;
inline constexpr int kLevelCount = 4;
inline constexpr const char* kLevelNames[kLevelCount] = {"Новичок", "Любитель", "Мастер",
                                                         "Чемпион"};
// A strength read from a file or a list; anything else plays the master.
inline constexpr bool IsLevel(int v) {
    return v >= kLevelNovice && v <= kLevelChampion;
}

// The piece models as every list names them (the index is the Model).
inline constexpr const char* kModelNames[4] = {"Гобла из ZVR:KT", "Стандартная Гобла",
                                               "Квадратная Гобла", "Круглая Гобла"};

// Piece record; fields in their declared order (the saved game keys follow these names).
struct GoblaRec {
    double Xpos = 0;
    double Ypos = 0;
    double Xvec = 0;
    double Yvec = 0;
    i16 Gray = 0;
    i16 Life = 0;
    i16 Com = 0;
    i16 CompControl = 0;
    double U = 0;
    i16 MyNum = 0;
    double Phi = 0;
    std::string RName;
    i16 Sginul = 0;
    i16 Model = 0;
    i16 M = 1;
    i16 ScoreL = 0;
    i16 ScoreF = 0;
    i16 ScoreA = 0;
    i16 ScoreLTotal = 0;
    i16 ScoreFTotal = 0;
    i16 ScoreATotal = 0;
};

struct TeamRec {
    std::string ComName;
    i16 Kolvo = 0;
    std::string R1, R2, R3, R4;
    i16 Score = 0;
    i16 CompControl = 0;
    i16 RType = 0;
    i16 Level = kLevelMaster; // the computer's strength, a key of our own
};

struct PipaRec {
    double X = 0;
    double Y = 0;
};

// Strike point angle, direction angle, force (the computer's choice and a replay step alike).
struct StrikeRecord {
    double ba = 0; // strike point angle on the rim
    double pa = 0; // strike direction
    i16 si = 0;    // force 0..100
};

// Contact shape of a piece model: up to 19 circles in the piece's own frame.
struct Circle {
    double x = 0, y = 0, r = 0;
};
struct ShapeRec {
    std::array<Circle, 20> c{}; // 1-based, c[0] unused
    i16 count = 0;
    i32 bound = 0;
};

struct Module1 {
    // Pieces, turn order, finishing order, teams, obstacles.
    Table1<GoblaRec, kPieceSlots> Gobla;
    Table1<i16, kMaxPlayers> KH;
    Table1<i16, kMaxPlayers> WS;
    Table1<TeamRec, kTeams> rc;
    Table1<PipaRec, kObstacles> pipa;
    // Strength of each player slot when the computer plays it.
    Table1<i16, kMaxPlayers> CompLevel{{kLevelMaster, kLevelMaster, kLevelMaster, kLevelMaster,
                                        kLevelMaster, kLevelMaster, kLevelMaster, kLevelMaster,
                                        kLevelMaster}};

    // Match counters and settings.
    i16 MaxGamers = 2;
    i16 CurG = 1;
    i16 CurNG = 1;
    i16 CurSgin = 0;
    i16 MaxX = kDefaultTableX;
    i16 MaxY = kDefaultTableY;
    double Ftr = kDefaultFriction;
    double GPercent = 1.0;
    float VarK = 0;
    i16 Border = kTrue;
    i16 BordMode = 1;
    i16 BordSimm = kTrue;
    i16 PipaOn = kTrue;
    i16 PipaMode = 0;
    i16 PipaSimm = kFalse;
    i16 MaxPip = 0;
    i16 ZI = kFalse;
    i16 N1 = 0;
    i16 N2 = 0;
    i16 IsCompHOD = kFalse;
    i16 Sound = kTrue;
    i16 Ver = kBuild;

    // Per-strike perish list and outcome.
    i16 NewSgin = 0;
    Table1<i16, kPerishListSize> SginList;
    i16 Winner = 0;
    i16 LoadedGame = kFalse;
    StrikeRecord CompStrike;

    std::string StatusText;
    std::string HintText;

    // Constants set with the match defaults.
    double Pi = 3.14159265358979323846;
    i16 PieceRadius = 20;
    i16 PieceRadius2 = 14;
    i16 PipaRadius = 11;

    // Shapes(0..6), built by BuildShapes; ContactSound is set by the contact search.
    std::array<ShapeRec, 7> Shapes{};
    i16 ContactSound = kFalse;

    // Strike being prepared (0..100) and the render-loop and on-screen flags.
    i16 StrikeForce = 0;
    i16 RenderOn = kFalse;
    i16 NamesShown = kTrue;
    i16 ArrowShown = kTrue;
    i16 TextColour = 15;
    std::string HelpText;

    // Camera position and look-at point, scene units.
    double CamX = -50, CamY = 40, CamZ = -20;
    double TargetX = 30, TargetY = -2, TargetZ = -20;

    // Display settings.
    i16 ScreenW = kDefaultScreenW;
    i16 ScreenH = kDefaultScreenH;
    i16 Colors = kDefaultColors;
    i16 UseTex = kFalse;
    i16 UseRoom = kFalse;
    i16 DeviceNum = 0;
    i16 RenderNum = 0;
    i16 Windowed = kTrue; // a key of our own in the settings: the desktop window mode
    // The picture the display draws now, in pixels, never stored: the modern
    // look fills the screen or window at its own size. 0 means the mode's.
    i16 PictureW = 0;
    i16 PictureH = 0;
    // How the match is drawn, a key of our own: today's look, or the classic
    // scene exactly as it always was. Only the picture differs, never a rule.
    i16 Graphics = kGraphicsModern;

    // Program-wide counters.
    i16 ReplaySlot = 0;
    i16 QuickSaveNo = 0;
    Table1<i16, kMaxPlayers> SavedMass;
    i16 NameCount = 0;
    i16 NextTeam = 1; // defined teams + 1
    i16 FirstRun = kFalse;
};

double Hypot(double x, double y);
i16 AliveCount(const Module1& m);
bool AllStopped(const Module1& m);
void PlacePieces(Module1& m);
void SetMatchDefaults(Module1& m);
// Moves the pieces of the per-strike perish list into the finishing order
// after its last entry, the latest fallen first, and counts them to the
// striker CurG; the list is empty afterwards. Returns how many fell.
int RecordFallen(Module1& m);
// The match-state part of the defaults; the screen models add their own.
void SetDefaultSettings(Module1& m);

// A display value of 0 (a hand-edited file) becomes the default mode's.
void FixDisplaySettings(Module1& m);

// Converting a real to an integer: nearest, halves to even (the banker's rounding of the rules).
i16 RoundI16(double v);
i32 RoundI32(double v);

} // namespace kv
