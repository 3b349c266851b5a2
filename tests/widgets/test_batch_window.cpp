// The batch window of every calculator window, on the offscreen platform: opened from the
// window's menu and by its shortcut; twenty reaches pasted from a spreadsheet, one of them
// failing, computed row for row as runPress computes them, the failed row shaded with its
// sentence as a tooltip, a circle's second depth in 说明 of a row computed; a paste at a cell;
// a selection copied; 取消 in the middle of a long batch keeps the rows computed so far and
// leaves the rest untouched; the book has a chapter a row, and 取消 while it is made leaves the
// file there as it was.

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <string>

#include "calculators/batch.h"
#include "calculators/catalogue.h"
#include "calculators/explain.h"
#include "shell/application.h"
#include "shell/batch_model.h"
#include "shell/batch_window.h"
#include "shell/calculator_window.h"

using namespace lintavo;

Q_DECLARE_METATYPE(const lintavo::CalculatorTable*)

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The entries of the menu a right-click on the window's background brings up.
QStringList backgroundMenu(CalculatorWindow& w) {
    QStringList entries;
    QTimer::singleShot(0, &w, [&entries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        for (const QAction* a : menu->actions())
            entries << a->text() + QLatin1Char('\t') + a->shortcut().toString();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), w.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&w, &event);
    QApplication::processEvents();
    return entries;
}

// Twenty reaches with the inputs of an ordinary channel, varied; the eighth has no number
// where its second input belongs.
std::vector<std::vector<std::string>> twentyReaches(const CalculatorTable& table) {
    const std::string_view alias = calculationAlias(table);
    std::vector<std::string> base =
        alias == "bottom-slope" ? std::vector<std::string>{"5", "2", "1", "1", "0.025"}
        : alias == "section"    ? std::vector<std::string>{"10", "1", "1", "0.001", "0.025"}
                                : std::vector<std::string>{"5", "2", "1", "0.001", "0.025"};
    // The section shapes read other quantities: their worked examples.
    if (alias.starts_with("u-") || alias.starts_with("arc-toe-") || alias.starts_with("circle-")) {
        base.clear();
        for (std::size_t k = 0; k < rowsWith(table.window, Role::Input).size(); ++k)
            base.emplace_back(table.example.at(k));
    }
    std::vector<std::vector<std::string>> rows;
    for (int k = 0; k < 20; ++k) {
        std::vector<std::string> row = base;
        row[0] += (row[0].find('.') == std::string::npos ? "." : "") + std::to_string(k);
        // The U filled from a tenth of its arc to twice its height, the arc's top near 0.41 m.
        if (alias == "u-discharge") row[2] = std::to_string(0.05 * (k + 1)).substr(0, 4);
        if (k == 7) row[1] = "二";
        rows.push_back(row);
    }
    return rows;
}

