// Not a timing benchmark: how often each strength beats a weaker one in
// two-player matches, seats swapped every other match, as scripts/strengths.sh
// plays them with the runner; here in one process, so that a grid takes minutes.
// Usage: strength_survey [matches per pair and cell (200)] [pairs (3:2,2:1,1:0)]
//        strength_survey table [matches (200)] [pairs (every pair)]
// The first form plays a grid of tables (200 to 1000 a side) and spreads (0 to
// 0.1); "table" plays 200x200, 600x400 and 1000x1000 with spread 0 and 0.05
// and prints the draws and how often the stronger one's own piece was lost.
#include "physics/Physics.h"
#include "sim/SimRun.h"
#include "state/NullPorts.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace kv;

struct Tally {
    int wins = 0, losses = 0, draws = 0, ownLost = 0;
    int Share() const { return wins + losses > 0 ? 100 * wins / (wins + losses) : 0; }
};

struct Pair {
    int strong, weak;
};

const char* const kNames[] = {"Новичок", "Любитель", "Мастер", "Чемпион"};

// The runner's match on an x by y table with seed i, played to its end or to
// p.maxStrikes; false when it could not be set up.
bool PlayOne(Module1& m, int x, int y, double spread, int i, const std::vector<int>& levels,
             long maxStrikes = sim::PlayOptions{}.maxStrikes) {
    sim::PlayOptions p;
    p.tableX = x;
    p.tableY = y;
    p.spread = spread;
    p.seed = static_cast<std::uint64_t>(i);
    p.levels = levels;
    p.maxStrikes = maxStrikes;
    BuildShapes(m);
    NullDialogs dialogs;
    if (!sim::SetupPlay(m, p, dialogs)) return false;
    NullReplay replay;
    sim::RunMatch(m, replay, false, p.seed, p.maxStrikes);
    return true;
}

Tally Play(int strong, int weak, int x, int y, double spread, int n) {
    Tally t;
    for (int i = 1; i <= n; ++i) {
        const int seat = i % 2 ? 1 : 2;
        Module1 m;
        if (!PlayOne(m, x, y, spread, i,
                     seat == 1 ? std::vector<int>{strong, weak} : std::vector<int>{weak, strong}))
            continue;
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

// The largest share of decided matches the master can win in a cell against
// any weaker player: in the matches where it strikes first (every other one,
// as Play seats it), its opening strike may throw its own piece off, alone (a
// loss) or with the other's (a draw), before the other has played at all.
double MasterReach(int x, int y, double spread, int n) {
    int lost = 0, drawn = 0;
    for (int i = 1; i <= n; i += 2) {
        Module1 m;
        if (!PlayOne(m, x, y, spread, i, {kLevelMaster, kLevelNovice}, 1) || m.Gobla(1).Life != 0)
            continue;
        ++(m.Gobla(2).Life != 0 ? lost : drawn);
    }
    return n > drawn ? static_cast<double>(n - lost - drawn) / (n - drawn) : 0;
}

// "3:2,2:1": strong and weak by number; nothing on a malformed list.
std::vector<Pair> ParsePairs(const char* s) {
    std::vector<Pair> out;
    const std::string text = s;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        if (item.size() != 3 || item[1] != ':' || item[0] < '0' || item[0] > '3' || item[2] < '0' ||
            item[2] > '3')
            return {};
        out.push_back({item[0] - '0', item[2] - '0'});
        at = end + 1;
    }
    return out;
}

int Grid(int n, const std::vector<Pair>& pairs) {
    const int tables[][2] = {{200, 200}, {300, 200},  {200, 600},   {400, 400},  {600, 400},
                             {800, 600}, {1000, 600}, {1000, 1000}, {200, 1000}, {1000, 200}};
    const double spreads[] = {0, 0.05, 0.1};
    std::printf("Доля решённых матчей, выигранных сильнейшим (%d матчей на пару и клетку)\n", n);
    std::printf("стол       откл.");
    for (const Pair& p : pairs)
        std::printf("  %8s-%-8s", kNames[p.strong], kNames[p.weak]);
    std::printf("\n");
    std::vector<int> below(pairs.size());
    int beyondMaster = 0;
    for (const auto& tb : tables)
        for (double s : spreads) {
            std::printf("%4dx%-4d  %.2f ", tb[0], tb[1], s);
            for (std::size_t k = 0; k < pairs.size(); ++k) {
                const Tally t = Play(pairs[k].strong, pairs[k].weak, tb[0], tb[1], s, n);
                if (t.Share() < 70) ++below[k];
                std::printf("  %3d%% (ничьи %3d)", t.Share(), t.draws);
            }
            const double reach = MasterReach(tb[0], tb[1], s, n);
            const bool reachable = reach >= 0.7;
            if (!reachable) ++beyondMaster;
            std::printf("  мастеру доступно не больше %3.0f%%%s\n", 100 * reach,
                        reachable ? "" : " (70% недостижимы)");
            std::fflush(stdout);
        }
    std::printf("клеток ниже 70%%:");
    for (int b : below)
        std::printf(" %d", b);
    std::printf(" из %zu; клеток, где мастеру 70%% недостижимы: %d\n",
                std::size(tables) * std::size(spreads), beyondMaster);
    return 0;
}

// printf pads by bytes; the names are Cyrillic, so pad by letters.
std::string Padded(std::string s, int width) {
    int letters = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++letters;
    if (letters < width) s.append(width - letters, ' ');
    return s;
}

int Table(int n, const std::vector<Pair>& pairs) {
    const int tables[][2] = {{200, 200}, {600, 400}, {1000, 1000}};
    const double spreads[] = {0, 0.05};
    std::printf("%d матчей на пару и стол; доля - от решённых; своя - матчи, где сильнейший "
                "потерял свою фишку\n",
                n);
    std::printf("%s%s%s%s%s%s%s%s\n", Padded("пара", 19).c_str(), Padded("стол", 10).c_str(),
                Padded("откл.", 6).c_str(), Padded("победы", 7).c_str(),
                Padded("пораж.", 7).c_str(), Padded("ничьи", 7).c_str(), Padded("доля", 6).c_str(),
                "своя");
    for (const Pair& p : pairs)
        for (const auto& tb : tables)
            for (double s : spreads) {
                const Tally t = Play(p.strong, p.weak, tb[0], tb[1], s, n);
                const std::string name = std::string(kNames[p.strong]) + "-" + kNames[p.weak];
                std::printf("%s %4dx%-4d %5.2f %6d %6d %6d %4d%% %5d\n", Padded(name, 18).c_str(),
                            tb[0], tb[1], s, t.wins, t.losses, t.draws, t.Share(), t.ownLost);
                std::fflush(stdout);
            }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool table = argc > 1 && std::strcmp(argv[1], "table") == 0;
    const int first = table ? 2 : 1;
    const int n = argc > first ? std::atoi(argv[first]) : 200;
    const char* pairsArg = argc > first + 1 ? argv[first + 1]
                           : table          ? "3:2,3:1,3:0,2:1,2:0,1:0"
                                            : "3:2,2:1,1:0";
    const std::vector<Pair> pairs = ParsePairs(pairsArg);
    if (n <= 0 || pairs.empty()) {
        std::fprintf(stderr, "strength_survey [table] [матчей] [пары, например 3:2,2:1]\n");
        return 2;
    }
    return table ? Table(n, pairs) : Grid(n, pairs);
}
