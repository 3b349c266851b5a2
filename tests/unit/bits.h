#pragma once

// Doubles compared exactly: QCOMPARE on doubles forgives about 1e-12 relative, which would let
// a last-bit difference through. QCOMPARE(bits(got), bits(expected)) fails on any difference,
// the sign of zero included, and prints both patterns.

#include <bit>
#include <cstdint>

namespace lintavo::testing {

inline std::uint64_t bits(double x) {
    return std::bit_cast<std::uint64_t>(x);
}

}  // namespace lintavo::testing
