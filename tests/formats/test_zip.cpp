// The ZIP container against Python's zipfile, an independent reader and writer: what we
// write it reads back entry for entry, and what it writes (deflated and stored) we read.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "formats/zip.h"

using namespace lintavo;

namespace {

// Bytes that deflate cannot shrink, so the writer stores them.
std::string noise(std::size_t n) {
    std::string s(n, '\0');
    unsigned x = 12345;
    for (char& c : s) {
        x = x * 1103515245U + 12345U;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

QByteArray qb(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// Runs a Python snippet with argv[1] = path; its standard output, or a failed check.
QByteArray python(const QString& script, const QString& path) {
    QProcess p;
    p.start(QStringLiteral(LINTAVO_SYSTEM_PYTHON), {QStringLiteral("-c"), script, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return "FAILED";
    }
    return p.readAllStandardOutput();
}

}  // namespace

class ZipTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty entry") << "empty.txt" << QByteArray();
        QTest::newRow("xml that deflates")
            << "xl/worksheets/sheet1.xml" << QByteArray("<row>1</row>").repeated(5000);
        QTest::newRow("noise that is stored") << "media/noise.bin" << qb(noise(70000));
        QTest::newRow("Chinese name")
            << QStringLiteral("渠段/流量Q.csv") << QByteArray("名称,流量Q\n渠段1,2.763\n");
        QTest::newRow("a megabyte of one byte") << "big.bin" << QByteArray(1 << 20, 'a');
    }

    // Ours written, Python's read: the same names, the same bytes.
    void roundTrip() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        ZipWriter zip;
        zip.add("first.txt", "first");
        zip.add(name.toStdString(), bytes.toStdString());
        const std::string container = zip.finish();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ours.zip"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(qb(container));
        file.close();
        const QByteArray read = python(QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    names = z.namelist()
    assert names[0] == 'first.txt' and z.read('first.txt') == b'first'
    assert all(i.flag_bits & 0x800 for i in z.infolist())
    sys.stdout.buffer.write(names[1].encode('utf-8') + b'\0' + z.read(names[1]))
)"),
                                       path);
        QCOMPARE(read, name.toUtf8() + '\0' + bytes);

        // And ours reads ours.
        const auto back = readZipEntry(container, name.toStdString());
        QVERIFY(back.has_value());
        QCOMPARE(qb(*back), bytes);
    }

    // Python's written, ours read, deflated and stored; a damaged entry or a missing one is
    // none rather than wrong bytes.
    void readsPythonsContainers_data() {
        QTest::addColumn<QString>("compression");
        QTest::newRow("deflated") << "ZIP_DEFLATED";
        QTest::newRow("stored") << "ZIP_STORED";
    }

    void readsPythonsContainers() {
        QFETCH(QString, compression);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("theirs.zip"));
        QCOMPARE(python(QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.%1) as z:
    z.writestr('a.xml', '<a>' + 'x' * 10000 + '</a>')
    z.writestr('说明.txt', '底宽b'.encode('utf-8'))
    z.comment = b'a trailing comment'
)")
                            .arg(compression),
                        path),
                 QByteArray());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        std::string container = file.readAll().toStdString();

        QCOMPARE(zipEntryNames(container), (std::vector<std::string>{"a.xml", "说明.txt"}));
        QCOMPARE(readZipEntry(container, "a.xml"), "<a>" + std::string(10000, 'x') + "</a>");
        QCOMPARE(readZipEntry(container, "说明.txt"), std::optional<std::string>("底宽b"));
        QVERIFY(!readZipEntry(container, "b.xml").has_value());

        // A flipped byte inside the data: the CRC (or inflate) catches it.
        const std::size_t data = container.find("a.xml") + 5 + 20;
        container[data] = static_cast<char>(container[data] ^ 0x55);
        QVERIFY(!readZipEntry(container, "a.xml").has_value());
        QVERIFY(!readZipEntry("not a zip at all", "a.xml").has_value());
        QVERIFY(zipEntryNames("").empty());
    }
};

QTEST_GUILESS_MAIN(ZipTest)
#include "test_zip.moc"
