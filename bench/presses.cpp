// Each press of 计算 in the catalogue, from its worked example's input texts to result texts,
// against the same formulas evaluated in plain double (its table's `plain`), the floor of what the
// arithmetic itself costs. Prints the time of each and the ratio to its floor; the goal is under 20
// µs a press. Then portablePow at the calculators' exponents: nanoseconds a call, against the C
// library's pow, and how often its slow double-double path runs.

#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "calculators/catalogue.h"
#include "hydraulics/portable_pow.h"

using namespace lintavo;

namespace {

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

// The table's floor: its formulas in plain double (hydraulics/geometry.h), no kinds, no
// checks, no texts.
void plain(benchmark::State& state, double (*f)(std::span<const double>),
           std::vector<double> inputs) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(inputs.data());
        double out = f(inputs);
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
    // Every calculation of the catalogue on its worked example.
    struct Case {
        std::string name;
        Press f;
        Texts inputs;
        double (*floor)(std::span<const double>);
        std::vector<double> numbers;
    };
    std::vector<Case> presses;
    for (const CalculatorTable& table : calculations()) {
        Case c{std::string(table.alias), table.press, {}, table.plain, {}};
        for (std::size_t k = 0; k < rowsWith(table.window, Role::Input).size(); ++k) {
            c.inputs.emplace_back(table.example.at(k));
            c.numbers.push_back(std::strtod(c.inputs.back().c_str(), nullptr));
        }
        presses.push_back(std::move(c));
    }
    for (const Case& p : presses) {
        benchmark::RegisterBenchmark(("press/" + p.name).c_str(), press, p.f, p.inputs);
        benchmark::RegisterBenchmark(("unrecorded/" + p.name).c_str(), pressUnrecorded, p.f,
                                     p.inputs);
        if (p.floor != nullptr)
            benchmark::RegisterBenchmark(("plain_double/" + p.name).c_str(), plain, p.floor,
                                         p.numbers);
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
    for (const Case& p : presses) {
        const double ours = reporter.nanoseconds["press/" + p.name];
        const double bare = reporter.nanoseconds["unrecorded/" + p.name];
        // No floor prints as no ratio.
        const double floor =
            p.floor != nullptr ? reporter.nanoseconds["plain_double/" + p.name] : std::nan("");
        std::printf("%-14s %12.3f %14.3f %14.3f %8.1f\n", p.name.c_str(), ours / 1000, bare / 1000,
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
