// The ZIP container against Python's zipfile, an independent reader and writer: what we
// write it reads back entry for entry, and what it writes (deflated and stored) we read.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "formats/zip.h"
#include "tests/support/hostile_files.h"

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

// A container of one small entry, "a.xml", with `bytes` written over it at `at` from the
// start of the record whose signature is `record` ("PK\1\2", the directory entry, or
// "PK\5\6", the end record).
QByteArray patched(std::string_view record, std::size_t at, std::string_view bytes) {
    ZipWriter zip;
    zip.add("a.xml", "<a>" + std::string(100, 'x') + "</a>");
    std::string container = zip.finish();
    container.replace(container.rfind(record) + at, bytes.size(), bytes);
    return qb(container);
}

// Runs Debian's Python (whose zipfile we trust) with argv[1] = path; its standard output, or
// a failed check.
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
        std::string refusal;
        QVERIFY(!readZipEntry(container, "a.xml", &refusal).has_value());
        QVERIFY(!refusal.empty());
        QVERIFY(!readZipEntry("not a zip at all", "a.xml", &refusal).has_value());
        QVERIFY(refusal.starts_with("文件不是完好的 ZIP 容器"));
        QVERIFY(zipEntryNames("").empty());
        // A missing entry is no refusal.
        QVERIFY(!readZipEntry(container, "b.xml", &refusal).has_value());
        QVERIFY(refusal.empty());
    }

    // Containers made to exhaust a reader, or that it cannot read: each refused with its
    // sentence, before anything near the size they claim is allocated.
    void refusals_data() {
        QTest::addColumn<QByteArray>("container");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a directory that claims 0xFFFFFFF0 bytes")
            << qb(hostile::claimedSize(0xFFFFFFF0)) << "解压后有 4095 MiB，超过了 64 MiB 的上限";
        QTest::newRow("a bomb of 100 MiB in 100 KiB")
            << qb(hostile::deflateBomb(100)) << "解压后有 100 MiB，超过了 64 MiB 的上限";
        QTest::newRow("the bomb said to be 60 MiB")
            << qb(hostile::deflateBomb(60, 60U << 20)) << "压缩比超过 200 比 1";
        QTest::newRow("the bomb said to be 1 MiB")
            << qb(hostile::deflateBomb(10, 1U << 20)) << "解压后比记录的大小更大";
        // Deflates 4 MiB to a few KiB, then noise: 60 to 1 in all, and a bomb for its first
        // megabyte, which the reader sees as it inflates.
        ZipWriter zip;
        zip.add("a.xml", std::string(std::size_t{4} << 20, '<') + noise(70000));
        QTest::newRow("a bomb hidden before noise") << qb(zip.finish()) << "压缩比超过 200 比 1";
        QTest::newRow("a password") << patched("PK\1\2", 8, "\x01") << "设有密码";
        QTest::newRow("bzip2") << patched("PK\1\2", 10, "\x0C") << "不支持的压缩方法（编号 12）";
        QTest::newRow("ZIP64") << patched("PK\5\6", 10, "\xFF\xFF") << "ZIP64";
        QTest::newRow("a directory past the end")
            << patched("PK\5\6", 16, std::string_view("\x00\x00\x01", 3))
            << "它的目录指向文件以外的位置";
        QTest::newRow("an entry past the directory")
            << patched("PK\1\2", 42, std::string_view("\x00\x00\x01", 3))
            << "记录的位置或压缩大小超出了文件本身";
        QTest::newRow("a packed size past the directory")
            << patched("PK\1\2", 20, std::string_view("\x00\x00\x01", 3))
            << "记录的位置或压缩大小超出了文件本身";
        QTest::newRow("a stored entry of two sizes")
            << patched("PK\1\2", 10, std::string_view("\0", 1)) << "两个记录的大小不一致";
        QTest::newRow("a split container") << patched("PK\5\6", 4, "\x01") << "分卷";
    }

    void refusals() {
        QFETCH(QByteArray, container);
        QFETCH(QString, refusal);
        const std::string bytes = container.toStdString();
        const std::string name = zipEntryNames(bytes).empty() ? "xl/worksheets/sheet1.xml"
                                                              : zipEntryNames(bytes).front();
        std::string said;
        QVERIFY(!readZipEntry(bytes, name, &said).has_value());
        QVERIFY2(QString::fromStdString(said).contains(refusal), said.c_str());
    }
};

QTEST_GUILESS_MAIN(ZipTest)
#include "test_zip.moc"
