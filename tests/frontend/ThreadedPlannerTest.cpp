// The champion's thinking off the window's thread: the plan comes back later,
// on the window's thread, the same as thought on the spot; a dropped or
// replaced plan never comes, and a planner that goes stops its search.
#include "frontend/ThreadedPlanner.h"

#include "ai/Champion.h"
#include "physics/Physics.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using namespace kv;

TEST(ThreadedPlanner, ThePlanComesLaterOnTheCallersThreadAndOnlyTheLastOne) {
    static int argc = 1;
    static char name[] = "kv-planner-test";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Module1 m;
    m.MaxGamers = 4;
    m.VarK = 0.05f;
    BuildShapes(m);
    PlacePieces(m);
    for (int k = 1; k <= 4; ++k)
        m.KH(k) = static_cast<i16>(k);
    int dropped = 0, last = 0;
    PlannedStrike got;
    QThread* on = nullptr;
    {
        ThreadedPlanner planner;
        planner.StartPlan(m, 1, [&](const PlannedStrike&) { ++dropped; });
        planner.DropPlan();
        planner.StartPlan(m, 2, [&](const PlannedStrike&) { ++dropped; });
        planner.StartPlan(m, 3, [&](const PlannedStrike& p) {
            ++last;
            got = p;
            on = QThread::currentThread();
        });
        EXPECT_EQ(last, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return last > 0; }, 30000));
        planner.StartPlan(m, 4, [&](const PlannedStrike&) { ++dropped; });
    } // gone while it thinks: the search is told to stop and waited for
    QTest::qWait(200);
    EXPECT_EQ(std::tuple(dropped, last, on), std::tuple(0, 1, QThread::currentThread()));
    const PlannedStrike now = ChooseChampion(m, 3, ChampionSeed(m));
    EXPECT_EQ(std::tuple(got.strike.ba, got.strike.pa, got.strike.si, got.pot),
              std::tuple(now.strike.ba, now.strike.pa, now.strike.si, now.pot));
}

} // namespace
