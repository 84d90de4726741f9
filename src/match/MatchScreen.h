// The match screen: start-up, turn cycle, strike control, camera and the text
// over the picture. Devices, files and windows are reached only through the ports,
// so the same code runs in the game window, in the headless runner and in tests.
#pragma once

#include "ai/CompBrain.h"
#include "match/MouseAim.h"
#include "match/Planner.h"
#include "match/TurnRelay.h"
#include "physics/Physics.h"
#include "physics/Strike.h"
#include "state/MatchState.h"
#include "state/Ports.h"
#include "state/Rng.h"
#include "state/TextMetrics.h"
#include "state/TurnPhase.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kv {

struct MatchPorts {
    TimerPort& timers;
    KeyboardPort& keyboard;
    DisplayPort& display;
    ScenePort& scene;
    SoundPort& sound;
    ReplayPort& replay;
    SaveGamePort& saves;
    ScreensPort& screens;
    DialogPort& dialogs;
};

// Timer intervals, milliseconds.
inline constexpr int kKeyBoardMs = 7;
inline constexpr int kRunMs = 30;
inline constexpr int kPauseMs = 1000;
inline constexpr int kGorMs = 50;
inline constexpr int kCamMs = 20;
inline constexpr int kExitMs = 7000;
inline constexpr int kExitReplayMs = 2000;

// Look-at goal height that marks "goal reached, following may begin".
inline constexpr i16 kCamGoalReached = -100;

// The table's share of every match start: the walls in the piece table and the
// camera's opening view over the table centre.
void PrepareTable(Module1& m);

enum class MouseButton { Left, Right };

class MatchScreen : public PhysicsEvents {
public:
    MatchScreen(Module1& m, const MatchPorts& ports, Rng& rng);
    ~MatchScreen() override;

    void SetReplayMode(bool on); // before Init (the load browser sets it)
    // Network play, before Init: the relay says who plays each turn and brings
    // every strike; the screen never executes a strike of its own directly.
    void SetRelay(TurnRelay* relay) { relay_ = relay; }
    // F2 in a network match opens a chat line; the window types into it.
    bool ChatOpen() const { return chatOpen_; }
    void TypeText(const std::string& utf8);
    static constexpr std::size_t kChatLineBytes = 400;
    // Who thinks for the champion; before Init. Without one the screen thinks
    // on its own thread. The planner must outlive the screen.
    void SetPlanner(PlannerPort& planner) { planner_ = &planner; }
    // How the scene measures its text; the modern look lays the text out with it.
    // Without one it estimates. The metrics must outlive the screen.
    void SetTextMetrics(const TextMetricsPort& metrics) { metrics_ = &metrics; }
    // Start-up; returns after the first GameKernel (the driver owns the render loop).
    void Init();
    void Tick(TimerId id);
    void KeyDown(Key k);
    void KeyUp(Key k);
    // The mouse, at a pixel of the picture (origin top left).
    // It acts only in a human's aim phase of a live match without the exit question.
    // In the modern look the left button pressed on the striker's own piece draws
    // back from it instead, as a cue does: the strike goes away from the mouse, with
    // the force of the distance, when the button is let go.
    void MouseDown(MouseButton b, double px, double py);
    void MouseMove(double px, double py); // turns the strike while the left button is held
    void MouseUp(MouseButton b);
    void MouseWheel(int notches); // one notch = one keypad step of the strike point
    // Turns the strike towards a table point; false (nothing changes) outside the
    // table or when the mouse may not aim now.
    bool AimAt(double tableX, double tableY);
    // The camera as the scene shows it now.
    CameraView View() const;
    // Shutdown display, close the replay, then results or the load browser.
    void Unload();
    // Leaves the match unfinished, as Y to the exit question does (the window closed).
    void Abandon();

