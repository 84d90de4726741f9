// Not a timing benchmark: how often each strength beats the one below it in
// two-player matches on a grid of tables (200 to 1000 a side) and spreads (0
// to 0.1), seats swapped every other match, as scripts/strengths.sh plays them
// with the runner; here in one process, so that the whole grid takes minutes.
// Usage: strength_survey [matches per pair and cell (200)]
#include "physics/Physics.h"
#include "sim/SimRun.h"
#include "state/NullPorts.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace kv;

struct Tally {
    int wins = 0, losses = 0, draws = 0, ownLost = 0;
    int Share() const { return wins + losses > 0 ? 100 * wins / (wins + losses) : 0; }
};

Tally Play(int strong, int weak, int x, int y, double spread, int n) {
    Tally t;
    for (int i = 1; i <= n; ++i) {
        const int seat = i % 2 ? 1 : 2;
        sim::PlayOptions p;
        p.tableX = x;
        p.tableY = y;
        p.spread = spread;
        p.seed = static_cast<std::uint64_t>(i);
        p.levels = seat == 1 ? std::vector<int>{strong, weak} : std::vector<int>{weak, strong};
        Module1 m;
        BuildShapes(m);
        NullDialogs dialogs;
        if (!sim::SetupPlay(m, p, dialogs)) continue;
        NullReplay replay;
        sim::RunMatch(m, replay, false, p.seed, p.maxStrikes);
        if (m.Winner == seat)
            ++t.wins;
        else if (m.Winner > 0)
            ++t.losses;
        else
            ++t.draws;
        if (m.Gobla(seat).Life == 0) ++t.ownLost;
    }
    return t;
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 200;
    const int tables[][2] = {{200, 200}, {300, 200},  {200, 600},   {400, 400},  {600, 400},
                             {800, 600}, {1000, 600}, {1000, 1000}, {200, 1000}, {1000, 200}};
    const double spreads[] = {0, 0.05, 0.1};
    const int pairs[][2] = {{3, 2}, {2, 1}, {1, 0}};
    std::printf("Доля решённых матчей, выигранных сильнейшим (%d матчей на пару и клетку)\n", n);
    std::printf("стол       откл.  Чемпион-Мастер    Мастер-Любитель  Любитель-Новичок\n");
    int below[3] = {};
    for (const auto& tb : tables)
        for (double s : spreads) {
            std::printf("%4dx%-4d  %.2f ", tb[0], tb[1], s);
            for (int k = 0; k < 3; ++k) {
                const Tally t = Play(pairs[k][0], pairs[k][1], tb[0], tb[1], s, n);
                if (t.Share() < 70) ++below[k];
                std::printf("  %3d%% (ничьи %3d)", t.Share(), t.draws);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    std::printf("клеток ниже 70%%: %d, %d, %d из %zu\n", below[0], below[1], below[2],
                std::size(tables) * std::size(spreads));
}
