// A match screen wired to recording ports and a virtual clock.
#pragma once

#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "physics/Physics.h"
#include "support/RecordingPorts.h"

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace kv::test {

struct Rig {
    Module1 m;
    Rng rng{12345};
    VirtualScheduler clock;
    RecordingKeyboard kb;
    NullDisplay display;
    RecordingScene scene;
    RecordingSound sound;
    RecordingReplay replay;
    RecordingSaveGame saves{"/state/"};
    RecordingScreens screens;
    RecordingDialogs dialogs;
    MatchPorts ports{clock, kb, display, scene, sound, replay, saves, screens, dialogs};
    std::unique_ptr<MatchScreen> s;

    // A quick game of n round pieces on a bare table; computers when comp is set.
    explicit Rig(int n, bool comp = false) {
        SetDefaultSettings(m);
        SetMatchDefaults(m);
        m.Border = m.PipaOn = kFalse;
        m.MaxPip = 0;
        m.VarK = 0;
        m.MaxGamers = static_cast<i16>(n);
        PlacePieces(m);
        BuildShapes(m);
        for (int i = 1; i <= n; ++i) {
            m.KH(i) = static_cast<i16>(i);
            m.WS(i) = 0;
            m.Gobla(i).CompControl = comp ? 1 : 0;
            m.Gobla(i).Model = 3;
        }
        m.CurG = m.CurNG = 1;
        m.CurSgin = m.NewSgin = 0;
        s = std::make_unique<MatchScreen>(m, ports, rng);
        clock.OnFire([this](TimerId id) { s->Tick(id); });
    }

    // Odd slots play for side 0, even slots for side 1.
    void Teams() {
        m.ZI = kTrue;
        for (int i = 1; i <= m.MaxGamers; ++i)
            m.Gobla(i).Com = static_cast<i16>((i + 1) % 2);
    }
    // A playback of the given steps, with the pause before each.
    void Playback(std::vector<ReplayStepRec> steps, bool paused = true) {
        s->SetReplayMode(true);
        m.IsCompHOD = Flag(paused);
        for (const auto& st : steps)
            replay.toRead.push_back(st);
    }
    void Start() { s->Init(); }
    void Fire(TimerId id, int times = 1) {
        for (int i = 0; i < times; ++i)
            s->Tick(id);
    }
    void KbTicks(int n) { Fire(TimerId::KeyBoard, n); }
    void Press(int scan) {
        kb.Hold(scan);
        KbTicks(1);
        kb.ReleaseAll();
    }
    // SPACE held for the given keyboard ticks, then let go.
    void Charge(int ticks) {
        kb.Hold(Scan::Space);
        KbTicks(ticks);
        kb.ReleaseAll();
        s->KeyUp(Key::Space);
    }
    // The finishing order, places 1..MaxGamers.
    std::vector<int> Order() const {
        std::vector<int> v;
        for (int i = 1; i <= m.MaxGamers; ++i)
            v.push_back(m.WS(i));
        return v;
    }
    // What the match has come to: the winner, each piece's place and life, the
    // finishing order, the strikes.
    auto Ended() const {
        std::vector<std::tuple<double, double, i16>> pieces;
        for (int i = 1; i <= m.MaxGamers; ++i)
            pieces.emplace_back(m.Gobla(i).Xpos, m.Gobla(i).Ypos, m.Gobla(i).Life);
        return std::tuple(m.Winner, pieces, Order(), s->Strikes());
    }
    // Closes the current turn as if the strike had just come to rest.
    void CloseTurn() { s->Tick(TimerId::Pause); }
    // Runs the clock until no timer other than the keyboard is enabled, or ms pass.
    void Settle(long long maxMs = 600000) {
        const long long until = clock.NowMs() + maxMs;
        while (m.RenderOn != 0 && clock.NowMs() < until) {
            bool other = false;
            for (TimerId t :
                 {TimerId::Run, TimerId::Pause, TimerId::Gor, TimerId::Cam, TimerId::Exit})
                other = other || clock.Enabled(t);
            if (!other) break;
            clock.FireNext();
        }
    }
};

} // namespace kv::test
