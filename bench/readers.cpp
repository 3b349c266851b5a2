// The table readers on hostile files, as the batch imports them: each file read in a child
// process of its own, which prints the time, its peak resident memory (VmHWM) and what the
// reader said. Run under a memory limit (prlimit --as=…) when the readers are not known to
// refuse: a reader that does not would take the machine.
//   bench_readers            every file, each in a child
//   bench_readers NAME       one file, in this process
//   bench_readers --write DIR   write every file into DIR, for bench/readers_batch.py

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "formats/xlsx.h"
#include "tests/support/hostile_files.h"

using namespace lintavo;

namespace {

struct Hostile {
    const char* name;
    const char* file;  // its name when written out
    std::function<std::string()> make;
    bool csv = false;
};

const std::vector<Hostile>& files() {
    static const std::vector<Hostile> all = {
        {"xlsx: directory claims 0xFFFFFFF0 bytes", "claims-0xFFFFFFF0.xlsx",
         [] { return hostile::claimedSize(0xFFFFFFF0); }},
        {"xlsx: deflate bomb, 1.6 GiB in 1.6 MB", "bomb.xlsx",
         [] { return hostile::deflateBomb(1600); }},
        {"xlsx: the same bomb, its size said to be 60 MiB", "bomb-said-60MiB.xlsx",
         [] { return hostile::deflateBomb(1600, 60U << 20); }},
        {"xlsx: 30 000 one-cell rows at XFD", "xfd-30000-rows.xlsx",
         [] { return hostile::cellsAtXfd(30000); }},
        {"xlsx: 400 jumps of 1 048 000 rows", "row-jumps-1048000.xlsx",
         [] { return hostile::rowJumps(400, 1048000); }},
        {"xlsx: 400 jumps of 2 600 rows", "row-jumps-2600.xlsx",
         [] { return hostile::rowJumps(400, 2600); }},
        {"xlsx: reference ZZZZZZZZZZZZ1", "reference-ZZZZZZZZZZZZ1.xlsx",
         [] { return hostile::cellAt("ZZZZZZZZZZZZ"); }},
        {"csv: 64 MiB of commas", "commas-64MiB.csv",
         [] { return std::string(std::size_t{64} << 20, ','); }, true},
    };
    return all;
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// What the batch keeps of a CSV file, read as the batch reads it.
std::string readCsv(const std::string& bytes, std::size_t& rows) {
#ifdef LINTAVO_READERS_BEFORE
    std::istringstream in(bytes);
    CsvReader reader(in);
    std::vector<std::vector<std::string>> table;
    std::vector<std::string> fields;
    while (reader.next(fields))
        table.push_back(fields);
    rows = table.size();
    return reader.error();
#else
    std::string refusal;
    const auto table = readCsvTable(bytes, &refusal);
    rows = table ? table->size() : 0;
    return refusal;
#endif
}

std::string readSheet(const std::string& bytes, std::size_t& rows) {
    std::string refusal;
#ifdef LINTAVO_READERS_BEFORE
    const auto sheet = readXlsx(bytes);
    if (!sheet) refusal = "(none)";
#else
    const auto sheet = readXlsx(bytes, &refusal);
#endif
    rows = sheet ? sheet->size() : 0;
    return refusal;
}

int runOne(const Hostile& file) {
    const std::string bytes = file.make();
    const long made = peakKiB();
    const auto start = std::chrono::steady_clock::now();
    std::size_t rows = 0;
    std::string said;
    try {
        said = file.csv ? readCsv(bytes, rows) : readSheet(bytes, rows);
    } catch (const std::exception& e) {
        said = std::string("exception: ") + e.what();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-52s %9zu B %7.2f s %8.1f MB peak (%6.1f MB made) %8zu rows  %s\n", file.name,
                bytes.size(), seconds, static_cast<double>(peakKiB()) / 1024,
                static_cast<double>(made) / 1024, rows, said.c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--write") == 0) {
        for (const Hostile& file : files())
            std::ofstream(std::string(argv[2]) + "/" + file.file, std::ios::binary) << file.make();
        return 0;
    }
    if (argc > 1) {
        for (const Hostile& file : files()) {
            if (std::strcmp(file.name, argv[1]) == 0) return runOne(file);
        }
        std::fprintf(stderr, "no file named %s\n", argv[1]);
        return 2;
    }
    for (const Hostile& file : files()) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) _exit(runOne(file));
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::printf("%-52s ended by %s\n", file.name,
                        WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "an error");
    }
    return 0;
}
