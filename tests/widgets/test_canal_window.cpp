// 渠道纵断面计算 on the offscreen platform, its settings and autosaves in a scratch location:
// every kind of edit (a typed cell, a pasted block, a row inserted or deleted, the head level,
// a control point) is one step that 撤销 takes back to the project before it and 重做 gives
// again, each written to the autosave before the edit returns; the results beside the rows
// are the profile's; a save that cannot be written says why and leaves the file whole; a
// project from a newer version is refused and the open one kept; an autosave left by a run
// that ended is found and recovered.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <functional>

#include "calculators/catalogue.h"
#include "calculators/menu_table.h"
#include "canal/profile.h"
#include "canal/project.h"
#include "formats/xlsx.h"
#include "shell/application.h"
#include "shell/calculator_window.h"
#include "shell/canal_window.h"
#include "shell/design_settings.h"
#include "shell/project_files.h"
#include "shell/project_session.h"
#include "shell/qt_text.h"
#include "shell/reach_models.h"
#include "shell/report_window.h"
#include "shell/shell.h"
#include "tests/widgets/modal_watchdog.h"

using namespace lintavo;

using Edit = std::function<void(CanalWindow&)>;
Q_DECLARE_METATYPE(Edit)

namespace {

// Three reaches from the head to a control at the tail, as an engineer types them.
const char* const threeReaches = R"({"format": "lintavo-project", "version": 1,
 "project": {"name": "试验灌区", "canal": "总干渠", "x-kept": "留着"},
 "levels": {"controls": [{"station": "K3+200", "ground": 1250.30, "h0": 0.15}]},
 "reaches": [
  {"name": "干1", "from": "K0+000", "to": "K1+250", "Q": "12", "b": "5", "m": "1.5",
   "i": "1/5000", "n": "0.025", "loss": "0.05"},
  {"name": "干2", "from": "K1+250", "to": "K2+400", "Q": "10", "b": "4.5", "m": "1.5",
   "i": "1/4000", "n": "0.025", "loss": "0.1"},
  {"name": "干3", "from": "K2+400", "to": "K3+200", "Q": "8", "b": "4", "m": "1.5",
   "i": "1/4000", "n": "0.025", "loss": ""}],
 "x-future": {"kept": [1, 2]}})";

