// The section drawing as DXF, read back by ezdxf (Debian's python3-ezdxf), a reader that
// shares nothing with our writer: it must pass ezdxf's audit, have the layers, and show the
// outline, the water lines and the dimensions at true size in whole millimetres as shown, in
// the A3 frame with its title block; and LibreCAD must print every line, dimension and text.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <limits>

#include "formats/docx.h"
#include "formats/profile_dxf.h"
#include "formats/section_drawing.h"

using namespace lintavo;

namespace {

using Sections = std::vector<SectionOutline>;
using Reaches = std::vector<ProfileReach>;

// A reach with every level, its bed `depth` under the water and its bank `bank` above the bed.
ProfileReach reach(std::string name, double from, double to, std::string slope, double wlUp,
                   double wlDown, double depth, double enlarged, double bank) {
    ProfileReach r{std::move(name), from, to, std::move(slope), {}, {}, {}, {}};
    r.wl = ProfileEnds{wlUp, wlDown};
    r.bed = ProfileEnds{wlUp - depth, wlDown - depth};
    r.wlb = ProfileEnds{wlUp - depth + enlarged, wlDown - depth + enlarged};
    r.bank = ProfileEnds{wlUp - depth + bank, wlDown - depth + bank};
    return r;
}

// The metres a text shows, for the checker, which draws them in whole millimetres.
double shownMetres(const std::string& text, double value) {
    bool number = false;
    const double shown =
        QString::fromStdString(text).section(QChar(0xFF08), 0, 0).toDouble(&number);
    return number ? shown : value;
}

// The shape as the checker reads it.
QJsonObject shapeJson(const SectionShape& shape) {
    if (const auto* u = std::get_if<ArcBottom>(&shape))
        return {{QStringLiteral("kind"), QStringLiteral("u")},
                {QStringLiteral("r"), u->r},
                {QStringLiteral("alpha"), u->alphaDegrees}};
    if (const auto* t = std::get_if<ArcToeTrapezoid>(&shape))
        return {{QStringLiteral("kind"), QStringLiteral("arc-toe")}, {QStringLiteral("r"), t->r}};
    if (const auto* c = std::get_if<Circle>(&shape))
        return {{QStringLiteral("kind"), QStringLiteral("circle")}, {QStringLiteral("D"), c->D}};
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Sections)
Q_DECLARE_METATYPE(Reaches)
Q_DECLARE_METATYPE(ProfileScales)
Q_DECLARE_METATYPE(BookInfo)

class DxfTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void drawing_data() {
        QTest::addColumn<Sections>("sections");
        QTest::addColumn<int>("scale");
        QTest::addColumn<BookInfo>("book");
        const std::optional<double> none;
        const BookInfo signed_{"南干渠改建工程", "", "张三", "李四", "王五"};
        QTest::newRow("trapezoid 2 × 1, 1:1.5, at 1:50")
            << Sections{{2, 1, 1.5, none, none, ""}} << 50 << BookInfo{};
        QTest::newRow("rectangle, no slope text, at 1:20, names signed")
            << Sections{{0.8, 0.6, 0, none, none, ""}} << 20 << signed_;
        QTest::newRow("odd decimals at 1:100")
            << Sections{{2.345, 0.528, 1.25, none, none, ""}} << 100 << BookInfo{};
        QTest::newRow("h cut to 2.109 in the window, drawn 2109 not 2110, at 1:50")
            << Sections{{2, 2.1099, 1, none, none, "", "2.109", "2"}} << 50 << signed_;
        QTest::newRow("b and h computed, shown as the book's full values, at 1:50")
            << Sections{{1.23456, 0.98765, 1, none, none, "", "0.98765（计算值）",
                         "1.23456（计算值）"}}
            << 50 << BookInfo{};
        QTest::newRow("enlarged depth and bank height from the design check, at 1:100")
            << Sections{{3, 1.6, 1.5, 1.9, 2.6, ""}} << 100 << BookInfo{};
        QTest::newRow("H of six digits drawn to the millimetre, at 1:100")
            << Sections{{3, 1.6, 1.5, 1.90237, 2.62559, ""}} << 100 << signed_;
        QTest::newRow("enlarged depth alone: the bank a fifth above it, at 1:200")
            << Sections{{3, 1.6, 1.5, 1.9, none, ""}} << 200 << BookInfo{};
        // Lined sections: their arcs as ARCs at true size, tangent to the walls; a circle as a
        // CIRCLE of D/2; the bank tops of the canal's rank at H.
        QTest::newRow("U r = 0.5, α = 10°, at 1:20")
            << Sections{{0, 0.8, sideSlopeOf(ArcBottom{0.5, 10}), none, none, "", "", "",
                         ArcBottom{0.5, 10}}}
            << 20 << BookInfo{};
        QTest::newRow("U semicircle, vertical walls, checked, bank tops 1 m wide, at 1:20")
            << Sections{{0, 0.6, 0, 0.7, 0.95, "", "0.6", "", ArcBottom{0.5, 0}, 1.0}} << 20
            << signed_;
        QTest::newRow("arc-toe trapezoid b 1.5, r 0.4, 1:1.25, at 1:50")
            << Sections{{1.5, 1.3, 1.25, none, none, "", "", "1.5",
                         ArcToeTrapezoid{1.5, 0.4, 1.25}}}
            << 50 << BookInfo{};
        QTest::newRow("arc-toe with vertical walls and bank tops, at 1:50")
            << Sections{{1, 1.2, 0, 1.35, 1.7, "", "", "", ArcToeTrapezoid{1, 0.3, 0}, 2.0}} << 50
            << BookInfo{};
        QTest::newRow("circle D 1.2 near its crown, at 1:20")
            << Sections{{0, 1.1, 0, none, none, "", "", "", Circle{1.2}}} << 20 << BookInfo{};
        QTest::newRow("circle with the enlarged level inside it, at 1:20")
            << Sections{{0, 0.7, 0, 0.85, none, "", "", "", Circle{1.2}}} << 20 << signed_;
        QTest::newRow("trapezoid of a 支渠: bank tops 2 m wide at H, at 1:100")
            << Sections{{3, 1.6, 1.5, 1.9, 2.6, "", "", "", std::nullopt, 2.0}} << 100 << signed_;
        QTest::newRow("a U beside a circle and a trapezoid at 1:50")
            << Sections{{0, 0.8, sideSlopeOf(ArcBottom{0.5, 10}), none, none, "方案一", "", "",
                         ArcBottom{0.5, 10}},
                        {0, 1.1, 0, none, none, "方案二", "", "", Circle{1.2}},
                        {2, 1, 1.5, none, none, "方案三"}}
            << 50 << BookInfo{};
        QTest::newRow("three candidates side by side at 1:500")
            << Sections{{4.2, 1.1, 1, none, none, "方案一"},
                        {2.5, 1.6, 1, none, none, "方案二"},
                        {0.4, 2.9, 1, none, none, "方案三"}}
            << 500 << signed_;
    }

