// Prints what the number model makes of a fixed pseudo-random sample: powers to the
// calculators' exponents, singles read from decimal text, results written as text, results
// truncated to three decimals, our trigonometric functions, and the section shapes'
// presses, at random and where their answers turn (a circle's crown and peak, a U's arc). Built for
// Linux and for Windows; tests/windows/run.sh runs both (the Windows one under Wine) and requires
// the same output, line for line.
//   same_digits FILE

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "calculators/shape_calculations.h"
#include "hydraulics/number_text.h"
#include "hydraulics/portable_trig.h"
#include "hydraulics/shape_flow.h"
#include "hydraulics/value.h"

using namespace lintavo;

namespace {

constexpr int perCategory = 20000;

// A double with a random significand and a binary exponent in [low, high].
double randomDouble(std::mt19937_64& random, int low, int high) {
    const std::uint64_t bits = random();
    const auto span = static_cast<std::uint64_t>(high - low + 1);
    const int exponent = low + static_cast<int>((bits >> 52) % span);
    return std::bit_cast<double>((static_cast<std::uint64_t>(exponent + 1023) << 52) |
                                 (bits & ((std::uint64_t{1} << 52) - 1)));
}

// Decimal text as a user types it: up to nine digits, maybe a point, maybe an exponent
// that reaches beyond the single range on both sides.
std::string randomDecimal(std::mt19937_64& random) {
    std::uint64_t bits = random();
    auto take = [&bits](std::uint64_t n) {
        const std::uint64_t v = bits % n;
        bits /= n;
        return v;
    };
    const auto digits = static_cast<int>(1 + take(9));
    const auto point = static_cast<int>(take(static_cast<std::uint64_t>(digits) + 2));
    std::string text = take(4) == 0 ? "-" : "";
    for (int k = 0; k < digits; ++k) {
        if (k == point) text += '.';
        text += static_cast<char>('0' + take(10));
    }
    if (take(3) == 0) {
        text += 'e';
        text += std::to_string(static_cast<int>(take(91)) - 50);
    }
    return text;
}

std::string outcome(auto compute) {
    try {
        return compute();
    } catch (const CalculationFailure& failure) {
        return "failure " + std::to_string(static_cast<int>(failure.kind()));
    }
}

std::string hex(double x) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%016" PRIx64, std::bit_cast<std::uint64_t>(x));
    return buffer;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::FILE* out = argc > 1 ? std::fopen(argv[1], "wb") : nullptr;
    if (out == nullptr) {
        std::fprintf(stderr, "usage: same_digits FILE\n");
        return 2;
    }
    std::mt19937_64 random(20261208);
    const Value sixth = Value::integer(1) / Value::integer(6);
    const Value exponents[] = {Value::integer(2), sixth,
                               sixth + Value::integer(1) / Value::integer(2), Value::dbl(0.5),
                               Value::dbl(1.5)};
    for (const Value& exponent : exponents) {
        for (int k = 0; k < perCategory; ++k) {
            const double x = randomDouble(random, -40, 40);
            std::fprintf(
                out, "pow %s %s %s\n", hex(x).c_str(), hex(exponent.number()).c_str(),
                outcome([&] { return hex(pow(Value::dbl(x), exponent).number()); }).c_str());
        }
    }
    for (int k = 0; k < perCategory; ++k) {
        const std::string text = randomDecimal(random);
        std::fprintf(out, "read %s %s\n", text.c_str(),
                     outcome([&] { return hex(parseInput(text).number()); }).c_str());
    }
    for (int k = 0; k < perCategory; ++k) {
        float single = 0.0F;
        do {
            single = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        } while (!std::isfinite(single));
        const double d = randomDouble(random, -60, 60);
        std::fprintf(out, "write %s %s %s\n", hex(d).c_str(),
                     outcome([&] { return formatResult(Value::single(single)); }).c_str(),
                     outcome([&] { return formatResult(Value::dbl(d)); }).c_str());
    }
    for (int k = 0; k < perCategory; ++k) {
        const Value v = Value::single(static_cast<float>(randomDouble(random, -12, 20)));
        std::fprintf(out, "truncate %s %s %s\n", hex(v.number()).c_str(),
                     outcome([&] { return formatResult(floorTruncate(v, 3)); }).c_str(),
                     outcome([&] { return formatResult(floorTruncateSingle(v)); }).c_str());
    }
    const struct {
        const char* name;
        double (*f)(double);
        int low;
        int high;
    } trigonometry[] = {
        {"sin", portableSin, -30, 40},         {"cos", portableCos, -30, 40},
        {"tan", portableTan, -30, 40},         {"asin", portableAsin, -30, -1},
        {"acos", portableAcos, -30, -1},       {"atan", portableAtan, -40, 40},
        {"sind", portableSinDegrees, -20, 12}, {"cosd", portableCosDegrees, -20, 12},
        {"tand", portableTanDegrees, -20, 12}};
    for (const auto& t : trigonometry) {
        for (int k = 0; k < perCategory; ++k) {
            const double x = randomDouble(random, t.low, t.high) * (random() % 2 != 0 ? -1 : 1);
            std::fprintf(out, "%s %s %s\n", t.name, hex(x).c_str(), hex(t.f(x)).c_str());
        }
    }
    // The shapes' presses on channels of every size, each input a short decimal.
    const auto decimal = [&random](double lo, double hi) {
        const double x = lo + (hi - lo) * static_cast<double>(random() >> 11) * 0x1p-53;
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.4g", x);
        return std::string(buffer);
    };
    const struct {
        const char* name;
        Press press;
        const char* symbols;
    } presses[] = {{"u-discharge", pressUDischarge, "rahin"},
                   {"u-normal-depth", pressUNormalDepth, "Qrain"},
                   {"arc-toe-discharge", pressArcToeDischarge, "brmhin"},
                   {"arc-toe-normal-depth", pressArcToeNormalDepth, "Qbrmin"},
                   {"circle-discharge", pressCircleDischarge, "Dhin"},
                   {"circle-normal-depth", pressCircleNormalDepth, "QDin"}};
    for (const auto& p : presses) {
        for (int k = 0; k < perCategory / 10; ++k) {
            Texts inputs;
            std::string line = p.name;
            for (const char* s = p.symbols; *s != '\0'; ++s) {
                switch (*s) {
                    case 'a':
                        inputs.push_back(decimal(0, 30));
                        break;
                    case 'i':
                        inputs.push_back("1/" + decimal(200, 10000));
                        break;
                    case 'n':
                        inputs.push_back(decimal(0.01, 0.035));
                        break;
                    case 'Q':
                        inputs.push_back(decimal(0.01, 20));
                        break;
                    default:
                        inputs.push_back(decimal(0.05, 4));
                        break;
                }
                line += ' ' + inputs.back();
            }
            Record record;
            const auto texts = runPress(p.press, inputs, record);
            if (texts) {
                for (const std::string& t : *texts)
                    line += ' ' + t;
            } else {
                line += " failure " + std::to_string(static_cast<int>(record.failure->kind));
            }
            std::fprintf(out, "%s %s\n", line.c_str(), record.remark.c_str());
        }
    }
    // The same presses where their answers turn: circles filled to near their crown and
    // discharges about a circle's peak (two depths, or pressure flow and none), U channels
    // filled within their arc and above it. Every step's value goes out by its bits, not only
    // the texts cut from them.
    const auto press = [out](const char* name, Press f, const Texts& inputs) {
        std::string line = name;
        for (const std::string& text : inputs)
            line += ' ' + text;
        Record record;
        const auto texts = runPress(f, inputs, record);
        if (texts) {
            for (const std::string& t : *texts)
                line += ' ' + t;
        } else {
            line += " failure " + std::to_string(static_cast<int>(record.failure->kind));
        }
        for (const RecordedStep& step : record.steps)
            line += std::string(" ") + step.symbol.data() + '=' + hex(step.value.number());
        std::fprintf(out, "%s %s\n", line.c_str(), record.remark.c_str());
    };
    const auto digits = [](double x) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.6g", x);
        return std::string(buffer);
    };
    for (int k = 0; k < perCategory / 10; ++k) {
        const std::string D = decimal(0.2, 3);
        const std::string i = "1/" + decimal(200, 10000);
        const std::string n = decimal(0.01, 0.02);
        const double d = std::stod(D);
        press("circle-discharge", pressCircleDischarge,
              {D, digits(d * (0.85 + 0.16 * static_cast<double>(k % 1000) / 1000.0)), i, n});
        const PeakFlow peak = peakFlow(Circle{d}, parseSlopeInputDouble(i), std::stod(n));
        press("circle-normal-depth", pressCircleNormalDepth,
              {digits(peak.Q * (0.9 + 0.2 * static_cast<double>(k % 997) / 997.0)), D, i, n});
        const std::string r = decimal(0.2, 1.5);
        const std::string a = decimal(0, 20);
        // The arc ends at r·(1 − sin α) above the bed: within it, and up to twice r above.
        const double arcTop = std::stod(r) * (1.0 - portableSinDegrees(std::stod(a)));
        const double h = k % 2 == 0 ? arcTop * static_cast<double>(1 + k % 499) / 500.0
                                    : arcTop + std::stod(r) * static_cast<double>(k % 401) / 200.0;
        press("u-discharge", pressUDischarge, {r, a, digits(h), i, n});
        press("u-normal-depth", pressUNormalDepth, {decimal(0.005, 3), r, a, i, n});
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
