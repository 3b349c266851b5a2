// Each of the five presses of 计算, from input texts to result texts, against the same
// formula evaluated in plain double, the floor of what the arithmetic itself costs.
// Prints the time of each and the ratio to its floor; the goal is under 20 µs a press.
// Then portablePow at the calculators' exponents: nanoseconds a call, against the C
// library's pow, and how often its slow double-double path runs.

#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "calculators/bottom_slope.h"
#include "calculators/bottom_width.h"
#include "calculators/discharge.h"
#include "calculators/normal_depth.h"
#include "calculators/section_dimensions.h"
#include "hydraulics/geometry.h"
#include "hydraulics/portable_pow.h"

using namespace lintavo;

namespace {

const Texts dischargeInputs{"2", "1", "1", "0.001", "0.025"};
const Texts depthInputs{"10", "5", "1.5", "0.0005", "0.025"};
const Texts widthInputs{"5", "1.2", "1", "0.0004", "0.02"};
const Texts slopeInputs{"5", "2", "1", "1", "0.025"};
const Texts sectionInputs{"10", "1", "1", "0.001", "0.025"};

// As the window presses: with the record that the report reads.
void press(benchmark::State& state, Press f, const Texts& inputs) {
    Record record;
    for (auto _ : state) {
        auto out = runPress(f, inputs, record);
        benchmark::DoNotOptimize(out);
        benchmark::DoNotOptimize(record);
    }
}

// The same press keeping no record.
void pressUnrecorded(benchmark::State& state, Press f, const Texts& inputs) {
    for (auto _ : state) {
        Texts out = f(inputs, nullptr);
        benchmark::DoNotOptimize(out);
    }
}

// The floors: the formulas in plain double (the section's own, hydraulics/geometry.h), no
// kinds, no checks, no texts.
double manning(double b, double m, double h, double i, double n) {
    return PlainSection{b, m}.manningDischarge(h, i, n);
}

double plainDischarge(const double* x) {
    const double b = x[0], h = x[1], m = x[2], i = x[3], n = x[4];
    const PlainSection section{b, m};
    const double A = section.area(h);
    const double R = section.hydraulicRadius(h);
    const double Q = A * (1 / n * portablePow(R, 1.0 / 6)) * std::sqrt(R * i);
    return std::floor(Q * 1000) / 1000 + std::floor(Q / A * 1000) / 1000;
}

double plainDepth(const double* x) {
    double lo = 0, hi = 10;
    while (hi - lo > 1e-7) {
        const double mid = (lo + hi) / 2;
        if ((x[0] - manning(x[1], x[2], lo, x[3], x[4])) *
                (x[0] - manning(x[1], x[2], mid, x[3], x[4])) >
            0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return std::floor((lo + hi) / 2 * 1000) / 1000;
}

double plainWidth(const double* x) {
    double lo = 0, hi = 10;
    do {
        const double mid = (lo + hi) / 2;
        if ((x[0] - manning(lo, x[2], x[1], x[3], x[4])) *
                (x[0] - manning(mid, x[2], x[1], x[3], x[4])) >
            0) {
            lo = mid;
        } else {
            hi = mid;
        }
    } while (!(hi - lo < 1e-6));
    return std::floor((lo + hi) / 2 * 1000) / 1000;
}

double plainSlope(const double* x) {
    const double Q = x[0], b = x[1], m = x[2], h = x[3], n = x[4];
    const PlainSection section{b, m};
    const double A = section.area(h);
    const double R = section.hydraulicRadius(h);
    const double C = 1 / n * portablePow(R, 1.0 / 6);
    return std::floor(Q * Q / (C * C * A * A * R) * 100000) / 100000;
}

double plainSection(const double* x) {
    const double Q = x[0], v = x[1], m = x[2], i = x[3], n = x[4];
    const double A = Q / v, R = portablePow(n * v / std::sqrt(i), 1.5), P = A / R,
                 s = rootOfOnePlusSquare(m);
    const double D = std::sqrt(P * P + 4 * A * (m - 2 * s));
    const double h1 = (D - P) / (2 * (m - 2 * s)), h2 = (-P - D) / (2 * (m - 2 * s));
    return std::floor(h1 * 1000) / 1000 + std::floor(h2 * 1000) / 1000 +
           std::floor((P - 2 * s * h1) * 1000) / 1000;
}

void plain(benchmark::State& state, double (*f)(const double*), std::vector<double> inputs) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(inputs.data());
        double out = f(inputs.data());
        benchmark::DoNotOptimize(out);
    }
}

// Bases with a random significand and a binary exponent in [-20, 20], and the exponent y,
// or (y = 0) exponents that make |y ln x| anything up to 700.
struct PowOperands {
    std::vector<double> x, y;
};

PowOperands powOperands(double exponent, int count) {
    std::mt19937_64 random(7);
    PowOperands o;
    for (int k = 0; k < count; ++k) {
        const std::uint64_t bits = random();
        const auto e = static_cast<std::uint64_t>(static_cast<int>((bits >> 52) % 41) - 20 + 1023);
        const double x = std::bit_cast<double>((e << 52) | (bits & ((std::uint64_t{1} << 52) - 1)));
        const double lnX = std::log(x);  // only to choose operands
        const double t = (static_cast<double>(random() % 1400001) / 1000.0 - 700.0);
        o.x.push_back(x);
        o.y.push_back(exponent != 0.0 || lnX == 0.0 ? exponent : t / lnX);
    }
    return o;
}

void powCalls(benchmark::State& state, double (*f)(double, double), double exponent) {
    const PowOperands o = powOperands(exponent, 4096);
    std::size_t k = 0;
    for (auto _ : state) {
        double r = f(o.x[k], o.y[k]);
        benchmark::DoNotOptimize(r);
        k = (k + 1) % o.x.size();
    }
}

double libraryPow(double x, double y) {
    return std::pow(x, y);
}

// The share of a million calls that portablePow settles on its slow path.
double slowShare(double exponent) {
    const PowOperands o = powOperands(exponent, 1000000);
    int slow = 0;
    for (std::size_t k = 0; k < o.x.size(); ++k)
        slow += detail::powTakesSlowPath(o.x[k], o.y[k]);
    return static_cast<double>(slow) / static_cast<double>(o.x.size());
}

// Keeps each run's time per iteration, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
    const struct {
        const char* name;
        Press f;
        const Texts* inputs;
        double (*floor)(const double*);
        std::vector<double> numbers;
    } presses[] = {
        {"discharge", pressDischarge, &dischargeInputs, plainDischarge, {2, 1, 1, 0.001, 0.025}},
        {"normal_depth", pressNormalDepth, &depthInputs, plainDepth, {10, 5, 1.5, 0.0005, 0.025}},
        {"bottom_width", pressBottomWidth, &widthInputs, plainWidth, {5, 1.2, 1, 0.0004, 0.02}},
        {"bottom_slope", pressBottomSlope, &slopeInputs, plainSlope, {5, 2, 1, 1, 0.025}},
        {"section", pressSectionDimensions, &sectionInputs, plainSection, {10, 1, 1, 0.001, 0.025}},
    };
    for (const auto& p : presses) {
        benchmark::RegisterBenchmark((std::string("press/") + p.name).c_str(), press, p.f,
                                     *p.inputs);
        benchmark::RegisterBenchmark((std::string("unrecorded/") + p.name).c_str(), pressUnrecorded,
                                     p.f, *p.inputs);
        benchmark::RegisterBenchmark((std::string("plain_double/") + p.name).c_str(), plain,
                                     p.floor, p.numbers);
    }
    const struct {
        const char* name;
        double exponent;
    } powers[] = {{"x^(1/6)", 1.0 / 6},
                  {"x^(2/3)", 2.0 / 3},
                  {"x^1.5", 1.5},
                  {"x^2.5", 2.5},
                  {"x^y, |y ln x|<700", 0.0}};
    for (const auto& p : powers) {
        benchmark::RegisterBenchmark((std::string("portablePow/") + p.name).c_str(), powCalls,
                                     portablePow, p.exponent);
        benchmark::RegisterBenchmark((std::string("library_pow/") + p.name).c_str(), powCalls,
                                     libraryPow, p.exponent);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-14s %12s %14s %14s %8s\n", "press", "µs a press", "no record µs",
                "plain double µs", "ratio");
    bool underGoal = true;
    for (const auto& p : presses) {
        const double ours = reporter.nanoseconds[std::string("press/") + p.name];
        const double bare = reporter.nanoseconds[std::string("unrecorded/") + p.name];
        const double floor = reporter.nanoseconds[std::string("plain_double/") + p.name];
        std::printf("%-14s %12.3f %14.3f %14.3f %8.1f\n", p.name, ours / 1000, bare / 1000,
                    floor / 1000, ours / floor);
        underGoal = underGoal && ours < 20000;
    }
    std::printf("every press under 20 µs: %s\n", underGoal ? "yes" : "no");
    std::printf("\n%-20s %14s %14s %14s\n", "power", "ours ns", "C library ns", "slow path");
    for (const auto& p : powers) {
        std::printf("%-20s %14.1f %14.1f %13.3f%%\n", p.name,
                    reporter.nanoseconds[std::string("portablePow/") + p.name],
                    reporter.nanoseconds[std::string("library_pow/") + p.name],
                    100.0 * slowShare(p.exponent));
    }
    return 0;
}