// 说明 of the first reach, which computes: empty, or the remark of a press that makes one.
QString expected0Note(const CalculatorTable& table, const std::vector<std::string>& reach) {
    Record record;
    return runPress(table.press, reach, record) ? qs(record.remark)
                                                : qs(explainFailure(table, record).sentence);
}

}  // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { prepareApplication(*qApp); }

    void initTestCase_data() {
        QTest::addColumn<const CalculatorTable*>("table");
        for (const CalculatorTable& table : calculations())
            QTest::newRow(table.window.name.data()) << &table;
    }

    void opensFromTheMenuAndTheShortcut() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        CalculatorWindow w(*table);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.batchWindow() == nullptr);
        const QStringList menu = backgroundMenu(w);
        QVERIFY2(menu.contains(QStringLiteral("批量计算…\tCtrl+B")),
                 qPrintable(menu.join(QLatin1Char('|'))));
        QCOMPARE(menu.last().section(QLatin1Char('\t'), 0, 0), QStringLiteral("计算书…"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(w.batchWindow() != nullptr && w.batchWindow()->isVisible());
        QStringList header;
        const BatchModel& model = *w.batchWindow()->model();
        for (int c = 0; c < model.columnCount(); ++c)
            header << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QStringList columns;
        for (const std::string& c : batchColumns(*table))
            columns << qs(c);
        QCOMPARE(header, columns);
        // Hidden with its calculator window.
        w.hide();
        QVERIFY(!w.batchWindow()->isVisible());
    }

    // Pasted with the window's labels as a header; each row's texts are the press's.
    void pastedReachesComputeAsThePress() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        CalculatorWindow w(*table);
        w.openBatch();
        BatchWindow& batch = *w.batchWindow();
        const auto columns = batchColumns(*table);
        const auto inputs = rowsWith(table->window, Role::Input).size();
        QString paste = QStringLiteral("名称");
        for (std::size_t k = 0; k < inputs; ++k)
            paste += QLatin1Char('\t') + qs(columns[1 + k]);
        paste += QLatin1Char('\n');
        const auto reaches = twentyReaches(*table);
        for (std::size_t r = 0; r < reaches.size(); ++r) {
            paste += QStringLiteral("渠段%1").arg(r + 1);
            for (const std::string& s : reaches[r])
                paste += QLatin1Char('\t') + qs(s);
            paste += QStringLiteral("\r\n");
        }
        QCOMPARE(batch.pasteText(paste), QString());
        const BatchWindow::Outcome outcome = batch.compute();
        QCOMPARE(outcome.computed, 20);
        const BatchModel& model = *batch.model();
        QCOMPARE(model.rowCount(), 20);
        const int note = static_cast<int>(columns.size()) - 1;
        int failed = 0;
        for (int r = 0; r < 20; ++r) {
            Record record;
            const auto texts = runPress(table->press, reaches[std::size_t(r)], record);
            QStringList expected{QStringLiteral("渠段%1").arg(r + 1)};
            for (const std::string& s : reaches[std::size_t(r)])
                expected << qs(s);
            for (std::size_t k = 0; k + inputs + 2 < columns.size(); ++k)
                expected << (texts ? qs((*texts)[k]) : QString());
            expected << (texts ? qs(record.remark) : qs(explainFailure(*table, record).sentence));
            if (!texts) ++failed;
            QStringList found;
            for (int c = 0; c < model.columnCount(); ++c)
                found << model.index(r, c).data().toString();
            QCOMPARE(found, expected);
            // A failed row shaded and its sentence in red, with the sentence as a tooltip;
            // a computed row plain, its results in red.
            const QModelIndex name = model.index(r, 0);
            const QModelIndex said = model.index(r, note);
            QCOMPARE(name.data(Qt::BackgroundRole).isValid(), !texts);
            QCOMPARE(said.data(Qt::ToolTipRole).toString(), expected.last());
            QCOMPARE(said.data(Qt::ForegroundRole).isValid(), !texts);
            QCOMPARE(model.index(r, note - 1).data(Qt::ForegroundRole).value<QBrush>().color(),
                     QColor(Qt::red));
            QCOMPARE(model.failed(r), !texts);
        }
        // Results and 说明 are 计算's to write; names and inputs the user's.
        QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
        QVERIFY(!(model.flags(model.index(0, note)) & Qt::ItemIsEditable));
        QVERIFY(!batch.model()->setData(model.index(0, note), QStringLiteral("x"), Qt::EditRole));
        QCOMPARE(model.index(0, note).data().toString(), expected0Note(*table, reaches[0]));
        QVERIFY(failed >= 1);
        QCOMPARE(outcome.failed, failed);
        // A circle's reaches run past its full pipe's discharge to beyond its peak: rows with
        // a second depth in 说明 that are not failures, and rows refused; a U's reaches are
        // filled within its arc and above it.
        const auto remarked = [&] {
            int count = 0;
            for (int r = 0; r < 20; ++r)
                count += !model.failed(r) && !model.index(r, note).data().toString().isEmpty();
            return count;
        }();
        const std::string_view alias = calculationAlias(*table);
        if (alias == "circle-normal-depth") {
            QVERIFY2(remarked >= 2 && failed >= 3, qPrintable(QString::number(remarked)));
        } else {
            QCOMPARE(remarked, 0);
        }
        if (alias == "u-discharge") {
            int within = 0;
            for (const auto& reach : reaches) {
                if (reach[1] == "二") continue;
                const double r = std::stod(reach[0]);
                const double top = r * (1 - std::sin(std::stod(reach[1]) * std::acos(-1.0) / 180));
                within += std::stod(reach[2]) < top;
            }
            QVERIFY2(within >= 3 && within <= 15, qPrintable(QString::number(within)));
        }
        // Copied for a spreadsheet: the header and twenty lines, tab-separated.
        const QStringList lines =
            batch.tableText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 21);
        QStringList header;
        for (const std::string& c : columns)
            header << qs(c);
        QCOMPARE(lines.front(), header.join(QLatin1Char('\t')));
    }

    // A paste without a header fills from the current cell, passing over results and 说明,
    // with the field's rule for line breaks.
    void pasteAtACell() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        CalculatorWindow w(*table);
        w.openBatch();
        BatchWindow& batch = *w.batchWindow();
        batch.grid()->setCurrentIndex(batch.model()->index(3, 1));
        QCOMPARE(batch.pasteText(QStringLiteral("\"1\n\"\t２\t3\t4\t5\n")), QString());
        // As far as the inputs go: a circle reads four.
        const auto inputs = std::min<qsizetype>(
            5, static_cast<qsizetype>(rowsWith(table->window, Role::Input).size()));
        QStringList found;
        for (int c = 0; c <= inputs; ++c)
            found << batch.model()->index(3, c).data().toString();
        QCOMPARE(found, (QStringList{QString(), QStringLiteral("1"), QStringLiteral("２"),
                                     QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")})
                            .first(inputs + 1));
        // Past the last row, the table grows to take the paste.
        batch.grid()->setCurrentIndex(batch.model()->index(19, 0));
        QCOMPARE(batch.pasteText(QStringLiteral("a\t1\nb\t2\nc\t3\n")), QString());
        QCOMPARE(batch.model()->rowCount(), 22);
        QCOMPARE(batch.model()->index(21, 1).data().toString(), QStringLiteral("3"));
        // Ctrl+C on a selection: its cells as a spreadsheet takes them.
        batch.show();
        batch.grid()->setFocus();
        batch.grid()->selectionModel()->select(
            QItemSelection(batch.model()->index(20, 0), batch.model()->index(21, 1)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(batch.grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b\t2\r\nc\t3\r\n"));
    }

    // 取消 between rows: what was computed stays, the rest is untouched.
    void cancelKeepsWhatWasComputed() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        CalculatorWindow w(*table);
        w.openBatch();
        BatchWindow& batch = *w.batchWindow();
        QString paste;
        for (int r = 0; r < 5000; ++r)
            paste += QStringLiteral("r\t5\t2\t1\t0.001\t0.025\n");
        QCOMPARE(batch.pasteText(paste), QString());
        connect(&batch, &BatchWindow::progressed, &batch, [&batch](int done, int) {
            if (done >= 1000) batch.cancel();
        });
        const BatchWindow::Outcome outcome = batch.compute();
        QVERIFY(outcome.cancelled);
        QVERIFY(outcome.computed >= 1000 && outcome.computed < 5000);
        const BatchModel& model = *batch.model();
        const int note = model.noteColumn();
        const int result = note - 1;
        const auto written = [&](int r) {
            return !model.text(r, result).empty() || !model.text(r, note).empty();
        };
        QVERIFY(written(outcome.computed - 1));
        QVERIFY(!written(outcome.computed));
        QVERIFY(!batch.computing());
    }

    // The book: a chapter a row that holds anything, the pages numbered on; 取消 while it is
    // made writes nothing, and a file already there stays as it was.
    void bookHasAChapterARowAndCancelWritesNothing() {
        QFETCH_GLOBAL(const CalculatorTable*, table);
        CalculatorWindow w(*table);
        w.openBatch();
        BatchWindow& batch = *w.batchWindow();
        QString why;
        QVERIFY(!batch.book(why));
        QCOMPARE(why, QStringLiteral("表格中没有可以写入计算书的行。"));
        QString paste;
        for (const auto& reach : twentyReaches(*table)) {
            for (const std::string& s : reach)
                paste += qs(s) + QLatin1Char('\t');
            paste += QLatin1Char('\n');
        }
        batch.grid()->setCurrentIndex(batch.model()->index(0, 1));
        QCOMPARE(batch.pasteText(paste), QString());
        int chapters = 0;
        connect(&batch, &BatchWindow::progressed, &batch, [&chapters](int done, int total) {
            QCOMPARE(total, 20);
            chapters = done;
        });
        const auto pdf = batch.book(why);
        QVERIFY2(pdf.has_value(), qPrintable(why));
        QVERIFY(pdf->startsWith("%PDF-"));
        QCOMPARE(chapters, 20);
        const QString said = batch.findChild<QLabel*>(QStringLiteral("status"))->text();
        QVERIFY2(said.startsWith(QStringLiteral("计算书共 20 章、")), qPrintable(said));

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("book.pdf"));
        {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the book before");
        }
        connect(&batch, &BatchWindow::progressed, &batch, [&batch](int done, int) {
            if (done == 3) batch.cancel();
        });
        QCOMPARE(batch.exportBook(file), QStringLiteral("已取消：计算书没有导出。"));
        QCOMPARE(chapters, 3);
        QVERIFY(!batch.computing());
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the book before"));
    }
};

QTEST_MAIN(BatchWindowTest)
#include "test_batch_window.moc"
