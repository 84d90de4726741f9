#include "ai/Champion.h"

#include "ai/CompBrain.h"
#include "physics/Physics.h"
#include "physics/Strike.h"
#include "state/ExactMath.h"
#include "state/Rng.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kv {

namespace {

// A strike still moving after this many steps is judged as it stands.
constexpr int kMaxTicks = 3000;
// A step of a tried strike that needs more than this is given up on: such a
// table is far outside play (the match's own guards lie far higher).
constexpr long long kTryGuard = 20000;

// Work of the physics in units of one contact search of one object; the
// weights follow the time each part takes (bench/ai/ChampionBench.cpp).
constexpr long long kCheckWork = 12;      // a separation test
constexpr long long kCirclesPerWork = 16; // circles placed and compared
constexpr long long kStrikeWork = 64;     // copying the table, the strike, the judging
// Below this much left the next step might not fit: the search ends.
constexpr long long kLastStep = 10000;

// What outcomes are worth, in points.
constexpr double kOwnLost = 2000;      // its own piece off the table
constexpr double kFriendLost = 400;    // a team-mate's
constexpr double kTaken = 500;         // each opponent off the table
constexpr double kWon = 1000;          // no opponent left and its side still on
constexpr double kSafe = 40;           // standing well away from the open edges
constexpr double kSafeRoom = 80;       // ... this far counts as fully safe
constexpr double kRisk = 0.3;          // weight of the worst draw beside the mean
constexpr double kGivenUp = -kOwnLost; // a strike whose table would not settle

// Rounds of the search: every candidate is tried under a few spreads, the
// best of them under more, and the best few of those under more again; a
// candidate's value is over all the draws it has had.
struct Round {
    int keep;  // candidates that go on (0: all)
    int draws; // draws each has had by the end of the round
};
constexpr Round kRounds[] = {{0, 2}, {24, 8}, {8, 24}, {3, 48}};

// Candidates: at each opponent, straight and cut, with several forces; a fan
// of directions and forces for a move of its own; the pot.
constexpr double kTargetForces[] = {12, 20, 30, 42, 56, 72, 88, 100};
constexpr double kCutShares[] = {0, -0.4, 0.4, -0.8, 0.8};
constexpr int kGridDirections = 16;
constexpr double kGridForces[] = {6, 12, 20, 32, 48, 70};
constexpr i16 kPotForces[] = {35, 70, 100};

std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
    Rng r(a ^ (b * 0x9E3779B97F4A7C15ull));
    return r.NextU64();
}

