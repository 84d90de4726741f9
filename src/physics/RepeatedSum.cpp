#include "physics/RepeatedSum.h"

#include <cmath>

namespace kv {

// Inside one binade [lo, 2 lo) every double is a multiple of its ulp u, so
// fl(x + a) = x + (a rounded to a multiple of u) as long as x + a stays in the
// binade. A tie (a an odd multiple of u/2) rounds to an even significand, and
// from an even significand every later step is the same even multiple of u.
// Two real steps therefore settle the step s, and x + j s follows exactly
// until x + a comes near the binade's ends.
double AddRepeated(double x, double a, std::uint64_t n) {
    if (n == 0 || a == 0) return x;
    if (!std::isfinite(a)) {
        // inf or nan reach their fixed point within two steps.
        x += a;
        return n > 1 ? x + a : x;
    }
    const double absA = std::fabs(a);
    while (n > 0) {
        const double ax = std::fabs(x);
        if (!std::isfinite(x)) return x; // inf + finite stays inf, nan stays nan
        if (ax < 8 * absA || ax < 0x1p-1000 || n < 8) {
            x += a;
            --n;
            continue;
        }
        int e = 0;
        std::frexp(ax, &e); // ax in [2^(e-1), 2^e)
        const double lo = std::ldexp(1.0, e - 1);
        const double u = std::ldexp(1.0, e - 53);
        const double y1 = x + a;
        const double y2 = y1 + a;
        n -= 2;
        const bool sameBinade = std::fabs(y1) >= lo && std::fabs(y1) < 2 * lo &&
                                std::fabs(y2) >= lo && std::fabs(y2) < 2 * lo &&
                                (y1 > 0) == (x > 0) && (y2 > 0) == (x > 0);
        if (!sameBinade || n == 0) {
            x = y2;
            continue;
        }
        const double s = y2 - y1; // exact: both lie in one binade
        if (s == 0) return y2;    // a is below half an ulp: nothing changes any more
        const double ay2 = std::fabs(y2);
        const bool growing = (a > 0) == (x > 0);
        // Room before x + a could leave [lo + u, 2 lo - u]; both differences are exact.
        const double room = (growing ? 2 * lo - ay2 : ay2 - lo) - 2 * u - absA;
        double j = std::floor(room / std::fabs(s) * (1 - 0x1p-40));
        if (!(j >= 1)) {
            x = y2;
            continue;
        }
        if (j > static_cast<double>(n)) j = static_cast<double>(n);
        x = y2 + j * s; // j s is a multiple of u below the binade's width: exact
        n -= static_cast<std::uint64_t>(j);
    }
    return x;
}

} // namespace kv
