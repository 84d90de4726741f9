// Correct rounding in two steps. The fast path computes the value as an
// unevaluated sum hi + lo of doubles, about 67 bits good, together with a
// proven bound err on its error; when hi + (lo - err) and hi + (lo + err) round
// to the same double, that double is the correctly rounded result (rounding is
// monotone). Otherwise, about twice in ten thousand calls, or for arguments the
// fast path does not cover, MPFR gives the correctly rounded result.
//
// Only +, -, *, / of doubles are used, each rounded by IEEE 754 on every
// machine; products are made exact by Dekker's splitting, never by a fused
// multiply-add the compiler might or might not emit (-ffp-contract=off).
//
// Error bounds, relative to the result unless said otherwise:
//  - sin and cos: x - k pi/2 is reduced with pi/2 in four parts, the first three
//    of 33 bits so that k times each is exact for |k| < 2^20; the reduced r is
//    known to 2^-104 |r| + 2^-129 absolute (rounding of the last two parts and
//    of their sum, and pi/2 itself to 2^-152 times |k|). Then r = j/256 + t,
//    |t| <= 2^-9, sin and cos of j/256 from a table to 2^-106, and of t from
//    Taylor polynomials (truncation below 2^-85). The rounding of the
//    polynomials and of the products and sums that combine them stays below
//    2^-68.6 of the larger of |t| and the table value, which is at most 2.22
//    times the result: 2^-67.4 in all, bounded here by 2^-66 plus 2^-128.
//  - atan: atan(n/d) = atan(c) + atan(u), c = i/256 nearest to n/d, u = (n - c
//    d) / (d + c n), |u| <= 2^-9, numerator and denominator exact as pairs,
//    the quotient to 2^-100, atan(c) from a table; the polynomial to u^7
//    truncates below 2^-75 |u| and rounds below 2^-71 |u|, the sums below
//    2^-71.6; with the factor 2 between |u| or atan(c) and the result, under
//    2^-69 in all, bounded here by 2^-67. Quadrants add pi/2 or pi as pairs.
// Measured against MPFR over a million arguments, the error stays below an
// eighth of err.
#include "state/ExactMath.h"

#include <mpfr.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kv::exact {
namespace {

struct DD {
    double hi;
    double lo;
};

inline DD TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Splits a into two halves of 26 bits whose products are exact.
inline DD Split(double a) {
    const double c = 134217729.0 * a; // 2^27 + 1
    const double h = c - (c - a);
    return {h, a - h};
}

inline DD TwoProd(double a, double b) {
    const double p = a * b;
    const DD x = Split(a);
    const DD y = Split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

// Rounds to the nearest integer, for |v| < 2^51.
inline double Nearest(double v) {
    constexpr double kShifter = 0x1.8p52;
    return (v + kShifter) - kShifter;
}

constexpr int kSinCosSteps = 256;   // the table's step is 1/256
constexpr int kSinCosEntries = 204; // pi/4 * 256 = 201.06, with room
constexpr int kAtanEntries = 257;   // atan(i/256), i = 0..256

struct SinCosEntry {
    double sinHi, sinLo, cosHi, cosLo;
};

struct Tables {
    double halfPiParts[4];
    DD halfPi, pi;
    double quarterPi, threeQuarterPi; // rounded
    SinCosEntry sinCos[kSinCosEntries];
    DD atan[kAtanEntries];
};

Tables Build() {
    Tables t{};
    mpfr_t v, w, part;
    mpfr_inits2(256, v, w, static_cast<mpfr_ptr>(nullptr));
    mpfr_init2(part, 33);
    auto pair = [&](mpfr_t src) {
        const double hi = mpfr_get_d(src, MPFR_RNDN);
        mpfr_sub_d(w, src, hi, MPFR_RNDN);
        return DD{hi, mpfr_get_d(w, MPFR_RNDN)};
    };
    mpfr_const_pi(v, MPFR_RNDN);
    t.pi = pair(v);
    mpfr_mul_d(w, v, 0.75, MPFR_RNDN);
    t.threeQuarterPi = mpfr_get_d(w, MPFR_RNDN);
    mpfr_div_2ui(v, v, 1, MPFR_RNDN);
    t.halfPi = pair(v);
    for (int i = 0; i < 3; ++i) {
        mpfr_set(part, v, MPFR_RNDN);
        t.halfPiParts[i] = mpfr_get_d(part, MPFR_RNDN);
        mpfr_sub(v, v, part, MPFR_RNDN);
    }
    t.halfPiParts[3] = mpfr_get_d(v, MPFR_RNDN);
    mpfr_const_pi(v, MPFR_RNDN);
    mpfr_div_2ui(v, v, 2, MPFR_RNDN);
    t.quarterPi = mpfr_get_d(v, MPFR_RNDN);
    for (int j = 0; j < kSinCosEntries; ++j) {
        mpfr_set_si_2exp(v, j, -8, MPFR_RNDN);
        mpfr_sin(w, v, MPFR_RNDN);
        const DD s = pair(w);
        mpfr_cos(w, v, MPFR_RNDN);
        const DD c = pair(w);
        t.sinCos[j] = {s.hi, s.lo, c.hi, c.lo};
    }
    for (int i = 0; i < kAtanEntries; ++i) {
        mpfr_set_si_2exp(v, i, -8, MPFR_RNDN);
        mpfr_atan(w, v, MPFR_RNDN);
        t.atan[i] = pair(w);
    }
    mpfr_clears(v, w, part, static_cast<mpfr_ptr>(nullptr));
    return t;
}

const Tables& Tab() {
    static const Tables t = Build();
    return t;
}

std::atomic<std::uint64_t> slowCalls{0};

// A worker thread's MPFR constant caches go with the thread.
struct CacheRelease {
    ~CacheRelease() { mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE); }
};

// The exact value rounded to odd at 64 bits, then to nearest double: rounding
// to odd with two bits to spare makes the second rounding correct, subnormal
// results included.
template <typename F> double Slow(F f) {
    thread_local CacheRelease release;
    (void)release;
    slowCalls.fetch_add(1, std::memory_order_relaxed);
    // The widest exponent range, whatever other MPFR users in this thread set.
    const mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_t r;
    mpfr_init2(r, 64);
    if (f(r, MPFR_RNDZ) != 0 && mpfr_min_prec(r) < 64) {
        if (mpfr_sgn(r) > 0)
            mpfr_nextabove(r);
        else
            mpfr_nextbelow(r);
    }
    const double d = mpfr_get_d(r, MPFR_RNDN);
    mpfr_clear(r);
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
    return d;
}

double Slow1(int (*fn)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), double x) {
    return Slow([&](mpfr_ptr r, mpfr_rnd_t rnd) {
        mpfr_t a;
        mpfr_init2(a, 53);
        mpfr_set_d(a, x, MPFR_RNDN);
        const int inex = fn(r, a, rnd);
        mpfr_clear(a);
        return inex;
    });
}

