// The champion's thinking off the window's thread: the plan comes back later,
// on the window's thread, the same as thought on the spot; a dropped or
// replaced plan never comes.
#include "frontend/ThreadedPlanner.h"

#include "ai/Champion.h"
#include "physics/Physics.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using namespace kv;

Module1 Table() {
    Module1 m;
    m.MaxGamers = 4;
    m.VarK = 0.05f;
    BuildShapes(m);
    PlacePieces(m);
    for (int k = 1; k <= 4; ++k) {
        m.KH(k) = static_cast<i16>(k);
        m.Gobla(k).CompControl = 1;
        m.Gobla(k).Model = static_cast<i16>(k - 1);
    }
    return m;
}

auto Fields(const PlannedStrike& p) {
    return std::tuple(p.strike.ba, p.strike.pa, p.strike.si, p.pot);
}

struct App {
    App() {
        static int argc = 1;
        static char name[] = "kv-planner-test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
};

TEST(ThreadedPlanner, ThePlanComesLaterOnTheCallersThreadAsThoughtOnTheSpot) {
    App app;
    const Module1 m = Table();
    ThreadedPlanner planner;
    int calls = 0;
    PlannedStrike got;
    QThread* on = nullptr;
    planner.StartPlan(m, 1, [&](const PlannedStrike& p) {
        ++calls;
        got = p;
        on = QThread::currentThread();
    });
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 30000));
    QTest::qWait(20);
    EXPECT_EQ(std::tuple(calls, on), std::tuple(1, QThread::currentThread()));
    EXPECT_EQ(Fields(got), Fields(ChooseChampion(m, 1, ChampionSeed(m))));
}

TEST(ThreadedPlanner, ADroppedOrReplacedPlanNeverComes) {
    App app;
    const Module1 m = Table();
    int dropped = 0, replaced = 0, last = 0;
    {
        ThreadedPlanner planner;
        planner.StartPlan(m, 1, [&](const PlannedStrike&) { ++dropped; });
        planner.DropPlan();
        planner.StartPlan(m, 2, [&](const PlannedStrike&) { ++replaced; });
        planner.StartPlan(m, 3, [&](const PlannedStrike&) { ++last; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return last > 0; }, 30000));
        planner.StartPlan(m, 4, [&](const PlannedStrike&) { ++dropped; });
    } // gone while it thinks: the search is told to stop and waited for
    QTest::qWait(200);
    EXPECT_EQ(std::tuple(dropped, replaced, last), std::tuple(0, 0, 1));
}

} // namespace
