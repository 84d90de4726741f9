// Sine, cosine and arc tangent that give the same bits on every machine: each
// result is the exact value rounded to the nearest double (ties to even), so it
// does not depend on which code the C library picks for the processor. Replays
// and shared matches rely on it. The C library's sqrt and fabs are exact already.
#pragma once

#include <cstdint>

namespace kv::exact {

// NaN for an infinite or NaN argument; Sin(-0) is -0.
double Sin(double x);
double Cos(double x);

struct SinCosPair {
    double sin;
    double cos;
};
// Both at once, for little more than the price of one.
SinCosPair SinCos(double x);

// Atan(+-infinity) is +-pi/2 rounded; Atan(-0) is -0.
double Atan(double x);
// The angle of the point (x, y), in [-pi, pi], with the C library's conventions
// for zeros and infinities: Atan2(+0, -0) is pi, Atan2(-0, +0) is -0, and so on.
double Atan2(double y, double x);

// How many results so far, in all threads, needed the multi-precision path.
std::uint64_t SlowPathCalls();

} // namespace kv::exact