    bool InitFailed() const { return initFailed_; }
    bool GameOver() const { return gameOver_; }
    bool ReplayMode() const { return replayMode_; }
    TurnPhase Phase() const { return turnPhase_; }
    bool HelpShown() const { return helpShown_; }
    bool ExitAsk() const { return exitAsk_; }
    double PointAngle() const { return pointAngle_; }
    double StrikeDir() const { return strikeDir_; }
    bool Busy() const { return busy_; }
    bool Thinking() const { return thinking_; } // the champion's plan has not come yet
    i16 CamFollow() const { return camFollow_; }
    i16 CamHeight() const { return camHeight_; }
    double PotTime() const { return potTime_; }
    const std::string& BigText() const { return bigText_; }
    // What the modern look shows beyond the scene's objects, as last handed to
    // the scene (every tick of a modern match).
    const MatchLook& Look() const { return look_; }
    // The replay viewer: paused, speed 1, 2 or 4 motion steps per tick, and
    // the strike being played of how many.
    bool ReplayPaused() const { return replayPaused_; }
    int ReplaySpeed() const { return replaySpeed_; }
    int ReplayStrike() const { return replayStrike_; }

    // Every text drawn over the picture this frame, names over pieces included.
    // The modern look wraps and spaces the lines to the picture and its type.
    std::vector<TextItem> Overlay() const;
    // The status line at the top of the screen.
    std::string StatusLine() const;

    long Strikes() const { return strikes_; }           // executed strikes, ordinary and pot
    long PhysicsTicks() const { return physicsTicks_; } // motion ticks that took a step
    // Physics steps that a guard cut short, and the most work any one step took.
    long GuardHits() const { return guardHits_; }
    // The log line for steps a guard cut short since the last report; empty when none.
    std::string GuardReport();
    const StepLoad& BusiestStep() const { return busiest_; }

    // Operations of the screen that other parts call.
    void GameKernel();
    void ShowTarg();
    void UpdateControl();
    void PreSilaApply();
    void GorApply();

    // Every ordinary strike, the player's, the computer's or a replay's, goes
    // through here: recorded, heard, pushed, and the pieces set moving.
    void ExecuteStrike(const StrikeRecord& strike);

    // Network play. A strike of the table, made here or elsewhere: executed as
    // a local strike is. False (nothing done) unless a turn has begun and its
    // strike is not yet executed; a strike of this machine's player that is
    // still being aimed gives way to it.
    bool PlayStrike(const PlayedStrike& s);
    bool TakesStrike() const;
    // The aim of the player who strikes elsewhere, for the arrow to follow.
    void ShowAim(double pointAngle, double direction);
    // Who plays the turn has changed (a seat left behind, a time limit): the
    // turn begins again. The relay calls it only while no strike of the turn
    // is on its way.
    void RetakeTurn();
    // The table was replaced by the host's state after `strikes` strikes and
    // `ticks` motion ticks: the strike under way stops and the turn begins again.
    void Resync(long strikes, long ticks);
    // The strike under way comes to its end at once, as its timers would bring
    // it: the pot lands, the pieces come to rest and the turn passes.
    void PlayOut();

    // PhysicsEvents
    void KnockSound() override;
    void PiecePerished(i16 k) override;

private:
    bool Modern() const { return m_.Graphics == kGraphicsModern; }
    // The modern look: filled after every tick and input, handed to the scene.
    void Present();
    std::vector<TextItem> ModernOverlay(const TextMetricsPort& tm) const;
    void Banner(std::string text);
    void SnapshotPieces(); // where the physics has the pieces before a step
    void NoteFall(i16 k);  // piece k has just left the table

    void EnableTimer(TimerId id, bool on);
    void NoteLoad(const StepLoad& l);
    void KeyBoardTick();
    void RunTick();
    void PauseTick();
    void GorTick();
    void CamTick();
    void ExitTick();

