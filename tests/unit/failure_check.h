#pragma once

// The one check every test of a failing computation shares: it must throw, with this kind,
// and (for a press) at this input.

#include <QTest>
#include <optional>

#include "hydraulics/failure.h"

Q_DECLARE_METATYPE(lintavo::FailureKind)

namespace lintavo::testing {

// Fails the current test unless `computation()` throws `kind` (and, when `input` is given,
// names that input; a failure of the arithmetic names none).
template <typename Computation>
void expectFailureOf(Computation computation, FailureKind kind,
                     std::optional<std::optional<std::size_t>> input = std::nullopt) {
    try {
        computation();
        QFAIL("the computation did not fail");
    } catch (const CalculationFailure& f) {
        QCOMPARE(f.kind(), kind);
        if (input) QCOMPARE(f.input(), *input);
    }
}

}  // namespace lintavo::testing
