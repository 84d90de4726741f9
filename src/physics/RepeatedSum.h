// Repeated floating-point addition without the repetition: a contact between
// heavy or deeply overlapping pieces takes billions of equal pushes, and the
// table must end up exactly where pushing one at a time would leave it.
#pragma once

#include <cstdint>

namespace kv {

// The value of x after n times "x = x + a" in double arithmetic (round to
// nearest, ties to even), bit for bit, in a few steps per binade crossed.
double AddRepeated(double x, double a, std::uint64_t n);

} // namespace kv
