// A network table in one test: the host and the players on one MemoryNet, each
// machine with its own match state, screen, virtual clock and recording,
// stepped in turn; a fake wall clock that moves on while every machine waits.
#pragma once

#include "match/VirtualClock.h"
#include "net/Digest.h"
#include "net/MemoryLink.h"
#include "net/NetHeadless.h"
#include "net/NetHost.h"
#include "net/NetMember.h"
#include "persistence/Files.h"
#include "persistence/Replay.h"
#include "physics/Physics.h"
#include "sim/SimGame.h"
#include "state/NullPorts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv::test {

using namespace kv::net;

struct FakeTime {
    long long now = 1000;
    Clock clock() {
        return [this] { return now; };
    }
};

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        path = std::filesystem::temp_directory_path() /
               ("kvnet" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string FileText(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// The digest of the table as the match ends, before the results screen scores it.
class FinalDigest : public ScreensPort {
public:
    FinalDigest(const Module1& m, ScreensPort* next) : m_(m), next_(next) {}
    void ShowResults(bool over) override {
        digest = TableDigest(m_);
        if (next_) next_->ShowResults(over);
    }
    void ShowLoadBrowser() override {}
    std::uint64_t digest = 0;

private:
    const Module1& m_;
    ScreensPort* next_;
};

// How a match ended on one machine: its table and its counters.
inline std::uint64_t Outcome(std::uint64_t table, const HeadlessResult& h) {
    return table ^ (static_cast<std::uint64_t>(h.strikes) * 0x9E3779B97F4A7C15ull) ^
           (static_cast<std::uint64_t>(h.physicsTicks) << 20) ^
           (static_cast<std::uint64_t>(h.virtualMs) << 40);
}

// One machine's match, recorded into a file.
struct MatchRun {
    MatchRun(Module1& m, NetMatch& nm, const std::string& path, ScreensPort* after, bool instant)
        : m(m), final(m, after) {
        file.SetRecordPath(path);
        file.ShareHeader(nm.SharedHeader());
        ports = std::make_unique<MatchPorts>(MatchPorts{
            clock, kb, display, scene, sound, nm.RecordInto(file), saves, final, dialogs});
        screen = std::make_unique<MatchScreen>(m, *ports, rng);
        nm.Attach(*screen, m);
        nm.SetInstantCatchUp(instant);
        driver = std::make_unique<NetHeadless>(*screen, clock, m, nm,
                                               static_cast<long>(nm.Start().maxStrikes));
    }
    // Up to `ticks` timer ticks; true when anything happened.
    bool Step(int ticks = 200) {
        bool moved = false;
        for (int k = 0; k < ticks && !done; ++k) {
            // A player at this machine's keyboard who never strikes waits as
            // the network does: only the wall clock moves him on.
            if (screen->Phase() == TurnPhase::Aim && m.Gobla(m.CurG).CompControl == 0) break;
            const NetHeadless::Step s = driver->Next();
            if (s == NetHeadless::Step::Waiting) break;
            moved = true;
            if (s == NetHeadless::Step::Done) {
                stranded = driver->Stranded();
                result = driver->Finish();
                outcome = Outcome(final.digest, result);
                done = true;
            }
        }
        return moved;
    }

    Module1& m;
    VirtualScheduler clock;
    NullKeyboard kb;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullSaveGame saves;
    NullDialogs dialogs;
    FileReplay file{m, dialogs};
    FinalDigest final;
    Rng rng{7};
    std::unique_ptr<MatchPorts> ports;
    std::unique_ptr<MatchScreen> screen;
    std::unique_ptr<NetHeadless> driver;
    HeadlessResult result;
    std::uint64_t outcome = 0;
    bool done = false;
    bool stranded = false;
};

struct Machine {
    explicit Machine(MemoryNet& net) : link(net) { BuildShapes(m); }
    virtual ~Machine() = default;
    virtual void Poll() = 0;
    virtual bool Step() = 0; // true when anything happened
    MemoryLink link;
    Module1 m;
    std::unique_ptr<MatchRun> run;
    std::vector<std::uint64_t> outcomes; // the table and the counters, virtual time included
    std::vector<std::uint64_t> tables;   // the table alone
    std::vector<std::string> files;
    std::vector<std::vector<std::uint64_t>> digests; // after every turn, of each match
    const NetMatch* current = nullptr;               // the host keeps only its latest match
    void Done() {
        outcomes.push_back(run->outcome);
        tables.push_back(run->final.digest);
        digests.push_back(current->Digests());
    }
};

struct HostMachine : Machine {
    HostMachine(MemoryNet& net, FakeTime& t, const sim::PlayOptions& p, const std::string& dir)
        : Machine(net), game(m, dialogs, p.seed), host(link, t.clock(), tokens), dir(dir) {
        EXPECT_TRUE(sim::SetupGame(game.g, p));
        std::string why;
        EXPECT_TRUE(host.Open("127.0.0.1", kDefaultPort, &why)) << why;
    }
    void Poll() override { host.Poll(); }
    bool Start(const MatchPlan& plan) {
        if (plan.match > 1 && !sim::ContinueSeries(game)) return false;
        std::string why;
        HostMatch* hm = host.StartMatch(m, plan, &why);
        EXPECT_TRUE(hm) << why;
        if (!hm) return false;
        files.push_back(dir + "/host-" + std::to_string(plan.match) + ".sav");
        current = hm;
        last = plan.match == plan.matches || plan.matches == 0;
        run = std::make_unique<MatchRun>(m, *hm, files.back(), &game.g.flow, false);
        return true;
    }
    bool Step() override {
        if (!run || run->done) return false;
        const bool moved = run->Step();
        if (run->done) {
            Done();
            host.MatchOver(last);
        }
        return moved;
    }
    NullDialogs dialogs;
    sim::SimGame game;
    Rng tokens{99};
    NetHost host;
    std::string dir;
    bool last = false;
};

struct PlayerMachine : Machine {
    PlayerMachine(MemoryNet& net, FakeTime& t, const JoinOptions& o, const std::string& dir,
                  bool instant = false)
        : Machine(net), member(link, t.clock()), name(o.name), dir(dir), instant(instant) {
        member.Join("127.0.0.1", kDefaultPort, o);
    }
    void Poll() override { member.Poll(); }
    bool Step() override {
        if (member.GetState() == NetMember::State::AtTable && !ready && !member.Spectator()) {
            ready = true;
            member.SetReady(true);
        }
        if ((!run || run->done) && played < member.MatchCount()) {
            PlayerMatch& pm = *member.MatchAt(played++);
            std::string why;
            EXPECT_TRUE(pm.LoadStart(m, &why)) << why;
            files.push_back(dir + "/" + name + "-" + std::to_string(pm.Start().match) + ".sav");
            current = &pm;
            run = std::make_unique<MatchRun>(m, pm, files.back(), nullptr, instant);
        }
        if (!run || run->done) return false;
        const bool moved = run->Step();
        if (run->done) Done();
        return moved;
    }
    NetMember member;
    std::string name, dir;
    bool instant;
    bool ready = false;
    std::size_t played = 0;
};

struct Table {
    MemoryNet net;
    FakeTime time;
    TempDir dir;
    std::vector<std::unique_ptr<Machine>> machines; // the host first

    HostMachine& Host(const sim::PlayOptions& p) {
        machines.push_back(std::make_unique<HostMachine>(net, time, p, dir.path.string()));
        return static_cast<HostMachine&>(*machines.back());
    }
    PlayerMachine& Player(const std::string& name, bool spectator = false, std::uint64_t token = 0,
                          bool instant = false, i16 level = kLevelMaster) {
        JoinOptions o;
        o.name = name;
        o.spectator = spectator;
        o.comp = true;
        o.level = level;
        o.token = token;
        machines.push_back(
            std::make_unique<PlayerMachine>(net, time, o, dir.path.string(), instant));
        return static_cast<PlayerMachine&>(*machines.back());
    }
    HostMachine& TheHost() { return static_cast<HostMachine&>(*machines.front()); }

    // Runs every machine until done() or ms of the fake clock pass; the clock
    // moves on only while no machine has anything to do.
    bool RunUntil(const std::function<bool()>& done, long long ms = 600000) {
        const long long until = time.now + ms;
        while (!done()) {
            if (time.now > until) return false;
            bool moved = net.Deliver() > 0;
            for (auto& mc : machines) {
                mc->Poll();
                moved = mc->Step() || moved;
            }
            if (!moved) time.now += 50;
        }
        return true;
    }
    bool Settle() {
        return RunUntil([] { return false; }, 2000) || true;
    }
};

} // namespace kv::test
