// The section drawing as DXF, read back by ezdxf (Debian's python3-ezdxf), a reader that
// shares nothing with our writer: it must pass ezdxf's audit, have the layers, and show the
// outline, the water lines and the dimensions at true size in millimetres.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "formats/section_drawing.h"

using namespace lintavo;

namespace {

using Sections = std::vector<SectionOutline>;

}  // namespace

Q_DECLARE_METATYPE(Sections)

class DxfTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void drawing_data() {
        QTest::addColumn<Sections>("sections");
        QTest::addColumn<int>("scale");
        const std::optional<double> none;
        QTest::newRow("trapezoid 2 × 1, 1:1.5, at 1:50")
            << Sections{{2, 1, 1.5, none, none, ""}} << 50;
        QTest::newRow("rectangle, no slope text, at 1:20")
            << Sections{{0.8, 0.6, 0, none, none, ""}} << 20;
        QTest::newRow("odd decimals at 1:100")
            << Sections{{2.345, 0.528, 1.25, none, none, ""}} << 100;
        QTest::newRow("enlarged depth and bank height from the design check, at 1:100")
            << Sections{{3, 1.6, 1.5, 1.9, 2.6, ""}} << 100;
        QTest::newRow("enlarged depth alone: the bank a fifth above it, at 1:200")
            << Sections{{3, 1.6, 1.5, 1.9, none, ""}} << 200;
        QTest::newRow("three candidates side by side at 1:500")
            << Sections{{4.2, 1.1, 1, none, none, "方案一"},
                        {2.5, 1.6, 1, none, none, "方案二"},
                        {0.4, 2.9, 1, none, none, "方案三"}}
            << 500;
    }

    void drawing() {
        QFETCH(Sections, sections);
        QFETCH(int, scale);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("section.dxf"));
        std::ofstream(path.toStdString(), std::ios::binary)
            << dxf::write(sectionDrawing(sections, scale));
        QJsonArray expected;
        for (const SectionOutline& s : sections) {
            // The bank top: given, or 1.2 times the highest water.
            const double H =
                s.bankHeight ? *s.bankHeight : 1.2 * std::max(s.h, s.enlargedDepth.value_or(0));
            expected.append(
                QJsonObject{{QStringLiteral("b"), s.b},
                            {QStringLiteral("h"), s.h},
                            {QStringLiteral("m"), s.m},
                            {QStringLiteral("hb"), s.enlargedDepth ? QJsonValue(*s.enlargedDepth)
                                                                   : QJsonValue(QJsonValue::Null)},
                            {QStringLiteral("H"), H}});
        }
        const QJsonObject arguments{{QStringLiteral("scale"), scale},
                                    {QStringLiteral("sections"), expected}};
        QProcess check;
        check.start(QStringLiteral(LINTAVO_SYSTEM_PYTHON),
                    {QStringLiteral(LINTAVO_TESTS_DIR "/formats/check_dxf.py"), path,
                     QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact))});
        QVERIFY(check.waitForFinished(60000));
        const QString out =
            QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
        QVERIFY2(check.exitCode() == 0, qPrintable(out));
    }

    // The book never offers such a section (drawableToScale refuses it), but the writer
    // still writes its lengths as texts rather than overflowing a long on them.
    void lengthsBeyondAnyDrawing() {
        QVERIFY(!drawableToScale(1e30, 1e30, 1e30));
        const std::string written =
            dxf::write(sectionDrawing({{1e30, 1e30, 1e30, {}, {}, ""}}, 50));
        QVERIFY(written.ends_with("EOF\n") || written.ends_with("EOF\r\n"));
        QVERIFY(written.find("-9223372036854775808") == std::string::npos);
    }
};

QTEST_GUILESS_MAIN(DxfTest)
#include "test_dxf.moc"
