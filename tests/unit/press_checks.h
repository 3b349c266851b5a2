#pragma once

// What the calculation tests share: a press that must fail, and with which kind.

#include <QTest>

#include "calculators/press.h"
#include "tests/unit/failure_check.h"

Q_DECLARE_METATYPE(lintavo::Texts)

namespace lintavo::testing {

inline Value s(float v) {
    return Value::single(v);
}

// Fails the current test unless the press fails with `kind` (at `input`, when given).
inline void expectFailure(Press press, const Texts& inputs, FailureKind kind,
                          std::optional<std::optional<std::size_t>> input = std::nullopt) {
    expectFailureOf([&] { return press(inputs, nullptr); }, kind, input);
}

}  // namespace lintavo::testing
