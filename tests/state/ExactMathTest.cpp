// Every result against MPFR's correctly rounded one, bit for bit: over the
// angles the game meets, wide ranges, special values, and arguments whose exact
// result lies within 2^-22 ulp of a rounding midpoint.
#include "state/ExactMath.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <vector>

namespace {

namespace ex = kv::exact;
using Fn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

#ifndef KV_EXACT_TEST_ARGS
#define KV_EXACT_TEST_ARGS 700000
#endif
constexpr int kArgs = KV_EXACT_TEST_ARGS;
constexpr double kInf = std::numeric_limits<double>::infinity();

// MPFR at double precision in double's exponent range, subnormals included.
class Reference {
public:
    Reference() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
        mpfr_set_emin(-1073);
        mpfr_set_emax(1024);
        mpfr_inits2(53, r_, a_, b_, static_cast<mpfr_ptr>(nullptr));
    }
    ~Reference() {
        mpfr_clears(r_, a_, b_, static_cast<mpfr_ptr>(nullptr));
        mpfr_set_emin(emin_);
        mpfr_set_emax(emax_);
    }
    double operator()(Fn f, double x) {
        mpfr_set_d(a_, x, MPFR_RNDN);
        return Round(f(r_, a_, MPFR_RNDN));
    }
    double Atan2(double y, double x) {
        mpfr_set_d(a_, y, MPFR_RNDN);
        mpfr_set_d(b_, x, MPFR_RNDN);
        return Round(mpfr_atan2(r_, a_, b_, MPFR_RNDN));
    }

private:
    double Round(int inex) {
        mpfr_subnormalize(r_, inex, MPFR_RNDN);
        return mpfr_get_d(r_, MPFR_RNDN);
    }
    mpfr_exp_t emin_, emax_;
    mpfr_t r_, a_, b_;
};

bool Same(double a, double b) {
    return (a != a && b != b) || std::memcmp(&a, &b, sizeof a) == 0;
}

#define EXPECT_BITS(got, want)                                                                     \
    if (!Same(got, want)) ADD_FAILURE() << #got << std::hexfloat << " " << got << " want " << want

// A random double of either sign with its exponent in [lo, hi].
double Spread(std::mt19937_64& g, int lo, int hi) {
    const double m = std::uniform_real_distribution<double>(0.5, 1)(g);
    const double x = std::ldexp(m, std::uniform_int_distribution<int>(lo, hi)(g));
    return g() & 1 ? -x : x;
}

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
// clang-format off
const std::vector<double> kSpecial = {0.0, 0x1p-1074, 0x1p-1022, 1e-300, 0x1p-27,
    0x1.fffffffffffffp-28, 0.5, 1, 0x1.921fb54442d18p0, 0x1.921fb54442d18p1, 3, 1e4, 0x1p20,
    0x1.fffffffffffffp19, 1e22, 0x1p53, 1e300, kMax, kInf, kNan};
// clang-format on

TEST(ExactMath, SineAndCosineAreCorrectlyRounded) {
    Reference ref;
    std::mt19937_64 g(1);
    std::vector<double> xs = {0x1.97d06a6eeda3ap+12,  -0x1.9dae61bace9a2p+12, -0x1.bfe1999cc2deap-1,
                              -0x1.b8e8c9a75eda6p+12, 0x1.82b827996a46p+12,   0x1.175e12c08a7bfp+1};
    for (double s : kSpecial)
        xs.insert(xs.end(), {s, -s});
    std::uniform_real_distribution<double> table(-1e4, 1e4);
    for (int i = 0; i < kArgs; ++i)
        xs.push_back(i % 4 ? table(g) : Spread(g, -30, 24));
    // Near multiples of pi/2 the reduced argument is all cancellation.
    mpfr_t m;
    mpfr_init2(m, 128);
    for (int k = 1; k < kArgs / 20; k += 1 + k / 64) {
        mpfr_const_pi(m, MPFR_RNDN);
        mpfr_mul_si(m, m, k, MPFR_RNDN);
        const double x = mpfr_get_d(m, MPFR_RNDN) / 2;
        xs.insert(xs.end(), {x, std::nextafter(x, 0), std::nextafter(x, kInf), -x});
    }
    mpfr_clear(m);
    const std::uint64_t slowBefore = ex::SlowPathCalls();
    for (double x : xs) {
        const double s = ref(mpfr_sin, x), c = ref(mpfr_cos, x);
        const ex::SinCosPair sc = ex::SinCos(x);
        EXPECT_BITS(ex::Sin(x), s) << " x " << x;
        EXPECT_BITS(ex::Cos(x), c) << " x " << x;
        EXPECT_BITS(sc.sin, s) << " x " << x;
        EXPECT_BITS(sc.cos, c) << " x " << x;
    }
    EXPECT_GT(ex::SlowPathCalls(), slowBefore); // both paths were taken
}

TEST(ExactMath, ArcTangentIsCorrectlyRounded) {
    Reference ref;
    std::mt19937_64 g(2);
    std::vector<double> xs = {0x1.2c0adc2c7f85p-14, 0x1.8bae38a81cc66p+20, 0x1.207d8e4f4323ap+1,
                              0x1.f690ec19ef6dep+38};
    for (double s : kSpecial)
        xs.insert(xs.end(), {s, -s});
    for (int i = 0; i < kArgs; ++i)
        xs.push_back(Spread(g, -35, 60));
    for (double x : xs)
        EXPECT_BITS(ex::Atan(x), ref(mpfr_atan, x)) << " x " << x;
}

TEST(ExactMath, TwoArgumentArcTangentIsCorrectlyRounded) {
    Reference ref;
    std::mt19937_64 g(3);
    std::vector<std::pair<double, double>> ps = {{0x1.dd7cf1a815edcp+4, 0x1.65cd622faa05cp-4},
                                                 {0x1.6eb6f442328ddp-9, 0x1.382168c35d573p+1},
                                                 {0x1.5a1cbceab960fp-4, -0x1.add32a653edddp-11},
                                                 {0x1.07724e0dbe552p-7, -0x1.89a598df533fdp+0}};
    for (double y : kSpecial)
        for (double x : kSpecial)
            ps.insert(ps.end(), {{y, x}, {-y, x}, {y, -x}, {-y, -x}});
    for (int i = 0; i < kArgs; ++i)
        ps.push_back(i % 8 ? std::pair(Spread(g, -20, 20), Spread(g, -20, 20))
                           : std::pair(Spread(g, -1074, 1023), Spread(g, -1074, 1023)));
    for (auto [y, x] : ps)
        EXPECT_BITS(ex::Atan2(y, x), ref.Atan2(y, x)) << " y " << y << " x " << x;
}

// Worker threads, as a searching computer player would use, each with MPFR's
// caches of its own for the hard cases.
TEST(ExactMath, WorkerThreadsGetTheSameBits) {
    const double xs[] = {0x1.97d06a6eeda3ap+12, -0x1.b8e8c9a75eda6p+12, 1e22, 0.5, -3};
    double want[std::size(xs)];
    for (std::size_t i = 0; i < std::size(xs); ++i)
        want[i] = ex::Sin(xs[i]) + ex::Cos(xs[i]) + ex::Atan2(xs[i], 1);
    std::atomic<int> wrong{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int round = 0; round < 20; ++round)
                for (std::size_t i = 0; i < std::size(xs); ++i)
                    if (!Same(ex::Sin(xs[i]) + ex::Cos(xs[i]) + ex::Atan2(xs[i], 1), want[i]))
                        ++wrong;
        });
    for (std::thread& w : workers)
        w.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
