// The canal project: stations read and written, the project file read, refused and written
// back (unknown keys kept at every level, a newer version refused, hostile files refused
// within bounds), and the profile's bookkeeping a window relies on: a failing reach marked
// while the others compute, a gap named by its two stations, a control beyond the canal.
// The levels themselves are checked against a computation of their own by
// tests/formats/canal_profile.py.

#include <QTest>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "canal/json.h"
#include "canal/profile.h"
#include "canal/project.h"
#include "canal/standard_data.h"

using namespace lintavo;

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// JSON written with ' for ", so that it needs no escapes: q("{'a': 1}") → {"a": 1}.
std::string q(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\'') c = '"';
    return out;
}

QString qs(std::string_view s) {
    return text(q(s));
}

QByteArray qb(std::string_view s) {
    return QByteArray::fromStdString(q(s));
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

const BedTables& beds() {
    return builtinBedTables();
}

// A small project in the file's own form, with `reaches` and `levels` spliced in.
std::string projectText(const std::string& reaches, const std::string& levels,
                        const std::string& extra = "") {
    return q("{'format': 'lintavo-project', 'version': 1, 'project': {'name': '示例'},") +
           q(" 'settings': {'class': '4'}, 'levels': ") + levels + q(", 'reaches': [") + reaches +
           "]" + extra + "}";
}

std::string reachText(const char* from, const char* to, const char* n = "0.025",
                      const char* i = "1/5000") {
    return std::string(q("{'name': '渠段', 'from': '")) + from + q("', 'to': '") + to +
           q("', 'Q': '5', 'b': '3', 'm': '1.5', 'i': '") + i + q("', 'n': '") + n +
           q("', 'loss': '0.05'}");
}

Project read(const std::string& bytes) {
    const ProjectReading reading = readProject(bytes, beds());
    if (!reading.project) qFatal("refused: %s", reading.refusal.c_str());
    return *reading.project;
}

}  // namespace

class CanalTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(builtinStandardTables().error.empty(), builtinStandardTables().error.c_str());
        QVERIFY(!beds().beds.empty());
    }

    void stations_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("metres");  // NaN: refused
        QTest::addColumn<QString>("written");
        const double no = std::nan("");
        QTest::newRow("km and metres") << "K1+250" << 1250.0 << "K1+250";
        QTest::newRow("decimals") << "K1+250.5" << 1250.5 << "K1+250.5";
        QTest::newRow("head") << "K0+000" << 0.0 << "K0+000";
        QTest::newRow("small k, blanks") << " k12+040 " << 12040.0 << "K12+040";
        QTest::newRow("metres") << "1250" << 1250.0 << "K1+250";
        QTest::newRow("metres with decimals") << "3800.25" << 3800.25 << "K3+800.25";
        QTest::newRow("full width") << "Ｋ２＋１００" << 2100.0 << "K2+100";
        QTest::newRow("millimetres") << "K0+000.001" << 0.001 << "K0+000.001";
        QTest::newRow("metres past 1000") << "K1+1250" << no << "";
        QTest::newRow("negative") << "-5" << no << "";
        QTest::newRow("no plus") << "K1250" << no << "";
        QTest::newRow("blank inside") << "K1 +250" << no << "";
        QTest::newRow("empty") << "" << no << "";
        QTest::newRow("letters") << "abc" << no << "";
        QTest::newRow("exponent") << "1e3" << no << "";
        QTest::newRow("two points") << "K1+2.5.0" << no << "";
        QTest::newRow("km with a point") << "K1.5+000" << no << "";
    }
    void stations() {
        QFETCH(QString, typed);
        QFETCH(double, metres);
        QFETCH(QString, written);
        const std::optional<double> read = parseStation(utf8(typed));
        if (std::isnan(metres)) {
            QVERIFY(!read.has_value());
            return;
        }
        QVERIFY(read.has_value());
        QCOMPARE(std::bit_cast<std::uint64_t>(*read), std::bit_cast<std::uint64_t>(metres));
        QCOMPARE(text(formatStation(*read)), written);
        QCOMPARE(parseStation(formatStation(*read)), read);
    }

    void json_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("object") << qb("{'a': [1, -2.5e3, true, null], 'b': {'c': '\\u4e2d'}}")
                                << true;
        QTest::newRow("surrogate pair") << qb("['\\ud83d\\ude00']") << true;
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF{}") << true;
        QTest::newRow("trailing comma") << qb("{'a': 1,}") << false;
        QTest::newRow("duplicate key") << qb("{'a': 1, 'a': 2}") << false;
        QTest::newRow("lone surrogate") << qb("['\\ud83d']") << false;
        QTest::newRow("leading zero") << QByteArray("[01]") << false;
        QTest::newRow("control character") << QByteArray("[\"a\tb\"]") << false;
        QTest::newRow("bad UTF-8") << QByteArray("[\"\xC0\xAF\"]") << false;
        QTest::newRow("text after") << QByteArray("{} {}") << false;
        QTest::newRow("unterminated") << qb("{'a': 'b") << false;
        QTest::newRow("deep") << QByteArray(200, '[') + QByteArray(200, ']') << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }
    void json() {
        QFETCH(QByteArray, json);
        QFETCH(bool, accepted);
        std::string refusal;
        const std::optional<JsonValue> value = parseJson(json.toStdString(), &refusal);
        QCOMPARE(value.has_value(), accepted);
        QCOMPARE(refusal.empty(), accepted);
        if (!value) {
            QVERIFY2(refusal.starts_with("第 "), refusal.c_str());
            return;
        }
        // Written and read again, the same value.
        const std::optional<JsonValue> again = parseJson(writeJson(*value));
        QVERIFY(again.has_value());
        QVERIFY(*again == *value);
    }

    void numbers_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("written");
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("slope") << 1.0 / 5000 << "0.0002";
        QTest::newRow("level") << 1250.3 << "1250.3";
        QTest::newRow("third") << 1.0 / 3 << "0.3333333333333333";
        QTest::newRow("tiny") << 1e-7 << "1e-07";
        QTest::newRow("negative zero") << -0.0 << "0";
    }
    void numbers() {
        QFETCH(double, x);
        QFETCH(QString, written);
        QCOMPARE(text(jsonNumber(x).value_or("?")), written);
        QCOMPARE(std::bit_cast<std::uint64_t>(std::stod(*jsonNumber(x)) + 0.0),
                 std::bit_cast<std::uint64_t>(x + 0.0));
    }

    // Every key read is written back, the unknown ones after the known, at every level.
    void roundTrip() {
        const std::string file =
            q("{'format': 'lintavo-project', 'version': 1, 'future': {'x': [1, 2]},") +
            q(" 'project': {'name': '示例灌区', 'canal': '总干渠', 'designer': '张三',") +
            q(" 'checker': '李四', 'reviewer': '王五', 'phone': '0931'},") +
            q(" 'settings': {'class': '4', 'enlarge': '20', 'bed': '中壤土', 'later': true},") +
            q(" 'levels': {'controls': [{'station': 'K3+200', 'ground': 1250.30, 'h0': 0.15,") +
            q(" 'note': '村口'}], 'head': {'wl': 1262.50, 'source': '渠首闸'}, 'datum': '1985'},") +
            q(" 'reaches': [{'name': '干1', 'from': 'K0+000', 'to': 'K1+250', 'Q': 12,") +
            q(" 'b': '5', 'm': '1.5', 'i': '1/5000', 'n': '0.025', 'loss': '0.05',") +
            q(" 'lining': {'kind': '混凝土'}}]}");
        const Project project = read(file);
        QCOMPARE(text(project.info.reviewer), QStringLiteral("王五"));
        QCOMPARE(project.info.unknown.size(), std::size_t(1));
        QCOMPARE(project.settings.canalClass, 4);
        QCOMPARE(project.settings.bed, std::string("中壤土"));
        QCOMPARE(project.settingsUnknown.size(), std::size_t(1));
        QCOMPARE(project.levels.controls.at(0).ground, std::string("1250.30"));
        QCOMPARE(project.levels.controls.at(0).unknown.size(), std::size_t(1));
        QCOMPARE(project.levels.headLevel.value_or(""), std::string("1262.50"));
        QCOMPARE(project.levels.headUnknown.size(), std::size_t(1));
        QCOMPARE(project.levels.unknown.size(), std::size_t(1));
        QCOMPARE(project.reaches.at(0).Q, std::string("12"));
        QCOMPARE(project.reaches.at(0).unknown.size(), std::size_t(1));
        QCOMPARE(project.unknown.size(), std::size_t(1));

        const std::string written = writeProject(project);
        QVERIFY(read(written) == project);
        QCOMPARE(writeProject(read(written)), written);  // stable
        // The numbers stay numbers with their digits as typed; the key order is the file's.
        QVERIFY(written.find("\"ground\": 1250.30") != std::string::npos);
        QVERIFY(written.find("\"wl\": 1262.50") != std::string::npos);
        QVERIFY(written.find("\"format\"") < written.find("\"version\""));
        QVERIFY(written.find("\"reaches\"") < written.find("\"future\""));
        QVERIFY(written.find("\"loss\"") < written.find("\"lining\""));
        QVERIFY(written.find("\"reviewer\"") < written.find("\"phone\""));
        QVERIFY(written.find("\"lining\": {") != std::string::npos);
    }

    void refusals_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("says");  // a part of the refusal
        const std::string good = reachText("K0+000", "K1+000");
        QTest::newRow("not JSON") << "渠道"
                                  << "JSON";
        QTest::newRow("an array") << "[]"
                                  << "不是 Lintavo 工程文件";
        QTest::newRow("other format")
            << qs("{'format': 'lintavo-batch', 'version': 1}") << "lintavo-project";
        QTest::newRow("no version") << qs("{'format': 'lintavo-project'}") << "版本号";
        QTest::newRow("newer version")
            << qs("{'format': 'lintavo-project', 'version': 2}") << "更新版本";
        QTest::newRow("fractional version")
            << qs("{'format': 'lintavo-project', 'version': 1.5}") << "版本号";
        QTest::newRow("reaches not a list")
            << qs("{'format': 'lintavo-project', 'version': 1, 'reaches': {}}") << "“reaches”";
        QTest::newRow("a key twice")
            << text(projectText("", q("{'head': {'wl': 100}}"), q(", 'reaches': []"))) << "重复";
        QTest::newRow("reach not an object")
            << text(projectText("5", q("{'head': {'wl': 100}}"))) << "第 1 个渠段";
        QTest::newRow("Q a list") << text(projectText(q("{'name': 'a', 'Q': [1]}"),
                                                      q("{'head': {'wl': 100}}")))
                                  << "“Q”";
        QTest::newRow("name a number") << text(projectText(good, q("{'head': {'wl': 100}}")) + "")
                                              .replace(qs("'name': '示例'"), qs("'name': 5"))
                                       << "工程信息“name”";
        QTest::newRow("bad setting") << text(projectText(good, q("{'head': {'wl': 100}}")))
                                            .replace(qs("'class': '4'"), qs("'class': '9'"))
                                     << "设计设置“class”";
        QTest::newRow("unknown bed") << text(projectText(good, q("{'head': {'wl': 100}}")))
                                            .replace(qs("'class': '4'"), qs("'bed': '月球土'"))
                                     << "设计设置“bed”";
        QTest::newRow("controls not a list")
            << text(projectText(good, q("{'controls': 5}"))) << "controls";
        QTest::newRow("head not an object")
            << text(projectText(good, q("{'head': 100}"))) << "head";
        std::string many;
        for (std::size_t k = 0; k <= maxReaches; ++k)
            many += (k > 0 ? "," : "") + std::string("{}");
        QTest::newRow("too many reaches")
            << text(projectText(many, q("{'head': {'wl': 100}}"))) << "渠段多于";
    }
    void refusals() {
        QFETCH(QString, file);
        QFETCH(QString, says);
        const ProjectReading reading = readProject(file.toStdString(), beds());
        QVERIFY(!reading.project.has_value());
        QVERIFY2(text(reading.refusal).contains(says), reading.refusal.c_str());
    }

    // A file far past the bound is refused before it is parsed.
    void oversized() {
        const std::string huge(maxProjectBytes + 1, ' ');
        const ProjectReading reading = readProject(huge, beds());
        QVERIFY(!reading.project.has_value());
        QVERIFY(text(reading.refusal).contains(QStringLiteral("MB")));
    }

    void profileMarks_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("failing");  // the reach (0-based) that fails, or −1
        QTest::addColumn<QString>("says");
        QTest::addColumn<bool>("levelsAfter");  // whether the reaches after it have levels
        const std::string a = reachText("K0+000", "K1+000");
        const std::string c = reachText("K2+000", "K3+000");
        const std::string head = q("{'head': {'wl': 100}}");
        QTest::newRow("all computed")
            << text(projectText(a + "," + reachText("1000", "2000") + "," + c, head)) << -1 << ""
            << true;
        QTest::newRow("zero n")
            << text(projectText(a + "," + reachText("K1+000", "K2+000", "0") + "," + c, head)) << 1
            << "糙率" << true;
        QTest::newRow("slope not a number")
            << text(projectText(a + "," + reachText("K1+000", "K2+000", "0.025", "1/x") + "," + c,
                                head))
            << 1 << "底坡" << false;
        QTest::newRow("gap") << text(projectText(a + "," + reachText("K1+100", "K2+000") + "," + c,
                                                 head))
                             << 1 << "K1+000 与 K1+100 之间有空缺" << false;
        QTest::newRow("overlap") << text(projectText(
                                        a + "," + reachText("K0+900", "K2+000") + "," + c, head))
                                 << 1 << "重叠" << false;
        QTest::newRow("backwards") << text(projectText(a + "," + reachText("K1+000", "K2+000") +
                                                           "," + reachText("K2+000", "K1+500"),
                                                       head))
                                   << 2 << "之后" << false;
    }
    void profileMarks() {
        QFETCH(QString, file);
        QFETCH(int, failing);
        QFETCH(QString, says);
        QFETCH(bool, levelsAfter);
        const Project project = read(file.toStdString());
        const CanalProfile profile = computeProfile(project, beds());
        QCOMPARE(profile.reaches.size(), std::size_t(3));
        QVERIFY(profile.inletLevel.has_value());
        QCOMPARE(*profile.inletLevel, 100.0);
        for (std::size_t k = 0; k < 3; ++k) {
            const ReachResult& r = profile.reaches[k];
            const bool fails = static_cast<int>(k) == failing;
            QCOMPARE(r.computed(), !fails);
            if (fails) {
                QVERIFY2(text(r.problems.front()).contains(says), r.problems.front().c_str());
                continue;
            }
            // Every other reach has its section and its check.
            QVERIFY(r.h && r.v && r.hb && r.H && r.check);
            const bool levels = failing < 0 || static_cast<int>(k) < failing || levelsAfter;
            QCOMPARE(r.wl.has_value(), levels);
            QCOMPARE(r.bank.has_value(), levels);
        }
        QCOMPARE(profile.anyFailed(), failing >= 0);
        if (failing >= 0) QVERIFY(!profile.allMet());
        // The bed step at a junction: this reach's bed_down less the next one's bed_up.
        const ReachResult& first = profile.reaches[0];
        if (first.bed && profile.reaches[1].bed) {
            QVERIFY(first.bedStep.has_value());
            QCOMPARE(*first.bedStep, first.bed->down - profile.reaches[1].bed->up);
        } else {
            QVERIFY(!first.bedStep.has_value());
        }
    }

    // Controls outside the canal or without levels give their reason; the others still count.
    void controlProblems() {
        const Project project =
            read(projectText(reachText("K0+000", "K1+000") + "," + reachText("K1+000", "K2+000"),
                             q("{'controls': [{'station': 'K5+000', 'ground': 90, 'h0': 0.1},") +
                                 q(" {'station': 'K1+000', 'ground': 99, 'h0': 'x'},") +
                                 q(" {'station': 'K2+000', 'ground': 99, 'h0': 0.15}]}")));
        const CanalProfile profile = computeProfile(project, beds());
        QCOMPARE(profile.controls.size(), std::size_t(3));
        QVERIFY2(text(profile.controls[0].problem).contains(QStringLiteral("不在渠道范围")),
                 profile.controls[0].problem.c_str());
        QVERIFY(text(profile.controls[1].problem).contains(QStringLiteral("h0")));
        QVERIFY(profile.controls[2].problem.empty());
        QCOMPARE(profile.governing, std::optional<std::size_t>(2));
        QVERIFY(profile.inletLevel.has_value());
        QVERIFY(profile.anyFailed());
        // The governing control is met exactly, to rounding.
        QVERIFY(std::fabs(*profile.controls[2].margin) < 1e-9);
    }

    // No levels given: the reaches compute, the profile says why it has no levels.
    void noLevels() {
        const Project project = read(projectText(reachText("K0+000", "K1+000"), "{}"));
        const CanalProfile profile = computeProfile(project, beds());
        QVERIFY(!profile.inletLevel.has_value());
        QCOMPARE(profile.problems.size(), std::size_t(1));
        QVERIFY(profile.reaches[0].h.has_value());
        QVERIFY(!profile.reaches[0].wl.has_value());
        const std::optional<JsonValue> json = parseJson(profileJson(profile));
        QVERIFY(json.has_value());
        QVERIFY(json->find("problems") != nullptr);
        QVERIFY(json->find("inlet")->find("wl") == nullptr);
    }
};

QTEST_APPLESS_MAIN(CanalTest)
#include "test_canal.moc"
