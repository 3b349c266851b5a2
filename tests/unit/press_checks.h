#pragma once

// What the calculation tests share: a press that must fail, and with which kind.

#include <QTest>

#include "calculators/press.h"

Q_DECLARE_METATYPE(lintavo::FailureKind)
Q_DECLARE_METATYPE(lintavo::Texts)

namespace lintavo::testing {

inline Value s(float v) {
    return Value::single(v);
}

// Fails the current test unless the press fails with `kind`.
inline void expectFailure(Press press, const Texts& inputs, FailureKind kind) {
    try {
        const Texts results = press(inputs);
        QFAIL(qPrintable(QStringLiteral("no failure: %1").arg(QString::fromStdString(results[0]))));
    } catch (const CalculationFailure& f) {
        QCOMPARE(f.kind(), kind);
    }
}

}  // namespace lintavo::testing