std::uint64_t Bits(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

int Players(const Module1& m) {
    return std::clamp<int>(m.MaxGamers, 0, kMaxPlayers);
}

// Who stands with the champion and who against it, at the start of its turn.
struct Sides {
    i16 me = 0;
    std::vector<int> opponents; // alive at the start
    std::vector<int> friends;   // alive team-mates, the champion itself left out
};

Sides SidesOf(const Module1& m, i16 p) {
    Sides s;
    s.me = p;
    // A damaged team flag: nobody to aim at, as the master sees it.
    if (m.ZI != kTrue && m.ZI != kFalse) return s;
    for (int k = 1; k <= Players(m); ++k) {
        if (k == p || m.Gobla(k).Life == 0) continue;
        if (m.ZI == kTrue && m.Gobla(k).Com == m.Gobla(p).Com)
            s.friends.push_back(k);
        else
            s.opponents.push_back(k);
    }
    return s;
}

bool Alive(const Module1& m, int k) {
    return m.Gobla(k).Life != 0;
}

// Distance from the centre of g to the nearest edge without a wall.
double OpenRoom(const Module1& m, const GoblaRec& g) {
    const bool walls = m.Border != 0;
    const bool alongY = walls && m.BordMode == 1; // walls at y = 0 and, mirrored, y = MaxY
    const bool alongX = walls && m.BordMode != 1;
    const bool mirror = m.BordSimm != 0;
    double d = 1e9;
    if (!alongX) d = std::min(d, g.Xpos);
    if (!(alongX && mirror)) d = std::min(d, m.MaxX - g.Xpos);
    if (!alongY) d = std::min(d, g.Ypos);
    if (!(alongY && mirror)) d = std::min(d, m.MaxY - g.Ypos);
    return d;
}

double Judge(const Module1& t, const Sides& s) {
    int taken = 0;
    for (int k : s.opponents)
        if (!Alive(t, k)) ++taken;
    int friendsLost = 0;
    for (int k : s.friends)
        if (!Alive(t, k)) ++friendsLost;
    const bool own = Alive(t, s.me);
    double v = kTaken * taken - kFriendLost * friendsLost;
    if (!own) v -= kOwnLost;
    const bool sideOn = own || friendsLost < static_cast<int>(s.friends.size());
    if (taken == static_cast<int>(s.opponents.size()) && sideOn) v += kWon;
    if (own) v += kSafe * std::min(OpenRoom(t, t.Gobla(s.me)), kSafeRoom) / kSafeRoom;
    return v;
}

// The match is over once one side has nobody left.
bool Over(const Module1& t, const Sides& s) {
    const bool anyOpponent =
        std::any_of(s.opponents.begin(), s.opponents.end(), [&](int k) { return Alive(t, k); });
    const bool anyFriend = Alive(t, s.me) || std::any_of(s.friends.begin(), s.friends.end(),
                                                         [&](int k) { return Alive(t, k); });
    return !anyOpponent || !anyFriend;
}

// The next player to strike after the turn of CurNG, as the match passes it.
int NextToStrike(const Module1& t) {
    const int n = std::clamp<int>(t.MaxGamers, 1, kMaxPlayers);
    int ng = t.CurNG;
    for (int tries = 0; tries < n; ++tries) {
        ng = ng + 1 > n || ng < 1 ? 1 : ng + 1;
        const int g = t.KH(ng);
        if (g >= 1 && g <= kPieceSlots && Alive(t, g)) return g;
    }
    return 0;
}

// A computer that plays as the master or below: its choice is known, up to
// what it draws.
bool PlaysByRule(const Module1& t, int k) {
    const i16 level = t.CompLevel(k);
    return t.Gobla(k).CompControl != 0 && IsLevel(level) && level != kLevelChampion;
}

bool DrawsItsChoice(const Module1& t, int k) {
    return PlaysByRule(t, k) && t.CompLevel(k) < kLevelMaster;
}

// The search's own accounting; every strike tried goes through here.
class Trial {
public:
    Trial(long long budget, const std::atomic<bool>* stop, ChampionStats& stats)
        : budget_(budget), stop_(stop), stats_(stats) {}

    bool Out() const { return out_; }

    // Plays the plan of piece striker out on t until the table rests. False
    // when the search must end (budget or stop): t is then of no use. givenUp
    // says whether a step was given up on.
    bool Play(Module1& t, i16 striker, const PlannedStrike& plan, bool& givenUp) {
        givenUp = false;
        if (out_ || (stop_ && stop_->load(std::memory_order_relaxed))) {
            if (stop_ && stop_->load(std::memory_order_relaxed)) stats_.stopped = true;
            out_ = true;
            return false;
        }
        ++stats_.strikes;
        stats_.work += kStrikeWork;
        t.CurG = striker;
        t.NewSgin = 0;
        const long long n = std::max(1, ObjectCount(t));
        StepGuards guards{};
        if (plan.pot != 0) {
            if (!Guards(n, guards) || !Spend(PotThrow(t, plan.pot, nullptr, &guards), n, givenUp))
                return false;
        } else {
            PushStrike(t, plan.strike);
        }
        for (int tick = 0; tick < kMaxTicks && !givenUp && !AllStopped(t); ++tick)
            if (!Guards(n, guards) || !Spend(PhysicsStep(t, 1.0, nullptr, guards), n, givenUp))
                return false;
        return true;
    }

private:
    // Guards that keep the next step within what is left of the budget: each
    // kind of work may take a quarter of it, and the last search may run over
    // a little.
    bool Guards(long long n, StepGuards& g) {
        const long long left = budget_ - stats_.work;
        if (left < kLastStep) {
            stats_.spent = true;
            out_ = true;
            return false;
        }
        g = StepGuards{std::min(kTryGuard, left / (4 * n)), kTryGuard,
                       std::min(kTryGuard, left / (4 * kCheckWork)), 2000000000,
                       left / 4 * kCirclesPerWork};
        return true;
    }

    bool Spend(const StepLoad& l, long long n, bool& givenUp) {
        stats_.work += 1 + l.searches * n + l.checks * kCheckWork + l.circles / kCirclesPerWork;
        if (!l.guarded) return true;
        // Stopped by our own guard, the table would not settle: the strike
        // counts as a bad one. Stopped by the budget: the search ends.
        if (l.searches >= kTryGuard || l.resolutions >= kTryGuard || l.checks >= kTryGuard) {
            givenUp = true;
            return true;
        }
        stats_.spent = true;
        out_ = true;
        return false;
    }

    long long budget_;
    const std::atomic<bool>* stop_;
    ChampionStats& stats_;
    bool out_ = false;
};

struct Candidate {
    PlannedStrike plan;
    int draws = 0;
    double sum = 0;
    double worst = 0;
    // The mean, and the worst draw beside it: a strike that works under every
    // spread beats one that works on average.
    double Value() const { return draws == 0 ? -1e18 : (1 - kRisk) * sum / draws + kRisk * worst; }
};

class Search {
public:
    Search(const Module1& m, i16 p, std::uint64_t seed, Trial& trial)
        : base_(m), sides_(SidesOf(m, p)), seed_(seed), trial_(trial) {
        // Names and texts are of no use on the copies, and cost to copy.
        for (GoblaRec& g : base_.Gobla.a)
            g.RName.clear();
        for (TeamRec& r : base_.rc.a)
            r.ComName.clear(), r.R1.clear(), r.R2.clear(), r.R3.clear(), r.R4.clear();
        base_.StatusText.clear();
        base_.HintText.clear();
        base_.HelpText.clear();
        base_.CurG = p;
        base_.NewSgin = 0;
        const float spread = base_.VarK;
        spreads_ = spread > 0.0f && spread <= 0.1f;
        // Draws differ when strikes spread or an opponent's choice is drawn.
        random_ = spreads_;
        for (int k : sides_.opponents)
            if (DrawsItsChoice(base_, k)) random_ = true;
    }

    bool HasOpponents() const { return !sides_.opponents.empty(); }

    std::vector<Candidate> Candidates() {
        std::vector<Candidate> out;
        const i16 p = sides_.me;
        const double pi = base_.Pi;
        auto add = [&](double ba, double pa, double f) {
            Candidate c;
            c.plan.strike = StrikeRecord{WrapTurn(ba, pi), WrapTurn(pa, pi),
                                         RoundI16(std::clamp(f, 0.0, 100.0))};
            out.push_back(c);
        };
        const GoblaRec& me = base_.Gobla(p);
        for (int target : sides_.opponents) {
            Module1 scratch = base_;
            double dir = 0;
            const StrikeRecord aim = StrikeAt(scratch, p, target, dir);
            const GoblaRec& t = base_.Gobla(target);
            const double D = Hypot(t.Xpos - me.Xpos, t.Ypos - me.Ypos);
            // How wide the target looks from here: cuts off its centre line.
            const double width = exact::Atan2(2.0 * base_.PieceRadius, std::max(D, 1.0));
            for (double share : kCutShares) {
                const double turn = share * width;
                add(aim.ba + turn, aim.pa + turn, aim.si);
                for (double f : kTargetForces)
                    if (RoundI16(f) != aim.si) add(aim.ba + turn, aim.pa + turn, f);
            }
        }
        for (int k = 0; k < kGridDirections; ++k) {
            const double b = -pi + 2 * pi * k / kGridDirections;
            for (double f : kGridForces)
                add(b, b, f);
        }
        for (i16 f : kPotForces) {
            Candidate c;
            c.plan.pot = f;
            out.push_back(c);
        }
        return out;
    }

    // Tries c under more draws, up to `draws` in all; false when the search
    // must end.
    bool Extend(Candidate& c, int draws) {
        for (int k = c.draws; k < Draws(draws); ++k) {
            double v = 0;
            if (!Draw(c.plan, k, v)) return false;
            c.worst = c.draws == 0 ? v : std::min(c.worst, v);
            c.sum += v;
            ++c.draws;
        }
        return true;
    }

    // Without anything drawn every draw is the same one.
    int Draws(int wanted) const { return random_ ? wanted : 1; }

private:
    // The very draws the match makes for a computer strike, from our own generator.
    PlannedStrike Spread(const PlannedStrike& plan, Rng& r) const {
        if (plan.pot != 0 || !spreads_) return plan;
        PlannedStrike s = plan;
        s.strike.ba = SpreadAngle(base_, r, plan.strike.ba);
        s.strike.pa = SpreadAngle(base_, r, plan.strike.pa);
        s.strike.si = SpreadForce(base_, r, plan.strike.si);
        return s;
    }

    // The replies piece o may make to the table t under draw seed r. A
    // computer that plays as the master or below makes its own choice, drawn
    // as it would draw it, and its spread; a person or a champion may make the
    // master's strike, or strike the champion harder than that.
    std::vector<PlannedStrike> Replies(const Module1& t, i16 o, std::uint64_t r) const {
        std::vector<PlannedStrike> out;
        Module1 scratch = t;
        double dir = 0;
        if (PlaysByRule(t, o)) {
            const i16 level = t.CompLevel(o);
            Rng rng(r);
            PlannedStrike x;
            // Its look-ahead is work of ours.
            const PlayOut play = [this](Module1& u, i16 p, const StrikeRecord& s) {
                bool givenUp = false;
                return trial_.Play(u, p, PlannedStrike{s, 0}, givenUp);
            };
            x.strike = ChooseStrikeAs(scratch, o, level, rng, dir, play);
            out.push_back(Spread(x, rng));
            return out;
        }
        Rng rng(r);
        PlannedStrike x;
        x.strike = ChooseStrike(scratch, o, dir);
        out.push_back(Spread(x, rng));
        if (Alive(t, sides_.me)) {
            Rng again(r);
            PlannedStrike hard;
            hard.strike = StrikeAt(scratch, o, sides_.me, dir);
            hard.strike.si = RoundI16(std::min(100.0, hard.strike.si * 1.4));
            out.push_back(Spread(hard, again));
        }
        return out;
    }

    // The value of the plan under draw k: its outcome, or, when the next to
    // strike is an opponent, the outcome of that opponent's best reply.
    bool Draw(const PlannedStrike& plan, int k, double& v) {
        Module1 t = base_;
        bool givenUp = false;
        Rng r(Mix(seed_, 2 * k));
        if (!trial_.Play(t, sides_.me, Spread(plan, r), givenUp)) return false;
        if (givenUp) {
            v = kGivenUp;
            return true;
        }
        v = Judge(t, sides_);
        if (Over(t, sides_)) return true;
        const int o = NextToStrike(t);
        if (std::find(sides_.opponents.begin(), sides_.opponents.end(), o) ==
            sides_.opponents.end())
            return true;
        double best = 1e18;
        for (const PlannedStrike& r : Replies(t, static_cast<i16>(o), Mix(seed_, 2 * k + 1))) {
            Module1 u = t;
            bool gone = false;
            if (!trial_.Play(u, static_cast<i16>(o), r, gone)) return false;
            best = std::min(best, gone ? v : Judge(u, sides_));
        }
        v = best;
        return true;
    }

    Module1 base_;
    Sides sides_;
    std::uint64_t seed_;
    Trial& trial_;
    bool spreads_ = false;
    bool random_ = false;
};

} // namespace

