// Whole scenarios pinned bit for bit: replays depend on the physics giving
// exactly the same numbers after every change to its code. Random set-ups are
// checked through whole matches in tests/sim/MatchPropertyTest.cpp.
#include "physics/Table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace kv {
namespace {

struct Outcome {
    std::uint64_t digest;
    long ticks;
};

// FNV-1a over the bytes of every piece's state and the finishing lists.
Outcome Summarise(const Module1& m, long ticks) {
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&](std::uint64_t v) {
        for (int i = 0; i < 8; ++i)
            h = (h ^ ((v >> (8 * i)) & 0xff)) * 1099511628211ull;
    };
    auto addShort = [&](i16 v) { add(static_cast<std::uint16_t>(v)); };
    for (int k = 1; k <= kPieceSlots; ++k) {
        const GoblaRec& g = m.Gobla(k);
        for (double d : {g.Xpos, g.Ypos, g.Xvec, g.Yvec, g.U, g.Phi}) {
            std::uint64_t v;
            std::memcpy(&v, &d, sizeof v);
            add(v);
        }
        addShort(g.Life);
        addShort(g.Sginul);
    }
    for (int k = 1; k <= 8; ++k)
        addShort(m.WS(k));
    addShort(m.CurSgin);
    addShort(m.NewSgin);
    return Outcome{h, ticks};
}

// Each living player in turn strikes towards the table centre, off-centre by
// `offset` so that spins and turning shapes take part; every strike runs to rest.
long PlayRound(Module1& m, double force, double offset, int rounds) {
    long ticks = 0;
    for (int r = 0; r < rounds; ++r) {
        for (int k = 1; k <= m.MaxGamers; ++k) {
            GoblaRec& g = m.Gobla(k);
            if (g.Life == 0) continue;
            m.CurG = static_cast<i16>(k);
            m.NewSgin = 0;
            double dx = m.MaxX / 2.0 - g.Xpos, dy = m.MaxY / 2.0 - g.Ypos;
            const double L = Hypot(dx, dy);
            if (L == 0) continue;
            dx /= L;
            dy /= L;
            const double px = g.Xpos - 20 * dx - offset * dy;
            const double py = g.Ypos - 20 * dy + offset * dx;
            Segment s{px, py, px + force * dx, py + force * dy};
            StrikePush(g, s);
            for (int t = 0; t < 100000 && !AllStopped(m); ++t, ++ticks)
                PhysicsStep(m, 1.0, nullptr);
        }
    }
    return ticks;
}

Outcome MixedTable() {
    Module1 m = test::Bare(8, 0);
    m.LoadedGame = kTrue;
    PlacePieces(m);
    const i16 masses[8] = {1, 3, 1, 10, 1, 1, 100, 2};
    for (int k = 1; k <= 8; ++k) {
        m.Gobla(k).Model = static_cast<i16>((k - 1) % 4);
        m.Gobla(k).M = masses[k - 1];
    }
    test::AddObstacle(m, 200, 130);
    test::AddObstacle(m, 400, 270);
    test::AddWalls(m, 1, true);
    const long ticks = PlayRound(m, 70, 6, 3);
    return Summarise(m, ticks);
}

Outcome HeadOn() {
    Module1 m = test::Bare(2, 3);
    test::Put(m, 1, 200, 200, 1, 0);
    test::Put(m, 2, 250.3, 200.1, -1, 0);
    long ticks = 0;
    for (; ticks < 1000 && !AllStopped(m); ++ticks)
        PhysicsStep(m, 1.0, nullptr);
    return Summarise(m, ticks);
}

Outcome CrowdedSmallTable() {
    Module1 m = test::Bare(8, 1, 200, 200);
    m.LoadedGame = kTrue;
    PlacePieces(m);
    test::AddWalls(m, 0, true);
    const long ticks = PlayRound(m, 40, 3, 1);
    return Summarise(m, ticks);
}

TEST(Pinned, ScenariosGiveTheSameBits) {
    const std::pair<Outcome, Outcome> cases[] = {
        {MixedTable(), {0xf68f0895e4a5068bull, 699}},
        {HeadOn(), {0x1691fe1437a1ec9full, 17}},
        {CrowdedSmallTable(), {0x089813f01525948full, 456}}};
    for (const auto& [got, want] : cases) {
        EXPECT_EQ(got.digest, want.digest) << std::hex << "0x" << got.digest;
        EXPECT_EQ(got.ticks, want.ticks);
    }
}

} // namespace
} // namespace kv
