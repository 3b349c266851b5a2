// 校核设置, 计算书信息 and 参考表 on the offscreen platform, with settings in a scratch location:
// the settings dialog keeps what is set across a restart (read back from QSettings afresh) and
// refuses what cannot be read; the reference dialog writes the value chosen into its field,
// within a range where the table gives one, undoably as if typed.

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <map>

#include "shell/application.h"
#include "shell/book_dialog.h"
#include "shell/book_settings.h"
#include "shell/design_dialog.h"
#include "shell/design_settings.h"
#include "shell/reference_dialog.h"

using namespace lintavo;

class DesignDialogsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        // The test suite gives every test settings of its own (XDG_CONFIG_HOME), which may hold
        // what a user keeps; run by hand, Qt's scratch folder instead, never the user's.
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
            QStandardPaths::setTestModeEnabled(true);
        prepareApplication(*qApp);
        QSettings().clear();
        QVERIFY(standardTables().error.empty());
    }

    void settingsSurviveARestart() {
        setDesignSettings(DesignSettings{});
        DesignSettingsDialog dialog;
        dialog.findChild<QComboBox*>(QStringLiteral("use"))->setCurrentIndex(1);
        dialog.findChild<QComboBox*>(QStringLiteral("class"))->setCurrentIndex(5);
        auto* bed = dialog.findChild<QComboBox*>(QStringLiteral("bed"));
        bed->setCurrentIndex(bed->findData(QStringLiteral("混凝土（现场浇筑）")));
        QVERIFY(bed->currentIndex() > 0);
        const QList<QRadioButton*> radios = dialog.findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 3);
        radios.at(2)->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("percentage"))->setText(QStringLiteral("20"));
        dialog.findChild<QLineEdit*>(QStringLiteral("bend"))->setText(QStringLiteral("30"));
        dialog.findChild<QComboBox*>(QStringLiteral("earthwork"))->setCurrentIndex(1);
        auto* soil = dialog.findChild<QComboBox*>(QStringLiteral("slopeSoil"));
        QCOMPARE(soil->count(), 7);  // the bed's own, and Table 6.4.4's six soils
        soil->setCurrentIndex(soil->findData(QStringLiteral("中壤土")));
        QVERIFY(soil->currentIndex() > 0);
        dialog.findChild<QLineEdit*>(QStringLiteral("liningFreeboard"))
            ->setText(QStringLiteral("0.5"));
        dialog.findChild<QComboBox*>(QStringLiteral("rank"))->setCurrentIndex(3);
        dialog.findChild<QComboBox*>(QStringLiteral("district"))->setCurrentIndex(1);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        DesignSettings expected;
        expected.use = CanalUse::Drainage;
        expected.canalClass = 5;
        expected.bed = "混凝土（现场浇筑）";
        expected.enlargement = Enlargement::Percentage;
        expected.percentage = 20;
        expected.bendRadius = 30;
        expected.earthwork = Earthwork::Fill;
        expected.slopeSoil = "中壤土";
        expected.liningFreeboard = 0.5;
        expected.rank = CanalRank::SubLateral;
        expected.largeDistrict = false;
        QVERIFY(designSettings() == expected);
        QVERIFY(readDesignSettings() == expected);

        // A new dialog shows them, and 恢复默认 fills in the defaults.
        DesignSettingsDialog again;
        QString problem;
        QVERIFY(again.edited(&problem) == expected);
        again.findChild<QPushButton*>(QStringLiteral("defaults"))->click();
        QVERIFY(again.edited(&problem) == DesignSettings{});
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("liningFreeboard"))->text(),
                 QStringLiteral("0.3"));
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("rank"))->currentIndex(), 0);
    }

    // Each rank of the combo is the driver's: 干、支、斗、农渠 in order, read back alike.
    void ranksAsTheDriverNamesThem() {
        const char* const keys[] = {"none", "main", "lateral", "sub-lateral", "field"};
        for (int k = 0; k < 5; ++k) {
            setDesignSettings(DesignSettings{});
            DesignSettingsDialog dialog;
            dialog.findChild<QComboBox*>(QStringLiteral("rank"))->setCurrentIndex(k);
            QString problem;
            const DesignSettings edited = dialog.edited(&problem);
            QVERIFY(problem.isEmpty());
            DesignSettings expected;
            QCOMPARE(
                QString::fromStdString(applyDesignSetting(expected, "rank", keys[k], bedTables())),
                QString());
            QVERIFY(edited == expected);
        }
    }

    void refusesWhatCannotBeRead_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("minimum flow a word") << "minimum"
                                             << "四十";
        QTest::newRow("minimum flow empty") << "minimum"
                                            << "";
        QTest::newRow("negative bend radius") << "bend"
                                              << "-5";
        QTest::newRow("zero non-silting velocity") << "nonSilting"
                                                   << "0";
        QTest::newRow("enlargement 1e30 %") << "percentage"
                                            << "1e30";
        QTest::newRow("enlargement -10 %") << "percentage"
                                           << "-10";
        QTest::newRow("minimum flow 150 %") << "minimum"
                                            << "150";
        QTest::newRow("non-silting velocity 1e30 m/s") << "nonSilting"
                                                       << "1e30";
        QTest::newRow("lining freeboard 0.2 m") << "liningFreeboard"
                                                << "0.2";
        QTest::newRow("lining freeboard 0.9 m") << "liningFreeboard"
                                                << "0.9";
        QTest::newRow("lining freeboard empty") << "liningFreeboard"
                                                << "";
    }
    // The dialog says what the driver's `design` says: the one check's sentence.
    void refusesWhatCannotBeRead() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        setDesignSettings(DesignSettings{});
        DesignSettingsDialog dialog;
        if (field == QStringLiteral("percentage"))
            dialog.findChildren<QRadioButton*>().at(2)->setChecked(true);
        dialog.findChild<QLineEdit*>(field)->setText(text);
        dialog.accept();
        QVERIFY(dialog.result() != int(QDialog::Accepted));
        const QString said = dialog.findChild<QLabel*>(QStringLiteral("problem"))->text();
        const std::map<QString, std::string> keys{
            {QStringLiteral("percentage"), "enlarge"},
            {QStringLiteral("minimum"), "minimum"},
            {QStringLiteral("bend"), "bend"},
            {QStringLiteral("nonSilting"), "silt"},
            {QStringLiteral("liningFreeboard"), "lining-freeboard"}};
        DesignSettings scratch;
        const std::string expected = applyDesignSetting(
            scratch, keys.at(field), text.isEmpty() ? "none" : text.toStdString(), bedTables());
        QVERIFY(!expected.empty());
        QCOMPARE(said, QString::fromStdString(expected));
        QVERIFY(readDesignSettings() == DesignSettings{});
    }

    // Table 6.3.4's bands beside the percentage, from the standard's own function.
    void enlargementBandsShown() {
        DesignSettingsDialog dialog;
        const QString bands = dialog.findChild<QLabel*>(QStringLiteral("bands"))->text();
        for (const double Qd : {0.5, 3.0, 10.0, 30.0, 70.0, 200.0}) {
            const auto [large, small] = enlargementBand(Qd);
            QVERIFY2(bands.contains(QStringLiteral("：%1%~%2%").arg(large).arg(small)),
                     qPrintable(bands));
        }
        QVERIFY(bands.contains(QStringLiteral("0~100%")));
    }

    // 计算书信息: each field kept under its key as typed (blanks trimmed), read back by a new
    // dialog; Enter in a field is 确定 and tells the open books, Escape is 取消 and keeps nothing.
    void bookInfoKeptByEnterNotEscape_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::newRow("project") << "name"
                                 << "name"
                                 << "某灌区 东干渠";
        QTest::newRow("title") << "title"
                               << "title"
                               << "  东干渠断面设计计算书 ";
        QTest::newRow("designer") << "designer"
                                  << "designer"
                                  << "张三";
        QTest::newRow("checker") << "checker"
                                 << "checker"
                                 << "李四";
        QTest::newRow("reviewer") << "reviewer"
                                  << "reviewer"
                                  << "王五";
    }
    void bookInfoKeptByEnterNotEscape() {
        QFETCH(QString, field);
        QFETCH(QString, key);
        QFETCH(QString, typed);
        setBookInfo(BookInfo{});
        int told = 0;
        const QMetaObject::Connection counting = connect(
            &BookInfoNotifier::instance(), &BookInfoNotifier::changed, this, [&told] { ++told; });
        const auto typeInto = [&](BookInfoDialog& dialog, int press) {
            dialog.show();
            auto* edit = dialog.findChild<QLineEdit*>(field);
            QVERIFY(edit != nullptr);
            edit->setFocus();
            edit->insert(typed);
            QTest::keyClick(edit, Qt::Key(press));
        };
        {
            BookInfoDialog dialog;
            QCOMPARE(dialog.objectName(), QStringLiteral("计算书信息"));
            typeInto(dialog, Qt::Key_Escape);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QCOMPARE(told, 0);
        QSettings stored;
        QCOMPARE(stored.value(QStringLiteral("book/") + key).toString(), QString());
        {
            BookInfoDialog dialog;
            typeInto(dialog, Qt::Key_Return);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(told, 1);
        disconnect(counting);
        stored.sync();
        QCOMPARE(stored.value(QStringLiteral("book/") + key).toString(), typed.trimmed());
        BookInfoDialog again;
        QCOMPARE(again.findChild<QLineEdit*>(field)->text(), typed.trimmed());
        QCOMPARE(again.edited().title,
                 key == QStringLiteral("title") ? typed.trimmed().toStdString() : std::string());
    }

    // Tab goes through the fields in their order, then to 确定.
    void bookInfoTabOrder() {
        BookInfoDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const char* order[] = {"name", "title", "designer", "checker", "reviewer"};
        QWidget* at = dialog.findChild<QLineEdit*>(QLatin1String(order[0]));
        for (const char* name : order) {
            QCOMPARE(at->objectName(), QLatin1String(name));
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus)
                at = at->nextInFocusChain();
        }
        QCOMPARE(qobject_cast<QPushButton*>(at)->text(), QStringLiteral("确定"));
    }

    void referenceWritesTheValue_data() {
        QTest::addColumn<bool>("roughness");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("within");  // < 0: not a range
        QTest::addColumn<QString>("expected");
        QTest::newRow("earth canal, average maintenance")
            << true << "B.0.1" << 4 << 0 << -1.0 << "0.0250";
        QTest::newRow("spillway column") << true << "B.0.1" << 4 << 1 << -1.0 << "0.0275";
        QTest::newRow("untrimmed rock, a range: its low end")
            << true << "B.0.2" << 3 << 0 << 0.035 << "0.0350";
        QTest::newRow("untrimmed rock, picked within")
            << true << "B.0.2" << 3 << 0 << 0.041 << "0.0410";
        QTest::newRow("picked beyond the range stays inside")
            << true << "B.0.2" << 3 << 0 << 0.06 << "0.0450";
        QTest::newRow("medium loam cut, 2–3 m") << false << "6.4.4" << 3 << 2 << -1.0 << "1.50";
        QTest::newRow("sand fill, outer slope under 1 m")
            << false << "6.4.7" << 3 << 1 << -1.0 << "1.50";
    }
    void referenceWritesTheValue() {
        QFETCH(bool, roughness);
        QFETCH(QString, table);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(double, within);
        QFETCH(QString, expected);
        QLineEdit field(QStringLiteral("1"));
        ReferenceDialog dialog(roughness ? StandardKind::Roughness : StandardKind::SideSlope,
                               &field);
        QVERIFY(dialog.showTable(table));
        QVERIFY(!dialog.showTable(roughness ? QStringLiteral("6.4.4") : QStringLiteral("B.0.1")));
        dialog.selectCell(row, column);
        auto* spin = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("within"));
        QCOMPARE(spin->isEnabled(), within >= 0);
        if (within >= 0) spin->setValue(within);
        QCOMPARE(dialog.chosenText(), expected);
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("selection"))
                    ->text()
                    .contains(QStringLiteral("GB 50288-2018")));
        dialog.choose();
        QCOMPARE(field.text(), expected);
        field.undo();
        QCOMPARE(field.text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(DesignDialogsTest)
#include "test_design_dialogs.moc"