QByteArray read(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QString writeScratch(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    if (out.open(QIODevice::WriteOnly)) out.write(bytes);
    return file;
}

// The batch of 水深h计算 as it exports its table: its own headers with units, a result and 说明.
const QByteArray batchCsv =
    "名称,流量Q (m³/s),底宽b (m),边坡系数m,底坡i,糙率n,水深h (m),说明\r\n"
    "支1,3.2,2,1.25,1/3000,0.022,1.104,\r\n"
    "支2,2.5,1.8,1.25,1/2500,0.022,,\r\n";

// The same two rows as a GB18030 CSV, as a spreadsheet saves it on a Chinese system; 起点桩号 and
// 终点桩号 in the columns of a reach.
const QByteArray gbCsv =
    "\xc3\xfb\xb3\xc6,\xc6\xf0\xb5\xe3\xd7\xae\xba\xc5,"
    "\xd6\xd5\xb5\xe3\xd7\xae\xba\xc5,Q,b,m,i,n\r\n"
    "\xb8\xc9\xc7\xfe\xd2\xbb,K3+200,K4+000,6,3,1.5,1/3000,0.025\r\n";

QByteArray xlsxOfReaches() {
    XlsxWriter out;
    out.addRow({{"名称", false},
                {"起点桩号", false},
                {"终点桩号", false},
                {"流量Q", false},
                {"底宽b", false},
                {"边坡系数m", false},
                {"底坡i", false},
                {"糙率n", false},
                {"局部水头损失Δh", false}});
    out.addRow({{"干4", false},
                {"K3+200", false},
                {"K4+000", false},
                {"6", true},
                {"3", true},
                {"1.5", true},
                {"0.0002", true},
                {"0.025", true},
                {"0.05", true}});
    out.addRow({{"干5", false},
                {"K4+000", false},
                {"K5+100", false},
                {"4", true},
                {"2.5", true},
                {"1.5", true},
                {"0.0002", true},
                {"0.025", true},
                {"", false}});
    const std::string bytes = std::move(out).finish("渠段");
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

QStringList texts(std::initializer_list<const char*> all) {
    QStringList list;
    for (const char* text : all)
        list.append(QString::fromUtf8(text));
    return list;
}

QByteArray bytesOf(const Project& project) {
    const std::string bytes = writeProject(project);
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

class TestCanalWindow : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        prepareApplication(*qApp);
        // The test-mode settings outlive a run: autosaves a run that died left listed there
        // are not this run's to recover.
        for (const LeftAutosave& left : leftAutosaves())
            QFile::remove(left.autosave);
        QVERIFY(leftAutosaves().empty());
        QVERIFY(folder_.isValid());
        file_ = folder_.filePath(QStringLiteral("总干渠.lintavo"));
        QFile out(file_);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(threeReaches);
    }

    void cleanup() {
        const QStringList unexpected = watchdog_.unexpected();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
    }

    void everyEditUndoesAndRedoes_data() {
        QTest::addColumn<Edit>("edit");
        const auto type = [](int row, int column, const char* text) {
            return Edit([=](CanalWindow& w) {
                const QModelIndex at = w.reachModel().index(row, column);
                w.reachTable()->setCurrentIndex(at);
                w.reachModel().setData(at, QString::fromUtf8(text), Qt::EditRole);
            });
        };
        QTest::newRow("a flow typed") << type(0, 3, "13.5");
        QTest::newRow("a slope typed as a ratio") << type(1, 6, "1/3000");
        QTest::newRow("a name typed") << type(2, 0, "干3'");
        QTest::newRow("a loss emptied") << type(0, 8, "");
        QTest::newRow("two rows pasted from a spreadsheet") << Edit([](CanalWindow& w) {
            QApplication::clipboard()->setText(QStringLiteral("11\t5.2\t1.25\r\n9\t4.6\t1.25\r\n"));
            w.reachTable()->setCurrentIndex(w.reachModel().index(0, 3));
            w.pasteRows();
        });
        QTest::newRow("a block pasted past the last row") << Edit([](CanalWindow& w) {
            QApplication::clipboard()->setText(
                QStringLiteral("干4\tK3+200\tK4+000\t6\t3\t1.5\t1/3000\t0.025\t0\n"));
            w.reachTable()->setCurrentIndex(w.reachModel().index(3, 0));
            w.pasteRows();
        });
        QTest::newRow("a reach inserted")
            << Edit([](CanalWindow& w) { w.reachModel().insertReach(1); });
        QTest::newRow("two reaches deleted") << Edit([](CanalWindow& w) {
            w.reachModel().removeReaches({2, 0, 2});
        });
        QTest::newRow("the batch's CSV imported after the reaches") << Edit([this](CanalWindow& w) {
            const QString csv =
                writeScratch(folder_.filePath(QStringLiteral("批量.csv")), batchCsv);
            QCOMPARE(w.importReaches(csv, false), QString());
        });
        QTest::newRow("an .xlsx imported over the reaches") << Edit([this](CanalWindow& w) {
            const QString xlsx =
                writeScratch(folder_.filePath(QStringLiteral("渠段.xlsx")), xlsxOfReaches());
            QCOMPARE(w.importReaches(xlsx, true), QString());
        });
        QTest::newRow("a head level typed") << Edit([](CanalWindow& w) {
            w.headLevel()->setText(QStringLiteral("1262.5"));
            Q_EMIT w.headLevel()->editingFinished();
        });
        QTest::newRow("a control's ground typed") << Edit([](CanalWindow& w) {
            QAbstractItemModel* controls = w.controlTable()->model();
            controls->setData(controls->index(0, 1), QStringLiteral("1249.8"), Qt::EditRole);
        });
    }

    void everyEditUndoesAndRedoes() {
        QFETCH(Edit, edit);
        CanalWindow w;
        w.show();
        ProjectSession& session = w.session();
        QCOMPARE(w.openFile(file_), QString());
        QVERIFY(!session.modified());
        const Project before = session.project();
        const QByteArray onDisk = read(file_);

        edit(w);
        const Project after = session.project();
        QVERIFY(after != before);
        QVERIFY(session.modified());
        QCOMPARE(session.undoStack().count(), 1);
        // On the disk before the edit returned, beside the file, which is untouched.
        QCOMPARE(read(autosaveBeside(file_)), bytesOf(after));
        QCOMPARE(read(file_), onDisk);
        // The table shows the profile's results for the project shown.
        const CanalProfile expected = computeProfile(after, bedTables());
        QCOMPARE(w.reachModel().rowCount(), static_cast<int>(after.reaches.size()));
        for (int row = 0; row < w.reachModel().rowCount(); ++row) {
            const ReachResult& r = expected.reaches[static_cast<std::size_t>(row)];
            const QString h = w.reachModel().index(row, 9).data().toString();
            QCOMPARE(h, r.h ? QString::number(*r.h, 'f', 3) : QString());
            const QString verdict = w.reachModel().index(row, reachVerdictColumn).data().toString();
            QCOMPARE(verdict, !r.computed()   ? QStringLiteral("无法计算")
                              : r.anyNotMet() ? QStringLiteral("不满足")
                                              : QStringLiteral("满足"));
        }

        session.undoStack().undo();
        QVERIFY(session.project() == before);
        QVERIFY(!session.modified());
        QCOMPARE(read(autosaveBeside(file_)), bytesOf(before));
        session.undoStack().redo();
        QVERIFY(session.project() == after);
        QCOMPARE(read(autosaveBeside(file_)), bytesOf(after));

        // Saved, the file holds the edit and the keys this version does not know; the autosave
        // has nothing more to give and goes.
        const QString saved = folder_.filePath(QStringLiteral("另存.lintavo"));
        QCOMPARE(w.saveTo(saved), QString());
        QVERIFY(!session.modified());
        QVERIFY(!QFileInfo::exists(autosaveBeside(file_)));
        QVERIFY(read(saved).contains("x-future"));
        QVERIFY(read(saved).contains("x-kept"));
        ProjectReading again = readProject(read(saved).toStdString(), bedTables());
        QVERIFY(again.project.has_value());
        QVERIFY(*again.project == after);
        QVERIFY(leftAutosaves().empty());
        QFile::remove(saved);
    }

    // What an import reads from each kind of file, the rows after the reaches already there
    // (three) or in their place; and a file it cannot use refused with the project untouched.
    void importsReachesByTheirHeaders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<int>("reaches");
        QTest::addColumn<QStringList>("last");  // the last reach's name from to Q b m i n loss
        QTest::addColumn<QString>("refusal");   // a part of the refusal; empty when it reads
        QTest::newRow("the batch's CSV, appended")
            << "批量.csv" << batchCsv << false << 5
            << texts({"支2", "", "", "2.5", "1.8", "1.25", "1/2500", "0.022", ""}) << "";
        QTest::newRow("the batch's CSV, replacing")
            << "批量.csv" << batchCsv << true << 2
            << texts({"支2", "", "", "2.5", "1.8", "1.25", "1/2500", "0.022", ""}) << "";
        QTest::newRow("an .xlsx by its writer")
            << "渠段.xlsx" << xlsxOfReaches() << false << 5
            << texts({"干5", "K4+000", "K5+100", "4", "2.5", "1.5", "0.0002", "0.025", ""}) << "";
        QTest::newRow("a GB18030 CSV")
            << "国标.csv" << gbCsv << false << 4
            << texts({"干渠一", "K3+200", "K4+000", "6", "3", "1.5", "1/3000", "0.025", ""}) << "";
        QTest::newRow("English headers, tab separated")
            << "英文.txt"
            << QByteArray(
                   "name\tfrom\tto\tQ\tb\tm\ti\tn\tloss\n"
                   "c1\t0\t900\t1.5\t1\t1\t0.0005\t0.017\t0.02\n")
            << true << 1 << texts({"c1", "0", "900", "1.5", "1", "1", "0.0005", "0.017", "0.02"})
            << "";
        QTest::newRow("no column a reach reads")
            << "别的.csv" << QByteArray("日期,温度\r\n2026-01-01,3\r\n") << true << 3
            << QStringList{} << "没有可以识别的列名";
        QTest::newRow("only stations")
            << "桩号.csv" << QByteArray("名称,起点桩号,终点桩号\r\n甲,0,100\r\n") << false << 3
            << QStringList{} << "没有可以识别的列名";
        QTest::newRow("headers and no rows") << "空表.csv" << QByteArray("Q,b,m,i,n\r\n") << false
                                             << 3 << QStringList{} << "没有渠段";
        QTest::newRow("an empty file")
            << "空.csv" << QByteArray() << true << 3 << QStringList{} << "没有任何数据";
        QTest::newRow("a CSV that is not UTF-8 nor GB18030")
            << "乱码.csv" << QByteArray("Q,b\r\n\xff\xfe\xff,1\r\n") << true << 3 << QStringList{}
            << "无法导入";
        QTest::newRow("a text called .xlsx")
            << "假的.xlsx" << QByteArray("Q,b,m,i,n\r\n1,2,3,4,5\r\n") << true << 3 << QStringList{}
            << "不是可以读取的 .xlsx 工作簿";
    }

    void importsReachesByTheirHeaders() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, replace);
        QFETCH(int, reaches);
        QFETCH(QStringList, last);
        QFETCH(QString, refusal);
        CanalWindow w;
        QCOMPARE(w.openFile(file_), QString());
        const Project before = w.session().project();
        const QString file = writeScratch(folder_.filePath(name), bytes);
        const QString why = w.importReaches(file, replace);
        QCOMPARE(w.reachModel().rowCount(), reaches);
        if (!refusal.isEmpty()) {
            QVERIFY2(why.contains(refusal), qPrintable(why));
            QVERIFY(w.session().project() == before);
            QCOMPARE(w.session().undoStack().count(), 0);
        } else {
            QCOMPARE(why, QString());
            QCOMPARE(w.session().undoStack().count(), 1);
            const Reach& r = w.session().project().reaches.back();
            for (int c = 0; c < reachInputColumns; ++c)
                QCOMPARE(qstr(*reachField(r, reachColumns[c].key)), last[c]);
            if (!replace)
                QVERIFY(std::equal(before.reaches.begin(), before.reaches.end(),
                                   w.session().project().reaches.begin()));
            // Undone whole, in one step.
            w.session().undoStack().undo();
            QVERIFY(w.session().project() == before);
        }
        QFile::remove(file);
        w.session().discard();
    }

    // A file not there is refused by its name.
    void aMissingFileIsNotImported() {
        CanalWindow w;
        const Project before = w.session().project();
        const QString why = w.importReaches(folder_.filePath(QStringLiteral("没有.csv")), false);
        QVERIFY2(why.contains(QStringLiteral("无法读取")), qPrintable(why));
        QVERIFY(w.session().project() == before);
        w.session().discard();
    }

    // 不满足 and a reach that cannot be computed are drawn in red, the others are not.
    void verdictsInRed() {
        CanalWindow w;
        QCOMPARE(w.openFile(file_), QString());
        QCOMPARE(w.typeReach(1, QStringLiteral("n"), QStringLiteral("0")), QString());
        const QModelIndex failed = w.reachModel().index(1, reachVerdictColumn);
        QCOMPARE(failed.data().toString(), QStringLiteral("无法计算"));
        QVERIFY(failed.data(Qt::ForegroundRole).isValid());
        QVERIFY(!failed.data(Qt::ToolTipRole).toString().isEmpty());
        // The others still compute.
        QVERIFY(!w.reachModel().index(0, 9).data().toString().isEmpty());
        QVERIFY(!w.reachModel().index(2, 9).data().toString().isEmpty());
        QCOMPARE(w.typeReach(0, QStringLiteral("x"), QStringLiteral("1")).isEmpty(), false);
        QCOMPARE(w.typeReach(7, QStringLiteral("Q"), QStringLiteral("1")).isEmpty(), false);
        w.session().discard();
    }

    // 文件 → 导出: each file is written whole in the format its name asks for, from the reaches
    // the window shows; a name it cannot write (another extension, a folder that is not there)
    // is refused with the reason and leaves nothing behind.
    void theProjectFilesItsExports_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");           // 0 table, 1 profile, 2 book, 3 sections
        QTest::addColumn<QByteArray>("begins");  // empty: refused
        QTest::addColumn<QByteArray>("holds");
        QTest::newRow("table as .xlsx") << "成果表.xlsx" << 0 << QByteArray("PK") << QByteArray();
        QTest::newRow("table as CSV")
            << "成果表.CSV" << 0 << QByteArray("\xEF\xBB\xBF") << QByteArray("干2");
        QTest::newRow("table as .txt") << "成果表.txt" << 0 << QByteArray() << QByteArray();
        QTest::newRow("profile") << "纵断面图.dxf" << 1 << QByteArray("0\r\nSECTION")
                                 << QByteArray("设计水位线");
        QTest::newRow("profile nowhere")
            << "没有的文件夹/纵断面图.dxf" << 1 << QByteArray() << QByteArray();
        QTest::newRow("book as PDF") << "计算书.pdf" << 2 << QByteArray("%PDF") << QByteArray();
        QTest::newRow("book as Word") << "计算书.docx" << 2 << QByteArray("PK") << QByteArray();
        QTest::newRow("book as .doc") << "计算书.doc" << 2 << QByteArray() << QByteArray();
        QTest::newRow("every reach's section, the last by its name")
            << "横断面图.dxf" << 3 << QByteArray("0\r\nSECTION") << QByteArray("干3  1:");
        QTest::newRow("sections nowhere")
            << "没有的文件夹/横断面图.dxf" << 3 << QByteArray() << QByteArray();
    }

    void theProjectFilesItsExports() {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(QByteArray, begins);
        QFETCH(QByteArray, holds);
        CanalWindow w;
        QCOMPARE(w.openFile(file_), QString());
        const QString target = folder_.filePath(name);
        const QString why = kind == 0   ? w.exportTable(target)
                            : kind == 1 ? w.exportProfile(target, 2000, 100)
                            : kind == 2 ? w.exportBook(target)
                                        : w.exportSections(target);
        if (begins.isEmpty()) {
            QVERIFY2(!why.isEmpty(), qPrintable(name));
            QVERIFY(!QFileInfo::exists(target));
            return;
        }
        QCOMPARE(why, QString());
        const QByteArray written = read(target);
        QVERIFY2(written.startsWith(begins), written.left(16).toHex().constData());
        QVERIFY(written.contains(holds));
    }

    // With no reach computed there is no section to draw: refused, nothing written.
    void noSectionsWithoutAComputedReach() {
        CanalWindow w;
        QCOMPARE(w.openFile(file_), QString());
        for (int row = 0; row < w.reachModel().rowCount(); ++row)
            QCOMPARE(w.typeReach(row, QStringLiteral("n"), QStringLiteral("0")), QString());
        const QString target = folder_.filePath(QStringLiteral("无断面.dxf"));
        QVERIFY(w.exportSections(target).contains(QStringLiteral("没有可以绘出横断面的渠段")));
        QVERIFY(!QFileInfo::exists(target));
        w.session().discard();
    }

    // A save into a folder that is not there fails, says why, and changes nothing.
    void aFailedSaveSaysWhy() {
        CanalWindow w;
        QCOMPARE(w.openFile(file_), QString());
        QCOMPARE(w.typeReach(0, QStringLiteral("Q"), QStringLiteral("12.5")), QString());
        const QString nowhere = folder_.filePath(QStringLiteral("没有的文件夹/a.lintavo"));
        const QString why = w.saveTo(nowhere);
        QVERIFY(why.startsWith(QStringLiteral("无法写入文件")));
        QVERIFY(!QFileInfo::exists(nowhere));
        QVERIFY(w.session().modified());
        QCOMPARE(w.session().file(), QFileInfo(file_).absoluteFilePath());
        w.session().discard();
    }

    void aNewerVersionIsRefused() {
        const QString newer = folder_.filePath(QStringLiteral("新版本.lintavo"));
        QFile out(newer);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray(threeReaches).replace("\"version\": 1", "\"version\": 2"));
        out.close();
        CanalWindow w;
        QCOMPARE(w.openFile(file_), QString());
        const Project open = w.session().project();
        const QString why = w.openFile(newer);
        QVERIFY(why.contains(QStringLiteral("无法打开工程文件")));
        QVERIFY(w.session().project() == open);
        QCOMPARE(w.session().file(), QFileInfo(file_).absoluteFilePath());
    }

    // A window gone with its edits unsaved (as a killed process leaves them) leaves its
    // autosave, which the next window recovers whole, still to be saved.
    void anAutosaveLeftIsRecovered() {
        Project edited;
        {
            CanalWindow w;
            QCOMPARE(w.openFile(file_), QString());
            QCOMPARE(w.typeReach(0, QStringLiteral("Q"), QStringLiteral("14")), QString());
            QCOMPARE(w.typeReach(2, QStringLiteral("i"), QStringLiteral("1/3500")), QString());
            edited = w.session().project();
        }
        const std::vector<LeftAutosave> left = leftAutosaves();
        QCOMPARE(left.size(), std::size_t{1});
        QCOMPARE(left.front().file, QFileInfo(file_).absoluteFilePath());
        CanalWindow w;
        QCOMPARE(w.recoverLatest(), QString());
        QVERIFY(w.session().project() == edited);
        QVERIFY(w.session().modified());
        QCOMPARE(w.session().file(), QFileInfo(file_).absoluteFilePath());
        w.session().discard();
        QVERIFY(leftAutosaves().empty());
        QVERIFY(!w.recoverLatest().isEmpty());
    }

    // Untitled, the autosave goes to the program's data location.
    void anUntitledProjectAutosavesInTheDataLocation() {
        CanalWindow w;
        QCOMPARE(w.typeReach(0, QStringLiteral("name"), QStringLiteral("支1")), QString());
        const QString autosave = w.session().autosave();
        QVERIFY(
            autosave.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        QCOMPARE(read(autosave), bytesOf(w.session().project()));
        w.session().discard();
        QVERIFY(!QFileInfo::exists(autosave));
    }

    // From the main window's button; 本段计算书 opens 水深h计算 with the reach's inputs pressed,
    // and its book beside it.
    void aReachBookIsOneClickAway() {
        Shell shell(calculations());
        shell.start();
        Form* menu = shell.windows().front();
        menu->button(menu::canalProfile)->click();
        CanalWindow* w = shell.canalWindow();
        QVERIFY(w != nullptr && w->isVisible());
        QVERIFY(!menu->isVisible());
        QCOMPARE(w->openFile(file_), QString());
        w->reachTable()->setCurrentIndex(w->reachModel().index(1, 0));
        auto* book = w->findChild<QPushButton*>(QStringLiteral("reachBook"));
        QVERIFY(book != nullptr);
        book->click();
        CalculatorWindow* depth = nullptr;
        for (Form* f : shell.windows()) {
            if (auto* c = qobject_cast<CalculatorWindow*>(f); c != nullptr && c->isVisible())
                depth = c;
        }
        QVERIFY(depth != nullptr);
        QCOMPARE(qstr(depth->table().alias), QStringLiteral("normal-depth"));
        QVERIFY(depth->pressed());
        QVERIFY(depth->reportWindow() != nullptr && depth->reportWindow()->isVisible());
        // The second reach's Q = 10 and i = 1/4000, as numbers.
        QCOMPARE(depth->findChild<QLineEdit*>(QStringLiteral("llQ1"))->text(),
                 QStringLiteral("10"));
        QCOMPARE(depth->findChild<QLineEdit*>(QStringLiteral("dpi1"))->text(),
                 QStringLiteral("0.00025"));
        QVERIFY(w->isVisible());
    }

  private:
    QTemporaryDir folder_;
    QString file_;
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(TestCanalWindow)
#include "test_canal_window.moc"