double SlowAtan2(double y, double x) {
    return Slow([&](mpfr_ptr r, mpfr_rnd_t rnd) {
        mpfr_t a, b;
        mpfr_inits2(53, a, b, static_cast<mpfr_ptr>(nullptr));
        mpfr_set_d(a, y, MPFR_RNDN);
        mpfr_set_d(b, x, MPFR_RNDN);
        const int inex = mpfr_atan2(r, a, b, rnd);
        mpfr_clears(a, b, static_cast<mpfr_ptr>(nullptr));
        return inex;
    });
}

// A value hi + lo known to within err.
struct Approx {
    double hi, lo, err;
};

// err is far above the rounding of lo +- err, so that rounding cannot carry an
// endpoint past the true value.
inline bool Rounded(const Approx& a, double& out) {
    const double down = a.hi + (a.lo - a.err);
    const double up = a.hi + (a.lo + a.err);
    out = down;
    return down == up;
}

// ---- sine and cosine

inline Approx Neg(const Approx& a) {
    return {-a.hi, -a.lo, a.err};
}

constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1; // only picks k

struct Reduced {
    double hi, lo; // x - k pi/2
    int quadrant;  // k mod 4
};

// For |x| < 2^20, so |k| < 2^20.
inline Reduced Reduce(double x, const Tables& T) {
    const double k = Nearest(x * kTwoOverPi);
    // x and k * part[0] are multiples of 2^-53 or k is 0, and they differ by
    // less than 1: the difference is exact.
    const double a = x - k * T.halfPiParts[0];
    const DD b = TwoSum(a, -(k * T.halfPiParts[1]));
    const DD c = TwoSum(b.hi, -(k * T.halfPiParts[2]));
    const double rest = (b.lo + c.lo) - k * T.halfPiParts[3];
    const DD r = TwoSum(c.hi, rest);
    return {r.hi, r.lo, static_cast<int>(static_cast<std::int64_t>(k) & 3)};
}

// What sin and cos of r = j/256 + t share, for 0 <= r <= pi/4 + 2^-30.
struct Parts {
    const SinCosEntry* e;
    double th, tl; // t
    double cm;     // cos t - 1
    double sm;     // sin t - t
};

