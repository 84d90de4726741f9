// The small interfaces through which the match core reaches devices, files and
// windows. The game plugs in Qt/OpenGL/OpenAL versions, the headless runner the
// null ones (state/NullPorts.h), tests recording ones.
#pragma once

#include "state/MatchState.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "state/MatchLook.h"

namespace kv {

// Keys of the key-down and key-up events of the match screen (the window
// system's virtual keys, reduced to the ones the match reacts to).
enum class Key {
    Other = 0,
    Escape,
    Enter,
    Space,
    Y,
    N,
    F1,
    F3,
    F4,
    F6,
    F7,
    F8,
    F9,
    BracketLeft,
    BracketRight,
    Greater,
    Less,
    P,         // replay: pause
    X,         // replay: speed
    F2,        // network play: a chat line
    Backspace, // the chat line's last character
};

// Device scan codes of the held-keys table (the DirectInput numbering).
namespace Scan {
inline constexpr int A = 0x1E, G = 0x22, M = 0x32, Space = 0x39;
inline constexpr int Kp7 = 0x47, Kp8 = 0x48, Kp9 = 0x49, KpMinus = 0x4A, Kp4 = 0x4B, Kp6 = 0x4D;
inline constexpr int KpPlus = 0x4E, Kp1 = 0x4F, Kp2 = 0x50, Kp3 = 0x51;
inline constexpr int Up = 0xC8, PageUp = 0xC9, Left = 0xCB, Right = 0xCD, Down = 0xD0,
                     PageDown = 0xD1;
// Letters that stand in for the keypad on keyboards without one, by their place.
inline constexpr int Q = 0x10, W = 0x11, E = 0x12, R = 0x13, S = 0x1F, D = 0x20, F = 0x21;
inline constexpr int Z = 0x2C, X = 0x2D, C = 0x2E;
} // namespace Scan

// Text the renderer draws over the 3D picture, in pixels of the chosen mode,
// in palette colour TextColour. Lines are kept inside the picture; a label
// stands where it falls and the picture's edge cuts it.
struct TextItem {
    int x = 0;
    int y = 0;
    std::string text;
    bool big = false;   // the exit question: 14-point bold
    bool label = false; // a name over a piece
};

// The six timers of the match screen.
enum class TimerId { KeyBoard = 0, Run, Pause, Gor, Cam, Exit };
inline constexpr int kTimerCount = 6;

// Whoever drives the match owns the real timers; the core only says which run
// and how often. Enabling a running timer does not restart it; changing the
// interval of a running timer restarts its count.
class TimerPort {
public:
    virtual ~TimerPort() = default;
    virtual void SetTimer(TimerId id, bool enabled, int intervalMs) = 0;
};

using KeyStateTable = std::array<std::uint8_t, 256>;

class KeyboardPort {
public:
    virtual ~KeyboardPort() = default;
    // False when no keyboard device can be had; the device has already reported why.
    virtual bool InitKeyboard() = 0;
    // Fills all 256 bytes; false on a failed read (the table is then all zero).
    virtual bool ReadKeyboard(KeyStateTable& state) = 0;
};

class DisplayPort {
public:
    virtual ~DisplayPort() = default;
    // False on failure; the device has already shown and logged the message.
    virtual bool InitDisplay() = 0;
    virtual void ShutdownDisplay() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

// Frames the camera can be turned to: the centre marker or a player's piece.
inline constexpr int kLookAtCenter = 0;

class ScenePort {
public:
    virtual ~ScenePort() = default;
    // Builds the scene from the match state (walls and opening view already in
    // it) and loads the sounds. False when the user chose not to go on after a
    // failure.
    virtual bool BuildScene() = 0;
    virtual void PlacePiece(int n) = 0;
    // Shows piece n's scene object at height h (the jump at a pot impact).
    virtual void LiftPiece(int n, double h) = 0;
    virtual void ShowPot(i16 x, i16 z) = 0;
    virtual void MovePot(i16 x, i16 z, double t, i16 v) = 0;
    virtual void HidePot() = 0;
    // Strike point ball and direction arrow.
    virtual void ShowBall(bool shown) = 0;
    virtual void ShowArrow(bool shown) = 0;
    virtual void PlaceBall(double x, double y, double z) = 0;
    virtual void PlaceArrow(double x, double y, double z) = 0;
    virtual void TurnArrow(double angle) = 0;
    // Camera frame, centre frame, and the camera turned to look at a frame.
    virtual void PlaceCenter(double x, double y, double z) = 0;
    virtual void PlaceCamera(double x, double y, double z) = 0;
    virtual void LookAt(int frame) = 0;
    virtual void ShowAmbientLight(bool shown) = 0;
    // The modern look's extras; the classic scene has none.
    virtual void ShowLook(const MatchLook&) {}
};

class SoundPort {
public:
    virtual ~SoundPort() = default;
    // volume: attenuation in hundredths of a decibel, 0 = full. The core checks
    // the Sound flag before calling.
    virtual void PlaySound(int slot, i32 volume) = 0;
    virtual void StopSound(int slot, bool rewind) = 0;
};

// Recording and playback of replays.
class ReplayPort {
public:
    virtual ~ReplayPort() = default;
    // Creates the file and writes the match snapshot. False when writing failed
    // and the user chose to end the match.
    virtual bool StartReplayRecord(const std::string& path) = 0;
    virtual void WriteReplayStep(const StrikeRecord& strike, i16 pot) = 0;
    virtual void CloseReplayRecord() = 0;
    // Next recorded step; false at the end of the recording.
    virtual bool ReadReplayStep(StrikeRecord& strike, i16& pot) = 0;
    virtual void CloseReplayRead() = 0;
    // Steps of the recording being read, from its first (-1: not known).
    virtual int ReplayStepCount() const { return -1; }
};

class SaveGamePort {
public:
    virtual ~SaveGamePort() = default;
    // Writes the quick save; on failure it replaces HintText with the error.
    virtual void SaveGame(const std::string& path) = 0;
    // The game's own folder (settings, saves, replays), ending in '/'.
    virtual std::string StateDir() const = 0;
};

// What happens when the match screen is left.
class ScreensPort {
public:
    virtual ~ScreensPort() = default;
    virtual void ShowResults(bool gameOver) = 0;
    virtual void ShowLoadBrowser() = 0;
};

enum class MsgIcon { None, Information, Question, Warning, Stop, Critical, Exclamation };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class DialogPort {
public:
    virtual ~DialogPort() = default;
    // An empty caption means the application title.
    virtual MsgAnswer Message(const std::string& text, MsgIcon icon, MsgButtons buttons,
                              const std::string& caption = {}) = 0;
    virtual void SetBusy(bool busy) = 0;
};

// What a computer player that thinks before it strikes has chosen: a strike as
// intended (the match adds the spread), or the pot of force pot instead.
struct PlannedStrike {
    StrikeRecord strike;
    i16 pot = 0;
};

using PlanDone = std::function<void(const PlannedStrike&)>;

// The thinking of such a player. The match screen asks for the plan of piece p
// in the position m (which the planner copies at once) and gets it through
// done, on the screen's own thread: at once, or later while the picture goes
// on. A dropped plan's done is never called.
class PlannerPort {
public:
    virtual ~PlannerPort() = default;
    virtual void StartPlan(const Module1& m, i16 p, PlanDone done) = 0;
    virtual void DropPlan() = 0;
};

} // namespace kv