    void FinishWon();
    bool CloseTurn(); // true when the match goes on with the next turn
    void PassTurn();
    void NoStrike(); // a turn without a target closes at once
    void SendStrike(const PlayedStrike& s);
    void WaitElsewhere();
    void ChatKey(Key key);
    void PlaceAimMarks();
    void NoteAim();
    void CompTurn();
    void DropPot();
    bool HasTarget(i16 p) const;
    bool MouseMayAim() const;
    void DrawBack(double tableX, double tableY);
    i16 LevelOf(i16 p) const; // the computer's strength for slot p
    void CompStrikeNow();     // the paused computer strikes at once, without spread
    void StartThinking();     // the champion's plan is asked for
    void PlanReady(long ticket, const PlannedStrike& plan);
    void DropThinking();          // a plan asked for and not yet made is forgotten
    void StrikePlan(bool spread); // the plan that came is made
    void ComputerPot(i16 force);
    bool ReplayStep();
    void ExecuteLoadedStep();
    void Execute(const StrikeRecord& s);
    void ShowPotOverCurrent();
    void HideAim();
    void StartPotIfPhase(); // G
    std::string ReplayStatus() const;
    void ReplayKey(Key key); // P, N, X
    void StartMotion();
    void StopMotion();
    bool MotionStep(); // false once every piece rests

    // Camera.
    void LookAtCenterFrame();
    void TurnToCentre();
    void FollowStep(int dir);
    bool CamLookKeys(const KeyStateTable& k, long dx, long dz); // false: tick ends
    bool CamPosKeys(const KeyStateTable& k, long dx, long dz);  // false: tick ends

    Module1& m_;
    MatchPorts p_;
    Rng& rng_;
    TurnRelay* relay_ = nullptr;
    std::array<bool, kTimerCount> timerOn_{};

    std::array<int, kTimerCount> interval_{kKeyBoardMs, kRunMs, kPauseMs, kGorMs, kCamMs, kExitMs};

    bool replayMode_ = false;
    bool initFailed_ = false;
    bool gameOver_ = false;
    bool helpShown_ = false;
    bool exitAsk_ = false;
    bool busy_ = false;
    bool kbBusy_ = false;
    TurnPhase turnPhase_ = TurnPhase::None;
    double pointAngle_ = 0;
    double strikeDir_ = 0;
    double potTime_ = 0;
    std::string bigText_;
    int bigTextX_ = 0;
    int bigTextY_ = 0;
    i16 camHeight_ = 0;
    i16 camFollow_ = 0;
    i16 camGoalX_ = 0, camGoalY_ = 0, camGoalZ_ = 0;
    bool lookAtPiece_ = false; // the scene's camera turned to the followed piece itself

    bool leftHeld_ = false;
    bool drawing_ = false;   // modern: the left button draws back from the piece to charge
    bool rightHeld_ = false; // charges as SPACE does

    bool moving_ = false;
    bool replayPaused_ = false;
    int replaySpeed_ = 1;
    int replayStrike_ = 0;
    int replaySteps_ = -1;

    SyncPlanner ownPlanner_;
    PlannerPort* planner_ = &ownPlanner_;
    const TextMetricsPort* metrics_ = nullptr;
    bool thinking_ = false;
    bool strikeOnPlan_ = false; // ENTER came while the plan was being made
    bool planMayPause_ = true;  // F6 holds the plan: this machine's own player
    bool chatOpen_ = false;
    std::string chatLine_;
    long planTicket_ = 0; // answers to an older question are ignored
    PlannedStrike plan_;

    // The modern look: its clock runs with the keyboard ticks, which never stop
    // while the match is shown.
    MatchLook look_;
    long lookMs_ = 0;
    struct PieceWas {
        double x = 0, y = 0, vx = 0, vy = 0;
    };
    std::array<PieceWas, kPieceSlots + 1> was_{};
    std::array<long, kPieceSlots + 1> fallMs_{}; // when it left the table; -1 never
    std::vector<std::string> banners_;           // waiting to be shown, oldest first
    long bannerMs_ = 0;                          // when the front one came up
    int potHold_ = 0; // modern: ticks the pot's impact has been held so far

    bool unloaded_ = false;
    long strikes_ = 0;
    long physicsTicks_ = 0;
    long guardHits_ = 0;
    long guardHitsReported_ = 0;
    StepLoad busiest_;
};

} // namespace kv