std::uint64_t ChampionSeed(const Module1& m) {
    std::uint64_t h = Mix(0x43484d50ull, static_cast<std::uint64_t>(m.CurG));
    h = Mix(h, static_cast<std::uint64_t>(m.MaxX) << 16 ^ static_cast<std::uint64_t>(m.MaxY));
    for (int k = 1; k <= Players(m); ++k) {
        const GoblaRec& g = m.Gobla(k);
        h = Mix(h, static_cast<std::uint64_t>(g.Life != 0));
        h = Mix(h, Bits(g.Xpos));
        h = Mix(h, Bits(g.Ypos));
        h = Mix(h, Bits(g.Phi));
    }
    return h;
}

PlannedStrike ChooseChampion(const Module1& m, i16 p, std::uint64_t seed, long long budget,
                             const std::atomic<bool>* stop, ChampionStats* stats) {
    ChampionStats own;
    ChampionStats& st = stats ? *stats : own;
    st = ChampionStats{};
    if (p < 1 || p > Players(m) || m.Gobla(p).Life == 0) return {};
    Trial trial(budget, stop, st);
    Search search(m, p, seed, trial);
    if (!search.HasOpponents()) return {};
    std::vector<Candidate> cands = search.Candidates();
    st.candidates = static_cast<int>(cands.size());

    std::vector<std::size_t> order(cands.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    for (const Round& r : kRounds) {
        if (r.keep > 0 && order.size() > static_cast<std::size_t>(r.keep))
            order.resize(static_cast<std::size_t>(r.keep));
        std::size_t done = 0;
        while (done < order.size() && search.Extend(cands[order[done]], r.draws))
            ++done;
        if (st.stopped) return {};
        // Cut short by the budget: what has been tried whole goes on.
        if (done < order.size()) order.resize(std::max<std::size_t>(done, 1));
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return cands[a].Value() > cands[b].Value();
        });
        if (trial.Out()) break;
    }
    const std::size_t best = order.front();
    return cands[best].plan;
}

} // namespace kv
