// Many random tables and strikes: every strike's motion must end in bounded
// time and nothing in the piece table may stop being a finite number.
#include "physics/Table.h"

#include "match/Rng.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

constexpr int kTickLimit = 5000;

Module1 RandomTable(Rng& rng) {
    const int n = 2 + rng.NextInt(7);
    const i16 X = static_cast<i16>(200 + rng.NextInt(801));
    const i16 Y = static_cast<i16>(200 + rng.NextInt(801));
    Module1 m = test::Bare(n, 0, X, Y);
    m.Ftr = 0.01 * (1 + rng.NextInt(3));
    m.LoadedGame = kTrue;
    for (int k = 1; k <= n; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.Model = static_cast<i16>(rng.NextInt(4));
        g.M = static_cast<i16>(rng.NextInt(3) == 0 ? 1 + rng.NextInt(1000) : 1);
        g.Phi = (rng.Next01() - 0.5) * 4 * m.Pi;
    }
    if (rng.NextInt(2) == 0) {
        PlacePieces(m);
    } else {
        for (int k = 1; k <= n; ++k)
            test::Put(m, k, rng.Next01() * X, rng.Next01() * Y);
    }
    const int obstacles = rng.NextInt(3) * 2;
    for (int o = 0; o < obstacles; ++o)
        test::AddObstacle(m, rng.Next01() * X, rng.Next01() * Y);
    if (rng.NextInt(3) != 0)
        test::AddWalls(m, static_cast<i16>(rng.NextInt(2)), rng.NextInt(2) == 0);
    return m;
}

TEST(Property, RandomStrikesEndAndStayFinite) {
    Rng rng(20261206);
    long strikes = 0;
    int longest = 0;
    for (int table = 0; table < 120; ++table) {
        Module1 m = RandomTable(rng);
        test::Events ev;
        for (int s = 0; s < 8 && AliveCount(m) > 1; ++s) {
            int k = 1 + rng.NextInt(m.MaxGamers);
            while (m.Gobla(k).Life == 0)
                k = k % m.MaxGamers + 1;
            GoblaRec& g = m.Gobla(k);
            m.CurG = static_cast<i16>(k);
            m.NewSgin = 0;
            const double a = rng.Next01() * 2 * m.Pi;
            const double b = rng.Next01() * 2 * m.Pi;
            const double f = rng.NextInt(101);
            const double r = rng.NextInt(4) == 0 ? 0.0 : 20.0;
            const double px = g.Xpos + r * std::sin(a);
            const double py = g.Ypos - r * std::cos(a);
            Segment seg{px, py, px + f * std::sin(b), py - f * std::cos(b)};
            StrikePush(g, seg);
            int t = 0;
            for (; t < kTickLimit && !AllStopped(m); ++t) {
                PhysicsStep(m, 1.0, &ev);
                if (t % 64 == 0) {
                    ASSERT_TRUE(test::Finite(m)) << table << " " << s;
                }
            }
            ASSERT_LT(t, kTickLimit) << "table " << table << " strike " << s;
            if (t > longest) longest = t;
            ASSERT_TRUE(test::Finite(m)) << table << " " << s;
            ASSERT_LE(m.CurSgin, 8);
            ASSERT_LE(m.NewSgin, 7);
            ++strikes;
        }
    }
    EXPECT_GT(strikes, 300);
    // Friction ends an ordinary strike within a few hundred ticks.
    EXPECT_LT(longest, 2000);
}

} // namespace
} // namespace kv
