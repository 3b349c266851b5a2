// 100 000 rows in a batch window, on the offscreen platform: read from a CSV file as the
// window's 导入… reads it, computed as its 计算 computes them, and written out as its 导出…
// writes them; the seconds of each step and the process's peak resident memory after it.
// With `book`, 200 rows (or ROWS) as one calculation book instead, a PDF of a chapter a row.
//   bench_batch_window [ROWS]
//   bench_batch_window book [ROWS]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <fstream>
#include <string>

#include "calculators/batch.h"
#include "calculators/catalogue.h"
#include "formats/csv.h"
#include "shell/application.h"
#include "shell/batch_window.h"
#include "shell/calculator_window.h"
#include "tests/support/process_status.h"

namespace {

long peakKiB() {
    return lintavo::testing::processStatusKiB("VmHWM");
}

void report(const char* step, const QElapsedTimer& timer) {
    std::printf("%-28s %10.3f s %12ld KiB peak\n", step,
                static_cast<double>(timer.nsecsElapsed()) / 1e9, peakKiB());
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace lintavo;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool book = argc > 1 && std::string(argv[1]) == "book";
    const int first = book ? 2 : 1;
    const long count = argc > first ? std::stol(argv[first]) : book ? 200 : 100000;
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    prepareApplication(app);

    // Ordinary channels, the flow varied a little from row to row.
    const CalculatorTable& table = *calculationNamed("normal-depth");
    const QString in = QDir::temp().filePath(
        QStringLiteral("lintavo-bench-window-%1.csv").arg(QCoreApplication::applicationPid()));
    const QString out = QDir::temp().filePath(
        QStringLiteral("lintavo-bench-window-%1.xlsx").arg(QCoreApplication::applicationPid()));
    {
        std::ofstream file(in.toStdString(), std::ios::binary);
        std::string csv;
        appendCsvRecord(csv, {"名称", "流量Q", "底宽b", "边坡系数m", "底坡i", "糙率n"});
        for (long r = 0; r < count; ++r) {
            appendCsvRecord(csv, {"渠段" + std::to_string(r), "10." + std::to_string(r % 97), "5",
                                  "1.5", "0.0005", "0.025"});
            if (csv.size() > (1U << 16)) {
                file << csv;
                csv.clear();
            }
        }
        file << csv;
    }

    std::printf("%ld rows of %s in its batch window\n", count, table.window.title.data());
    QElapsedTimer timer;
    timer.start();
    CalculatorWindow calculator(table);
    calculator.openBatch();
    BatchWindow& batch = *calculator.batchWindow();
    QApplication::processEvents();
    report("window shown", timer);

    timer.start();
    const QString error = batch.importFrom(in);
    QApplication::processEvents();
    report("imported", timer);
    if (book) {
        const QString pdf = QDir::temp().filePath(
            QStringLiteral("lintavo-bench-book-%1.pdf").arg(QCoreApplication::applicationPid()));
        timer.start();
        const QString failed = batch.exportBook(pdf);
        report("book written", timer);
        std::printf("%lld bytes of PDF%s%s\n", static_cast<long long>(QFileInfo(pdf).size()),
                    failed.isEmpty() ? "" : ": ", qUtf8Printable(failed));
        QFile::remove(in);
        QFile::remove(pdf);
        return failed.isEmpty() ? 0 : 1;
    }
    timer.start();
    const BatchWindow::Outcome outcome = batch.compute();
    QApplication::processEvents();
    report("computed", timer);
    timer.start();
    const QString written = batch.exportTo(out);
    report("exported as .xlsx", timer);
    QFile::remove(in);
    QFile::remove(out);
    if (!error.isEmpty() || !written.isEmpty() || outcome.computed != count) {
        std::printf("failed: %s %s, %d rows computed\n", qUtf8Printable(error),
                    qUtf8Printable(written), outcome.computed);
        return 1;
    }
    std::printf("peak resident: %.1f MB\n", static_cast<double>(peakKiB()) / 1024.0);
    return 0;
}