inline Parts Prepare(double rh, double rl, const Tables& T) {
    constexpr double s3 = -1.0 / 6, s5 = 1.0 / 120, s7 = -1.0 / 5040;
    constexpr double c4 = 1.0 / 24, c6 = -1.0 / 720;
    const double j = Nearest(rh * kSinCosSteps);
    Parts p;
    p.e = &T.sinCos[static_cast<int>(j)];
    p.th = rh - j * (1.0 / kSinCosSteps); // exact
    p.tl = rl;
    const double t2 = p.th * p.th;
    p.cm = -0.5 * t2 + (t2 * t2 * (c4 + t2 * c6) - p.th * p.tl);
    p.sm = t2 * p.th * (s3 + t2 * (s5 + t2 * s7));
    return p;
}

// x reduced and prepared; sin r stands for sin |r| until the sign is applied.
struct Start {
    Parts p;
    int quadrant;
    bool neg;
};

inline Start Begin(double x, const Tables& T) {
    const Reduced r = Reduce(x, T);
    const bool neg = r.hi < 0;
    return {Prepare(neg ? -r.hi : r.hi, neg ? -r.lo : r.lo, T), r.quadrant, neg};
}

constexpr double kSinCosRel = 0x1p-66;
constexpr double kSinCosAbs = 0x1p-128;

// sin(a + t) = sin a + sin a (cos t - 1) + cos a t + cos a (sin t - t)
inline Approx SinOf(const Parts& p) {
    const SinCosEntry& e = *p.e;
    const DD m = TwoProd(e.cosHi, p.th);
    const DD s = TwoSum(e.sinHi, m.hi);
    const double small =
        ((((e.sinLo + m.lo) + e.cosHi * p.tl) + e.cosLo * p.th) + e.cosHi * p.sm) + e.sinHi * p.cm;
    const double hi = s.hi;
    return {hi, s.lo + small, std::fabs(hi) * kSinCosRel + kSinCosAbs};
}

// cos(a + t) = cos a + cos a (cos t - 1) - sin a t - sin a (sin t - t)
inline Approx CosOf(const Parts& p) {
    const SinCosEntry& e = *p.e;
    const DD m = TwoProd(e.sinHi, p.th);
    const DD s = TwoSum(e.cosHi, -m.hi);
    const double small =
        ((((e.cosLo - m.lo) - e.sinHi * p.tl) - e.sinLo * p.th) - e.sinHi * p.sm) + e.cosHi * p.cm;
    const double hi = s.hi;
    return {hi, s.lo + small, std::fabs(hi) * kSinCosRel + kSinCosAbs};
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTiny = 0x1p-27; // sin x rounds to x, cos x to 1, atan x to x
constexpr double kReduceLimit = 0x1p20;

// ---- arc tangent

constexpr double kAtanRel = 0x1p-67;

// base + sign * atan(n/d), for 2^-900 <= n <= d <= 2^990: no partial product
// underflows or overflows.
inline Approx AtanOf(double n, double d, DD base, double sign, const Tables& T) {
    constexpr double a3 = -1.0 / 3, a5 = 1.0 / 5, a7 = -1.0 / 7;
    const double i = Nearest(n / d * 256);
    const double c = i * (1.0 / 256);
    const DD cd = TwoProd(c, d);
    const DD n0 = TwoSum(n, -cd.hi);
    const DD num = TwoSum(n0.hi, n0.lo - cd.lo);
    const DD cn = TwoProd(c, n);
    const DD den = TwoSum(d, cn.hi);
    const double denLo = den.lo + cn.lo;
    const double uh = num.hi / den.hi;
    const DD back = TwoProd(uh, den.hi);
    const double ul = ((((num.hi - back.hi) - back.lo) + num.lo) - uh * denLo) / den.hi;
    const double u2 = uh * uh;
    const double tail = u2 * uh * (a3 + u2 * (a5 + u2 * a7));
    const DD& A = T.atan[static_cast<int>(i)];
    const DD s1 = TwoSum(A.hi, uh);
    const double small = ((A.lo + ul) + tail) + s1.lo;
    const DD s2 = TwoSum(base.hi, sign * s1.hi);
    const double lo = (base.lo + sign * small) + s2.lo;
    return {s2.hi, lo, std::fabs(s2.hi) * kAtanRel};
}

} // namespace

std::uint64_t SlowPathCalls() {
    return slowCalls.load(std::memory_order_relaxed);
}

