// The forms' number field on the offscreen platform: every way of pasting drops the line
// breaks the field would hide, a long text shows its start and offers the whole of it in
// the tooltip.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "calculators/catalogue.h"
#include "shell/application.h"
#include "shell/calculator_window.h"
#include "shell/number_field.h"
#include "shell/qt_text.h"
#include "tests/widgets/modal_watchdog.h"

using namespace lintavo;

class NumberFieldTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A modal window the test did not announce fails it, instead of hanging it.
    void cleanup() { QVERIFY2(watchdog_.unexpected().isEmpty(), "an unexpected modal window"); }

    void initTestCase() { prepareApplication(*qApp); }

    void pastes_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("held");  // the field's text, all of it selected
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");

        const QStringList ways{QStringLiteral("Ctrl+V"), QStringLiteral("Shift+Insert"),
                               QStringLiteral("粘贴"), QStringLiteral("insert")};
        for (const QString& way : ways) {
            const auto row = [&](const char* name) {
                return &QTest::newRow(
                    qPrintable(way + QStringLiteral(": ") + QString::fromUtf8(name)));
            };
            *row("line feed after")
                << way << QStringLiteral(" ") << QStringLiteral("2.5\n") << QStringLiteral("2.5");
            *row("CR LF around") << way << QStringLiteral("9") << QStringLiteral("\r\n2.5\r\n")
                                 << QStringLiteral("2.5");
            *row("separators and NEL")
                << way << QString() << QStringLiteral("\u20281\u2029\u0085") << QStringLiteral("1");
            *row("two lines stay two numbers")
                << way << QString() << QStringLiteral("1\r\n\n5") << QStringLiteral("1 5");
            *row("other blanks kept in sight")
                << way << QString() << QStringLiteral("\u00a00.5\t\n")
                << QStringLiteral("\u00a00.5\t");
        }
    }

    void pastes() {
        QFETCH(QString, way);
        QFETCH(QString, held);
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        NumberField field(held, nullptr);
        field.show();
        QVERIFY(QTest::qWaitForWindowExposed(&field));
        field.setFocus();
        field.selectAll();
        QGuiApplication::clipboard()->setText(clipboard);
        if (way == QLatin1String("Ctrl+V")) {
            QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
        } else if (way == QLatin1String("Shift+Insert")) {
            QTest::keyClick(&field, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (way == QLatin1String("粘贴")) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    field.mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(&field, &event);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"));
            QVERIFY(paste != nullptr);
            QVERIFY(paste->isEnabled());
            paste->trigger();
            menu->close();
        } else {
            // A middle click or a drop: Qt inserts the text itself.
            field.insert(clipboard);
        }
        QCOMPARE(field.text(), expected);
    }

    void showsLongText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fits");

        QTest::newRow("short number") << QStringLiteral("2.763") << true;
        QTest::newRow("long number") << QStringLiteral("40018.633123456789012") << false;
        QTest::newRow("two long candidates")
            << QStringLiteral("0.78123456789或6.99912345678") << false;
    }

    void showsLongText() {
        QFETCH(QString, text);
        QFETCH(bool, fits);
        QWidget window;
        NumberField field(QString(), &window);
        NumberField other(QString(), &window);
        field.setGeometry(0, 0, 80, 24);
        other.setGeometry(0, 30, 80, 24);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        field.setFocus();
        field.setText(text);
        QCOMPARE(field.cursorPosition(), text.size());
        QCOMPARE(field.textFits(), fits);
        // The whole text in the tooltip, and nothing when there is nothing hidden.
        QCOMPARE(field.toolTip(), fits ? QString() : text);
        // Leaving the field shows the start of its text.
        other.setFocus();
        QCOMPARE(field.cursorPosition(), 0);
        // Tabbed into, the whole text is selected and its start shown.
        QTest::keyClick(&other, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), &field);
        QCOMPARE(field.selectedText(), text);
        QCOMPARE(field.cursorPosition(), 0);
        other.setFocus();
        // Wide enough, nothing is hidden any more.
        field.resize(field.fontMetrics().horizontalAdvance(text) + 40, field.height());
        QVERIFY(field.textFits());
        QCOMPARE(field.toolTip(), QString());
    }

    // A result written by 计算 shows its first digits, even into the focused field whose
    // cursor stood at the end of a long text.
    void resultShowsItsStart() {
        CalculatorWindow window(calculations().front());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList inputs{QStringLiteral("dkb"), QStringLiteral("ssh"),
                                 QStringLiteral("bpm"), QStringLiteral("dpi"),
                                 QStringLiteral("cln")};
        const QStringList texts{QStringLiteral("2000"), QStringLiteral("10"), QStringLiteral("1"),
                                QStringLiteral("0.001"), QStringLiteral("0.025")};
        for (qsizetype k = 0; k < inputs.size(); ++k)
            window.field(utf8(inputs[k]))->setText(texts[k]);
        QLineEdit* discharge = window.field("llQ");
        discharge->setFocus();
        discharge->setText(QStringLiteral("123456789012345678901234567890"));
        QVERIFY(discharge->cursorPosition() > 0);
        window.compute();
        QVERIFY(discharge->text().size() > 5);
        QCOMPARE(discharge->cursorPosition(), 0);
    }

    void keepsTheFrameClear() {
        NumberField field(QStringLiteral("1"), nullptr);
        QVERIFY(field.textMargins().left() > 0);
        QVERIFY(field.textMargins().right() > 0);
    }

  private:
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(NumberFieldTest)
#include "test_number_field.moc"
