// A batch of 100 000 rows per calculation: the bare press on each row's input texts, against
// the whole of lintavo-calc's path (CSV read, columns mapped, press, CSV written) over the
// same rows, in process; then lintavo-calc itself as a program on 1 000 and on 100 000 rows,
// with its peak resident memory, which must not grow with the rows.
//   bench_batch LINTAVO_CALC

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calculators/batch.h"
#include "calculators/catalogue.h"
#include "formats/csv.h"

using namespace lintavo;

namespace {

using Clock = std::chrono::steady_clock;

// Rows of the calculation's worked example, varied a little so no two presses are the same.
std::vector<std::vector<std::string>> rowsFor(const CalculatorTable& table, std::size_t count) {
    const std::size_t inputs = rowsWith(table.window, Role::Input).size();
    std::vector<std::vector<std::string>> rows(count);
    for (std::size_t r = 0; r < count; ++r) {
        for (std::size_t k = 0; k < inputs; ++k)
            rows[r].emplace_back(table.example.at(k));
        // 2, 2.1, 2.2 … 2.96, or 0.5, 0.51 … 0.596: the first input varied a little.
        std::string& first = rows[r][0];
        if (r % 97 != 0)
            first += (first.find('.') == std::string::npos ? "." : "") + std::to_string(r % 97);
    }
    return rows;
}

// The first calculation that seeks its unknown by bisection, the slowest kind of press.
const CalculatorTable& bisecting() {
    for (const CalculatorTable& table : calculations()) {
        if (table.sought != 0) return table;
    }
    return calculations().front();
}

std::string csvOf(const CalculatorTable& table, const std::vector<std::vector<std::string>>& rows) {
    std::string csv;
    std::vector<std::string> header = batchColumns(table);
    header.erase(header.begin() + 1 + static_cast<long>(rows[0].size()), header.end());
    appendCsvRecord(csv, header);
    std::vector<std::string> cells;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        cells = rows[r];
        cells.insert(cells.begin(), "渠段" + std::to_string(r));
        appendCsvRecord(csv, cells);
    }
    return csv;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// lintavo-calc on a file: wall seconds and peak resident KiB.
std::pair<double, long> runProgram(const char* program, const char* calculation,
                                   const std::string& path) {
    const auto start = Clock::now();
    // Spawned, not forked: a forked child would count this process's memory as its own.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string calc(calculation), file(path);
    char* args[] = {const_cast<char*>(program), calc.data(), file.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, args, environ) != 0) return {0, 0};
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {secondsSince(start), usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
    constexpr std::size_t count = 100000;
    if (argc >= 2) {
        const CalculatorTable& depth = bisecting();
        const std::string alias(calculationAlias(depth));
        std::printf("lintavo-calc as a program (%s):\n%10s %10s %12s %14s\n", alias.c_str(), "rows",
                    "seconds", "µs a row", "peak KiB");
        for (std::size_t n : {std::size_t{1000}, count}) {
            const std::string path = "/tmp/lintavo-bench-" + std::to_string(getpid()) + ".csv";
            {
                // Written a thousand rows at a time, so that this process stays small: a child
                // inherits its parent's peak until it has started the program.
                std::ofstream file(path, std::ios::binary);
                const auto block = rowsFor(depth, 1000);
                std::string csv = csvOf(depth, block);
                file << csv;
                csv.erase(0, csv.find('\n') + 1);
                for (std::size_t done = 1000; done < n; done += 1000)
                    file << csv;
            }
            const auto [seconds, kib] = runProgram(argv[1], alias.c_str(), path);
            std::remove(path.c_str());
            std::printf("%10zu %10.3f %12.3f %14ld\n", n, seconds, seconds / double(n) * 1e6, kib);
        }
    }

    std::printf("\n%-14s %10s %12s %12s %10s\n", "calculation", "press µs", "batch µs/row",
                "overhead µs", "overhead");
    for (const CalculatorTable& table : calculations()) {
        const auto rows = rowsFor(table, count);
        // The bare press: input texts to result texts, no record.
        std::size_t written = 0;
        auto start = Clock::now();
        for (const auto& row : rows)
            written += table.press(row, nullptr).size();
        const double press = secondsSince(start) / count * 1e6;

        const std::string csv = csvOf(table, rows);
        start = Clock::now();
        std::istringstream in(csv);
        CsvReader reader(in);
        std::vector<std::string> cells;
        reader.next(cells);
        const ColumnMap map = std::get<TableStart>(startTable(table, cells, cells.size())).map;
        std::vector<std::string> out;
        std::string text;
        while (reader.next(cells)) {
            computeRow(table, map, cells, out);
            appendCsvRecord(text, out);
            if (text.size() > (1U << 16)) {
                written += text.size();
                text.clear();
            }
        }
        const double batch = secondsSince(start) / count * 1e6;
        std::printf("%-14s %10.3f %12.3f %12.3f %9.0f%%%s\n",
                    std::string(calculationAlias(table)).c_str(), press, batch, batch - press,
                    100 * (batch - press) / press, written == 0 ? "?" : "");
    }
    return 0;
}