double Sin(double x) {
    const double ax = std::fabs(x);
    if (!(ax < kReduceLimit)) return ax == ax && ax != kInf ? Slow1(mpfr_sin, x) : x - x;
    if (ax < kTiny) return x;
    const Start r = Begin(x, Tab());
    // sin x is sin r, cos r, -sin r, -cos r by quadrant
    const bool odd = (r.quadrant & 1) != 0;
    Approx a = odd ? CosOf(r.p) : SinOf(r.p);
    if (!odd && r.neg) a = Neg(a);
    if ((r.quadrant & 2) != 0) a = Neg(a);
    double out;
    return Rounded(a, out) ? out : Slow1(mpfr_sin, x);
}

double Cos(double x) {
    const double ax = std::fabs(x);
    if (!(ax < kReduceLimit)) return ax == ax && ax != kInf ? Slow1(mpfr_cos, x) : x - x;
    if (ax < kTiny) return 1.0;
    const Start r = Begin(x, Tab());
    // cos x is cos r, -sin r, -cos r, sin r by quadrant
    const bool odd = (r.quadrant & 1) != 0;
    Approx a = odd ? SinOf(r.p) : CosOf(r.p);
    if (odd && r.neg) a = Neg(a);
    if (r.quadrant == 1 || r.quadrant == 2) a = Neg(a);
    double out;
    return Rounded(a, out) ? out : Slow1(mpfr_cos, x);
}

SinCosPair SinCos(double x) {
    const double ax = std::fabs(x);
    if (!(ax < kReduceLimit)) {
        if (ax == kInf || ax != ax) return {x - x, x - x};
        return {Slow1(mpfr_sin, x), Slow1(mpfr_cos, x)};
    }
    if (ax < kTiny) return {x, 1.0};
    const Start r = Begin(x, Tab());
    Approx sx = r.neg ? Neg(SinOf(r.p)) : SinOf(r.p);
    Approx cx = CosOf(r.p);
    // a quarter turn takes (sin, cos) to (cos, -sin)
    if ((r.quadrant & 1) != 0) {
        const Approx s = sx;
        sx = cx;
        cx = Neg(s);
    }
    if ((r.quadrant & 2) != 0) {
        sx = Neg(sx);
        cx = Neg(cx);
    }
    SinCosPair out;
    if (!Rounded(sx, out.sin)) out.sin = Slow1(mpfr_sin, x);
    if (!Rounded(cx, out.cos)) out.cos = Slow1(mpfr_cos, x);
    return out;
}

double Atan(double x) {
    const double ax = std::fabs(x);
    if (ax != ax) return x + x;
    if (ax < kTiny) return x;
    const Tables& T = Tab();
    if (ax >= 0x1p53) return x > 0 ? T.halfPi.hi : -T.halfPi.hi; // pi/2 - 1/x rounds to pi/2
    const Approx a = ax <= 1 ? AtanOf(ax, 1, DD{0, 0}, 1, T) : AtanOf(1, ax, T.halfPi, -1, T);
    double out;
    if (Rounded(a, out)) return x < 0 ? -out : out;
    return Slow1(mpfr_atan, x);
}

double Atan2(double y, double x) {
    if (y != y || x != x) return y + x;
    const Tables& T = Tab();
    const bool west = std::signbit(x);
    const bool south = std::signbit(y);
    const double pi = south ? -T.pi.hi : T.pi.hi;
    const double halfPi = south ? -T.halfPi.hi : T.halfPi.hi;
    if (y == 0) return west ? pi : y;
    if (x == 0) return halfPi;
    const double a = std::fabs(y), b = std::fabs(x);
    if (a == kInf) {
        const double q = b == kInf ? (west ? T.threeQuarterPi : T.quarterPi) : T.halfPi.hi;
        return south ? -q : q;
    }
    if (b == kInf) return west ? pi : (south ? -0.0 : 0.0);
    // The same scale for both keeps the pairs' low parts clear of underflow
    // and the splitting clear of overflow.
    double n = a > b ? b : a;
    double d = a > b ? a : b;
    if (d > 0x1p990) {
        n *= 0x1p-600;
        d *= 0x1p-600;
    } else if (n < 0x1p-900 && d < 0x1p390) {
        n *= 0x1p600;
        d *= 0x1p600;
    }
    if (n < 0x1p-900 || n < d * 0x1p-900) return SlowAtan2(y, x);
    const DD zero{0, 0};
    Approx r;
    if (a <= b)
        r = west ? AtanOf(n, d, T.pi, -1, T) : AtanOf(n, d, zero, 1, T);
    else
        r = AtanOf(n, d, T.halfPi, west ? 1 : -1, T);
    double out;
    if (Rounded(r, out)) return south ? -out : out;
    return SlowAtan2(y, x);
}

} // namespace kv::exact