    void drawing() {
        QFETCH(Sections, sections);
        QFETCH(int, scale);
        QFETCH(BookInfo, book);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("section.dxf"));
        std::ofstream(path.toStdString(), std::ios::binary)
            << dxf::write(sectionDrawing(sections, scale, {book, "2026-12-09"}));
        QJsonArray expected;
        const auto orNull = [](std::optional<double> x) {
            return x ? QJsonValue(*x) : QJsonValue(QJsonValue::Null);
        };
        for (const SectionOutline& s : sections) {
            // The bank top: given, or (null) 1.2 times the highest water.
            QJsonObject section{{QStringLiteral("b"), shownMetres(s.widthText, s.b)},
                                {QStringLiteral("h"), shownMetres(s.depthText, s.h)},
                                {QStringLiteral("m"), s.m},
                                {QStringLiteral("hb"), orNull(s.enlargedDepth)},
                                {QStringLiteral("H"), orNull(s.bankHeight)},
                                {QStringLiteral("W"), orNull(s.bankTopWidth)}};
            if (s.shape) section.insert(QStringLiteral("shape"), shapeJson(*s.shape));
            expected.append(section);
        }
        const auto names =
            QJsonObject{{QStringLiteral("name"), QString::fromStdString(book.project)},
                        {QStringLiteral("designer"), QString::fromStdString(book.designer)},
                        {QStringLiteral("checker"), QString::fromStdString(book.checker)},
                        {QStringLiteral("reviewer"), QString::fromStdString(book.reviewer)},
                        {QStringLiteral("date"), QStringLiteral("2026-12-09")}};
        const QJsonObject arguments{{QStringLiteral("scale"), scale},
                                    {QStringLiteral("sections"), expected},
                                    {QStringLiteral("book"), names},
                                    {QStringLiteral("librecad"), true}};
        QProcess check;
        check.start(QStringLiteral(LINTAVO_SYSTEM_PYTHON),
                    {QStringLiteral(LINTAVO_TESTS_DIR "/formats/check_dxf.py"), path,
                     QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact))});
        QVERIFY(check.waitForFinished(60000));
        const QString out =
            QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
        QVERIFY2(check.exitCode() == 0, qPrintable(out));
    }

    // The canal's profile, read back by ezdxf as `lintavo-calc project --json` gives the
    // levels: each level a line along its reach, every value of the elevation table at its
    // station (a junction's two where a level steps), the 比降 of each reach, the title block;
    // and LibreCAD prints it on a sheet of its size.
    void profile_data() {
        QTest::addColumn<Reaches>("reaches");
        QTest::addColumn<ProfileScales>("scales");
        QTest::addColumn<BookInfo>("book");
        const BookInfo signed_{"南干渠改建工程", "", "张三", "李四", "王五"};
        QTest::newRow("one reach at 1:2000 and 1:100")
            << Reaches{reach("干1", 0, 1250, "1/5000", 1262.5, 1262.25, 1.8, 2.1, 2.6)}
            << ProfileScales{} << signed_;
        QTest::newRow("three reaches, the bed stepping down where the depth falls")
            << Reaches{reach("干1", 0, 1250, "1/5000", 1262.5, 1262.25, 1.8, 2.1, 2.6),
                       reach("干2", 1250, 2100.5, "1/4000", 1262.2, 1261.987375, 1.5, 1.75, 2.2),
                       reach("干3", 2100.5, 3200, "1/3000", 1261.937375, 1261.571042, 1.2, 1.4,
                             1.8)}
            << ProfileScales{} << BookInfo{};
        QTest::newRow("a long canal at 1:5000 and 1:200 on a lengthened sheet")
            << Reaches{reach("总干", 0, 6000, "1/8000", 1500, 1499.25, 2.5, 2.9, 3.4),
                       reach("干1", 6000, 9500, "1/6000", 1499.1, 1498.516667, 2.1, 2.45, 2.9)}
            << ProfileScales{5000, 200} << signed_;
        Reaches partial{reach("支1", 500, 900, "1/2000", 820.4, 820.2, 0.9, 1.05, 1.3),
                        reach("支2", 900, 1400, "0", 820.15, 820.15, 0.7, 0.8, 1.0)};
        partial[1].wlb.reset();
        partial[1].slope = "1/2500";
        QTest::newRow("a reach without its 加大 level, starting at K0+500, at 1:1000")
            << partial << ProfileScales{1000, 50} << BookInfo{};
    }

    void profile() {
        QFETCH(Reaches, reaches);
        QFETCH(ProfileScales, scales);
        QFETCH(BookInfo, book);
        QVERIFY2(profileRefusal(reaches, scales).empty(), profileRefusal(reaches, scales).c_str());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("profile.dxf"));
        std::ofstream(path.toStdString(), std::ios::binary)
            << dxf::write(profileDrawing(reaches, scales, {book, "2026-12-09"}, "南干渠"));
        QJsonArray expected;
        for (const ProfileReach& r : reaches) {
            QJsonObject o{{QStringLiteral("from"), r.from},
                          {QStringLiteral("to"), r.to},
                          {QStringLiteral("i"), QString::fromStdString(r.slope)}};
            const std::pair<const char*, const std::optional<ProfileEnds>*> levels[] = {
                {"bed", &r.bed}, {"wl", &r.wl}, {"wlb", &r.wlb}, {"bank", &r.bank}};
            for (const auto& [key, level] : levels) {
                if (!*level) continue;
                o.insert(QStringLiteral("%1_up").arg(QLatin1String(key)), (*level)->up);
                o.insert(QStringLiteral("%1_down").arg(QLatin1String(key)), (*level)->down);
            }
            expected.append(o);
        }
        const QJsonObject arguments{
            {QStringLiteral("horizontal"), scales.horizontal},
            {QStringLiteral("vertical"), scales.vertical},
            {QStringLiteral("reaches"), expected},
            {QStringLiteral("book"),
             QJsonObject{{QStringLiteral("name"), QString::fromStdString(book.project)},
                         {QStringLiteral("designer"), QString::fromStdString(book.designer)}}},
            {QStringLiteral("librecad"), true}};
        QProcess check;
        check.start(
            QStringLiteral(LINTAVO_SYSTEM_PYTHON),
            {QStringLiteral(LINTAVO_TESTS_DIR "/formats/check_dxf.py"), QStringLiteral("--profile"),
             path, QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact))});
        QVERIFY(check.waitForFinished(120000));
        const QString out =
            QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
        QVERIFY2(check.exitCode() == 0, qPrintable(out));
    }

    // What the profile refuses to draw, and says why.
    void profileRefused_data() {
        QTest::addColumn<Reaches>("reaches");
        QTest::addColumn<ProfileScales>("scales");
        QTest::addColumn<QString>("because");
        const ProfileReach one = reach("干1", 0, 1250, "1/5000", 1262.5, 1262.25, 1.8, 2.1, 2.6);
        QTest::newRow("no reach") << Reaches{} << ProfileScales{} << QStringLiteral("没有");
        QTest::newRow("a scale of 1:0")
            << Reaches{one} << ProfileScales{0, 100} << QStringLiteral("1:0");
        QTest::newRow("120 km at 1:2000 is 60 m long")
            << Reaches{reach("干1", 0, 120000, "1/5000", 1262.5, 1238.5, 1.8, 2.1, 2.6)}
            << ProfileScales{} << QStringLiteral("较小的水平比例");
        QTest::newRow("a fall of 1200 m at 1:100 is 12 m high")
            << Reaches{reach("陡", 0, 5000, "1/4", 2500, 1300, 1.8, 2.1, 2.6)}
            << ProfileScales{50000, 100} << QStringLiteral("较小的垂直比例");
        ProfileReach nan = one;
        nan.bed = ProfileEnds{std::numeric_limits<double>::quiet_NaN(), 0};
        QTest::newRow("a level that is no number")
            << Reaches{nan} << ProfileScales{} << QStringLiteral("有限");
        QTest::newRow("overlapping reaches")
            << Reaches{one, reach("干2", 1200, 2000, "1/5000", 1262, 1261.8, 1.5, 1.7, 2)}
            << ProfileScales{} << QStringLiteral("重叠");
    }

    void profileRefused() {
        QFETCH(Reaches, reaches);
        QFETCH(ProfileScales, scales);
        QFETCH(QString, because);
        const QString refusal = QString::fromStdString(profileRefusal(reaches, scales));
        QVERIFY2(refusal.contains(because), qPrintable(refusal));
    }

    // The canal's Word book, read by python-docx: the project and the three names on its first
    // page, the profile's computation with each control's sum, and a chapter for every reach
    // with that reach's own normal-depth book.
    void canalWordBook() {
        QFile tables(QStringLiteral(LINTAVO_STANDARD_TABLES));
        QVERIFY(tables.open(QIODevice::ReadOnly));
        const BedTables beds = bedsOf(parseStandardTables(tables.readAll().toStdString()));
        Project project;
        project.info = {"南干渠改建工程", "南干渠", "张三", "李四", "王五", {}};
        project.levels.controls = {{"K2+100.5", "1258.40", "0.15", {}}};
        project.reaches = {
            {"干1", "K0+000", "K1+250", "12", "5", "1.5", "1/5000", "0.025", "0.05", {}},
            {"干2", "K1+250", "K2+100.5", "8", "4", "1.5", "1/4000", "0.025", "", {}}};
        CanalProfile profile;
        profile.inletStation = 0;
        profile.inletLevel = 1258.55 + 0.25 + 0.05 + 850.5 / 4000;
        profile.governing = 0;
        ControlResult control;
        control.station = 2100.5;
        control.required = 1258.55;
        control.inletNeeds = *profile.inletLevel;
        control.wl = 1258.55;
        control.margin = 0;
        control.reach = 1;
        profile.controls = {control};
        for (const Reach& r : project.reaches) {
            ReachResult result;
            result.name = r.name;
            profile.reaches.push_back(result);
        }
        profile.reaches[0].from = 0, profile.reaches[0].to = 1250, profile.reaches[0].L = 1250;
        profile.reaches[0].i = 1.0 / 5000, profile.reaches[0].loss = 0.05;
        profile.reaches[1].from = 1250, profile.reaches[1].to = 2100.5;
        profile.reaches[1].L = 850.5, profile.reaches[1].i = 1.0 / 4000;
        const CanalBook book =
            canalBook(project, profile, beds, "2026-12-09 07:00", "Lintavo 测试");
        QCOMPARE(book.chapters.size(), std::size_t{2});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("canal.docx"));
        std::ofstream(path.toStdString(), std::ios::binary) << canalBookDocx(book);
        // The control's sum: 1/5000 × 1250 and 1/4000 × 850.5, the loss of 干1's structure.
        const QJsonObject expected{
            {QStringLiteral("project"), QStringLiteral("南干渠改建工程")},
            {QStringLiteral("title"), QStringLiteral("南干渠 计算书")},
            {QStringLiteral("names"),
             QJsonArray{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五")}},
            {QStringLiteral("chapters"),
             QJsonArray{QStringLiteral("第 1 段　干1（K0+000～K1+250）"),
                        QStringLiteral("第 2 段　干2（K1+250～K2+100.5）")}},
            {QStringLiteral("reach_book"), QStringLiteral("明渠均匀流水深计算 计算书")},
            {QStringLiteral("sums"),
             QJsonArray{QStringLiteral("= 1258.40 + 0.15 + (0.250 + 0.213) + 0.050 = %1 m")
                            .arg(*profile.inletLevel, 0, 'f', 3)}},
            {QStringLiteral("cells"),
             QJsonArray{QStringLiteral("12"), QStringLiteral("8"), QStringLiteral("1/5000"),
                        QStringLiteral("1/4000")}}};
        QProcess check;
        check.start(
            QStringLiteral(LINTAVO_SYSTEM_PYTHON),
            {QStringLiteral(LINTAVO_TESTS_DIR "/formats/check_dxf.py"), QStringLiteral("--book"),
             path, QString::fromUtf8(QJsonDocument(expected).toJson(QJsonDocument::Compact))});
        QVERIFY(check.waitForFinished(60000));
        const QString out =
            QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
        QVERIFY2(check.exitCode() == 0, qPrintable(out));
    }

    // The files lintavo-calc writes for a project, against its own --json: the profile's
    // lines and table values at their stations, the Word book's first page and chapters.
    void canalFiles_data() {
        QTest::addColumn<QByteArray>("project");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("scales");
        const QByteArray head = R"({"format": "lintavo-project", "version": 1,
            "project": {"name": "南干渠改建工程", "canal": "南干渠", "designer": "张三",
                        "checker": "李四", "reviewer": "王五"}, "settings": {},)";
        const QByteArray reaches = R"("reaches": [
            {"name": "干1", "from": "K0+000", "to": "K1+250", "Q": "12", "b": "5", "m": "1.5",
             "i": "1/5000", "n": "0.025", "loss": "0.05"},
            {"name": "干2", "from": "K1+250", "to": "K2+100.5", "Q": "8", "b": "3", "m": "1.5",
             "i": "1/4000", "n": "0.025", "loss": "0.1"},
            {"name": "干3", "from": "K2+100.5", "to": "K3+200", "Q": "5", "b": "2.5", "m": "1.25",
             "i": "1/3000", "n": "0.022", "loss": ""}]})";
        QTest::newRow("controls at a junction and at the tail")
            << head + R"("levels": {"controls": [{"station": "K1+250", "ground": 1250.1,
                 "h0": 0.15}, {"station": "K3+200", "ground": 1249.2, "h0": 0.2}]},)" +
                   reaches
            << 0 << QString();
        QTest::newRow("a head level, drawn at 1:5000 and 1:200")
            << head + R"("levels": {"head": {"wl": 1262.5}},)" + reaches << 0
            << QStringLiteral("5000:200");
        QTest::newRow("a reach with a zero n, the others still drawn")
            << head + R"("levels": {"head": {"wl": 1262.5}}, "reaches": [
                {"name": "干1", "from": "K0+000", "to": "K1+250", "Q": "12", "b": "5", "m": "1.5",
                 "i": "1/5000", "n": "0.025", "loss": "0.05"},
                {"name": "干2", "from": "K1+250", "to": "K2+000", "Q": "8", "b": "3", "m": "1.5",
                 "i": "1/4000", "n": "0", "loss": ""}]})"
            << 1 << QString();
    }

    void canalFiles() {
        QFETCH(QByteArray, project);
        QFETCH(int, status);
        QFETCH(QString, scales);
        // The profile's scales: the ones asked for, else 1:2000 along and 1:100 up.
        const int horizontal =
            scales.isEmpty() ? 2000 : scales.section(QLatin1Char(':'), 0, 0).toInt();
        const int vertical =
            scales.isEmpty() ? 100 : scales.section(QLatin1Char(':'), 1, 1).toInt();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("南干渠.lintavo"));
        const QString dxfFile = dir.filePath(QStringLiteral("纵断面.dxf"));
        const QString docxFile = dir.filePath(QStringLiteral("计算书.docx"));
        const QString sectionsFile = dir.filePath(QStringLiteral("横断面.dxf"));
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(project);
        }
        QStringList arguments{QStringLiteral("project"),
                              file,
                              QStringLiteral("--json"),
                              QStringLiteral("--profile"),
                              dxfFile,
                              QStringLiteral("--book"),
                              docxFile,
                              QStringLiteral("--sections"),
                              sectionsFile};
        if (!scales.isEmpty()) arguments << QStringLiteral("--profile-scale") << scales;
        QProcess calc;
        calc.start(QStringLiteral(LINTAVO_CALC), arguments);
        QVERIFY(calc.waitForFinished(60000));
        QVERIFY2(calc.exitCode() == status, calc.readAllStandardError().constData());
        const QJsonObject result = QJsonDocument::fromJson(calc.readAllStandardOutput()).object();
        const QJsonArray typed =
            QJsonDocument::fromJson(project).object().value(QStringLiteral("reaches")).toArray();
        QJsonArray drawn;
        QJsonArray chapters;
        QJsonArray cells;
        const QJsonArray reaches = result.value(QStringLiteral("reaches")).toArray();
        QCOMPARE(reaches.size(), typed.size());
        for (qsizetype k = 0; k < reaches.size(); ++k) {
            QJsonObject r = reaches[k].toObject();
            const QJsonObject t = typed[k].toObject();
            r.insert(QStringLiteral("i"), t.value(QStringLiteral("i")));
            drawn.append(r);
            chapters.append(QStringLiteral("第 %1 段　%2（%3～%4）")
                                .arg(k + 1)
                                .arg(t.value(QStringLiteral("name")).toString(),
                                     t.value(QStringLiteral("from")).toString(),
                                     t.value(QStringLiteral("to")).toString()));
            cells.append(t.value(QStringLiteral("Q")));
        }
        // Each computed reach's section, b and m as typed, h, hb and H as computed.
        QJsonArray sections;
        std::vector<SectionOutline> outlines;
        for (qsizetype k = 0; k < reaches.size(); ++k) {
            const QJsonObject r = reaches[k].toObject();
            const QJsonObject t = typed[k].toObject();
            if (!r.value(QStringLiteral("h")).isDouble()) continue;
            const double b = t.value(QStringLiteral("b")).toString().toDouble();
            const double m = t.value(QStringLiteral("m")).toString().toDouble();
            const QJsonValue hb = r.value(QStringLiteral("hb"));
            const QJsonValue H = r.value(QStringLiteral("H"));
            sections.append(
                QJsonObject{{QStringLiteral("b"), b},
                            {QStringLiteral("m"), m},
                            {QStringLiteral("h"), r.value(QStringLiteral("h"))},
                            {QStringLiteral("hb"), hb.isDouble() ? hb : QJsonValue()},
                            {QStringLiteral("H"), H.isDouble() ? H : QJsonValue()},
                            {QStringLiteral("title"), t.value(QStringLiteral("name"))}});
            SectionOutline o;
            o.b = b;
            o.h = r.value(QStringLiteral("h")).toDouble();
            o.m = m;
            if (hb.isDouble()) o.enlargedDepth = hb.toDouble();
            if (H.isDouble()) o.bankHeight = H.toDouble();
            outlines.push_back(o);
        }
        QVERIFY(!outlines.empty());
        const auto check = [](const QString& mode, const QString& path, const QJsonObject& what) {
            QProcess p;
            QStringList command{QStringLiteral(LINTAVO_TESTS_DIR "/formats/check_dxf.py")};
            if (!mode.isEmpty()) command << mode;
            command << path
                    << QString::fromUtf8(QJsonDocument(what).toJson(QJsonDocument::Compact));
            p.start(QStringLiteral(LINTAVO_SYSTEM_PYTHON), command);
            p.waitForFinished(120000);
            return p.exitCode() == 0
                       ? QString()
                       : QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        };
        const QString drawing =
            check(QStringLiteral("--profile"), dxfFile,
                  {{QStringLiteral("horizontal"), horizontal},
                   {QStringLiteral("vertical"), vertical},
                   {QStringLiteral("reaches"), drawn},
                   {QStringLiteral("book"),
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("南干渠改建工程")},
                                {QStringLiteral("designer"), QStringLiteral("张三")}}}});
        QVERIFY2(drawing.isEmpty(), qPrintable(drawing));
        // The reaches' sections side by side, each by its name, printed by LibreCAD.
        const QString sectionsDrawn =
            check(QString(), sectionsFile,
                  {{QStringLiteral("scale"), fittingScale(outlines)},
                   {QStringLiteral("sections"), sections},
                   {QStringLiteral("librecad"), true},
                   {QStringLiteral("book"),
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("南干渠改建工程")},
                                {QStringLiteral("designer"), QStringLiteral("张三")}}}});
        QVERIFY2(sectionsDrawn.isEmpty(), qPrintable(sectionsDrawn));
        const QString book = check(
            QStringLiteral("--book"), docxFile,
            {{QStringLiteral("project"), QStringLiteral("南干渠改建工程")},
             {QStringLiteral("title"), QStringLiteral("南干渠 计算书")},
             {QStringLiteral("names"),
              QJsonArray{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五")}},
             {QStringLiteral("chapters"), chapters},
             {QStringLiteral("reach_book"), QStringLiteral("明渠均匀流水深计算 计算书")},
             {QStringLiteral("sums"), QJsonArray{}},
             {QStringLiteral("cells"), cells}});
        QVERIFY2(book.isEmpty(), qPrintable(book));
    }

    // The lengths a drawing draws: the shown text's number in whole millimetres.
    void shown_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("metres");
        QTest::addColumn<double>("millimetres");
        QTest::newRow("h cut to 2.109 in the field") << QStringLiteral("2.109") << 2.1099 << 2109.0;
        QTest::newRow("no text: the value, rounded") << QString() << 2.1099 << 2110.0;
        QTest::newRow("the book's 计算值 mark") << QStringLiteral("1.5（计算值）") << 1.5 << 1500.0;
        QTest::newRow("four decimals typed: to the millimetre")
            << QStringLiteral("0.8126") << 0.8126 << 813.0;
        QTest::newRow("no number in the text: the value")
            << QStringLiteral("—") << 1.2346 << 1235.0;
        QTest::newRow("shown as 0.000: the value, unrounded")
            << QStringLiteral("0.000") << 0.0004 << 0.4;
    }

    void shown() {
        QFETCH(QString, text);
        QFETCH(double, metres);
        QFETCH(double, millimetres);
        QCOMPARE(shownMillimetres(text.toStdString(), metres), millimetres);
    }

    // What a dimension's text reads: whole millimetres, in its own text where it has one.
    void dimensionTexts_data() {
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("angle");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2109 along") << 2109.0 << 0.0 << QString() << QStringLiteral("2109");
        QTest::newRow("H up, labelled")
            << 3254.8 << 90.0 << QStringLiteral("渠深 H=<>") << QStringLiteral("渠深 H=3255");
        QTest::newRow("a text of its own without the number")
            << 1000.0 << 0.0 << QStringLiteral("见详图") << QStringLiteral("见详图");
        QTest::newRow("half a millimetre rounds up")
            << 1600.5 << 90.0 << QStringLiteral("<> mm") << QStringLiteral("1601 mm");
    }

    void dimensionTexts() {
        QFETCH(double, length);
        QFETCH(double, angle);
        QFETCH(QString, own);
        QFETCH(QString, shown);
        const dxf::Point end = angle == 0 ? dxf::Point{length, 0} : dxf::Point{0, length};
        const dxf::Dimension d{"尺寸标注", {0, 0}, end, {0, 0}, angle, own.toStdString()};
        QCOMPARE(QString::fromStdString(dxf::dimensionText(d)), shown);
    }

    // The scale the export offers first: the section with its labels inside the A3 frame above
    // the title block (370 × 227 paper millimetres), the least of the series that holds it.
    void fitting_data() {
        QTest::addColumn<Sections>("sections");
        QTest::addColumn<int>("least");
        QTest::addColumn<int>("scale");
        const std::optional<double> none;
        QTest::newRow("2 m bottom: 1:20 holds its 6.7 m")
            << Sections{{2, 1, 1.5, none, none, ""}} << 20 << 20;
        QTest::newRow("asked 1:100 and it fits: 1:100")
            << Sections{{2, 1, 1.5, none, none, ""}} << 100 << 100;
        QTest::newRow("30 m bottom, 3 m deep, 1:2: 46 m wants 1:200")
            << Sections{{30, 3, 2, none, none, ""}} << 20 << 200;
        QTest::newRow("asked 1:75, too small for the 30 m canal: 1:100 is not, 1:200")
            << Sections{{30, 3, 2, none, none, ""}} << 75 << 200;
        QTest::newRow("a 12 m deep rectangle: its height wants 1:100")
            << Sections{{2, 12, 0, none, none, ""}} << 20 << 100;
    }

    void fitting() {
        QFETCH(Sections, sections);
        QFETCH(int, least);
        QFETCH(int, scale);
        QCOMPARE(fittingScale(sections, least), scale);
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
