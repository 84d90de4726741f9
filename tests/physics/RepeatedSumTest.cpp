// Bulk pushes must land on the very bits that pushing one at a time gives.
#include "physics/RepeatedSum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace kv {
namespace {

double OneByOne(double x, double a, std::uint64_t n) {
    for (std::uint64_t i = 0; i < n; ++i)
        x += a;
    return x;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(AddRepeated, MatchesOneByOneAcrossBinadesZeroAndSigns) {
    std::mt19937_64 r(7);
    std::uniform_real_distribution<double> mant(-1, 1);
    std::uniform_int_distribution<int> ex(-30, 10), steps(0, 200000);
    for (int c = 0; c < 3000; ++c) {
        const double x = c % 7 == 0 ? 0.0 : std::ldexp(mant(r), ex(r));
        const double a = std::ldexp(mant(r), ex(r) - 8);
        const auto n = static_cast<std::uint64_t>(steps(r));
        ASSERT_TRUE(SameBits(AddRepeated(x, a, n), OneByOne(x, a, n)))
            << std::hexfloat << x << " " << a << " " << n;
    }
}

TEST(AddRepeated, TiesRoundToEvenAndTinyStepsAreLost) {
    // a = 1.5 ulp of x: each step is a tie, settled onto an even significand.
    for (double x : {1.0, 1.0 + 0x1p-52, -3.0 - 0x1p-51})
        for (double a : {0x1.8p-52, -0x1.8p-52, 0x1p-53, 0x1.4p-52}) {
            const std::uint64_t n = 100000;
            EXPECT_TRUE(SameBits(AddRepeated(x, a, n), OneByOne(x, a, n)))
                << std::hexfloat << x << " " << a;
        }
    EXPECT_EQ(AddRepeated(1e20, 1.0, 1000000000000ull), 1e20); // below half an ulp
    EXPECT_EQ(AddRepeated(5.0, 0.25, 0), 5.0);
    EXPECT_EQ(AddRepeated(0.0, 0.5, 1ull << 40), 0x1p39);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(AddRepeated(1.0, inf, 5), inf);
    EXPECT_TRUE(std::isnan(AddRepeated(-inf, inf, 5)));
}

} // namespace
} // namespace kv
