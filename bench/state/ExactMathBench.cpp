// Cost of one exactly rounded call, beside the C library's, and how often the
// multi-precision path is taken.
#include "state/ExactMath.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

namespace ex = kv::exact;

// Angles as the game meets them, and ratios over a wide range for the arc tangents.
const std::vector<double>& Args(bool wide) {
    static const auto make = [](bool w) {
        std::mt19937_64 g(5);
        std::uniform_real_distribution<double> angle(-7, 7), mant(0.5, 1);
        std::uniform_int_distribution<int> exp(-20, 20);
        std::vector<double> v(4096);
        for (double& x : v)
            x = w ? std::ldexp(mant(g), exp(g)) * (g() & 1 ? 1 : -1) : angle(g);
        return v;
    };
    static const std::vector<double> angles = make(false), ratios = make(true);
    return wide ? ratios : angles;
}

template <typename F> void Run(benchmark::State& state, bool wide, F f) {
    const std::vector<double>& v = Args(wide);
    const std::uint64_t slow = ex::SlowPathCalls();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(v[i], v[(i + 1) & 4095]));
        i = (i + 1) & 4095;
    }
    state.counters["slow"] = benchmark::Counter(static_cast<double>(ex::SlowPathCalls() - slow),
                                                benchmark::Counter::kAvgIterations);
}

void BM_Sin(benchmark::State& s) {
    Run(s, false, [](double x, double) { return ex::Sin(x); });
}
void BM_Cos(benchmark::State& s) {
    Run(s, false, [](double x, double) { return ex::Cos(x); });
}
void BM_SinCos(benchmark::State& s) {
    Run(s, false, [](double x, double) {
        const ex::SinCosPair p = ex::SinCos(x);
        return p.sin + p.cos;
    });
}
void BM_Atan(benchmark::State& s) {
    Run(s, true, [](double x, double) { return ex::Atan(x); });
}
void BM_Atan2(benchmark::State& s) {
    Run(s, true, [](double y, double x) { return ex::Atan2(y, x); });
}
void BM_LibmSinCos(benchmark::State& s) {
    Run(s, false, [](double x, double) { return std::sin(x) + std::cos(x); });
}
void BM_LibmAtan2(benchmark::State& s) {
    Run(s, true, [](double y, double x) { return std::atan2(y, x); });
}
BENCHMARK(BM_Sin);
BENCHMARK(BM_Cos);
BENCHMARK(BM_SinCos);
BENCHMARK(BM_Atan);
BENCHMARK(BM_Atan2);
BENCHMARK(BM_LibmSinCos);
BENCHMARK(BM_LibmAtan2);

} // namespace
