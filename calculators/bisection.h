#pragma once

// The bracket both bisections close: from the integers 0 and 10 (metres), halved once per
// step. Each step evaluates the residual afresh at lo and at the midpoint; a positive product
// moves lo, anything else (a negative product, or exactly 0) moves hi. An end that moves
// takes the midpoint's value, a double; an end that never moves stays an integer.

#include "calculators/explain.h"
#include "calculators/record.h"
#include "hydraulics/value.h"

namespace lintavo {

struct Bracket {
    Value lo = Value::integer(0);
    Value hi = Value::integer(10);
    int halvings = 0;
    bool hiMoved = false;

    Value width() const { return hi - lo; }

    template <typename Residual>
    void halve(Residual f) {
        const Value mid = (lo + hi) / Value::integer(2);
        const Value atLo = f(lo);
        const Value atMid = f(mid);
        if (atLo * atMid > Value::integer(0)) {
            lo = mid;
        } else {
            hi = mid;
            hiMoved = true;
        }
        ++halvings;
    }

    // The midpoint of the final bracket. When hi never moved, every product was positive:
    // the bracket never held a sign change, and lo merely crept up to 10. That is no
    // answer, and it is not passed off as 9.999.
    // The bracket as it ended is kept in the record, also when it holds no answer.
    Value closedMidpoint(Record* record) const {
        if (record != nullptr) record->bisection = RecordedBisection{halvings, lo, hi};
        if (!hiMoved) throw CalculationFailure(FailureKind::NoSolution);
        return (lo + hi) / Value::integer(2);
    }
};

// Why a bisection failed, in the channel's terms: `sought` is 'h' for the depth (at the
// bottom width b) or 'b' for the bottom width (at the depth h). A bracket that held no answer
// says whether the answer lies past 10 m, and roughly where, found by carrying the search on
// in plain double, or whether nothing carries Q at all.
FailureCause explainBisectionFailure(const Record& record, char sought);

}  // namespace lintavo
