// The six windows as a user meets them, on the offscreen platform: every control's face
// is one of the font table's and has a glyph for every character it shows; every caption
// fits its control at the device pixel ratio the test runs at (QT_SCALE_FACTOR 1, 1.5, 2);
// the picture is drawn at that ratio; assistive technology reads a name for every control.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <algorithm>
#include <memory>

#include "calculators/catalogue.h"
#include "calculators/explain.h"
#include "calculators/menu_table.h"
#include "shell/application.h"
#include "shell/fonts.h"
#include "shell/qt_text.h"
#include "shell/shell.h"
#include "tests/widgets/modal_watchdog.h"

using namespace lintavo;

namespace {

// Opens a calculation as the user does: its button of the menu, or its entry in the menu
// that drops from 衬砌渠道. The calculator window it shows, or null.
CalculatorWindow* openFromMenu(Shell& shell, std::size_t k) {
    Form* menu = shell.windows().front();
    const CalculatorTable& table = calculations()[k];
    if (!table.opener.empty()) {
        menu->button(table.opener)->click();
    } else {
        for (QAction* entry : menu->button(menu::linedSections)->menu()->actions()) {
            if (entry->data().value<std::size_t>() == k) entry->trigger();
        }
    }
    for (Form* w : shell.windows()) {
        if (w != menu && w->isVisible()) return qobject_cast<CalculatorWindow*>(w);
    }
    return nullptr;
}

// Every window, each calculator window opened once through the menu and left hidden
// through its own 返回.
std::vector<Form*> openEveryWindow(Shell& shell) {
    for (std::size_t k = 0; k < calculations().size(); ++k) {
        if (CalculatorWindow* w = openFromMenu(shell, k))
            w->button(rowWith(w->table().window, returnButton)->name)->click();
    }
    return shell.windows();
}

QString captionOf(const QWidget* w) {
    if (const auto* button = qobject_cast<const QPushButton*>(w)) return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (const auto* field = qobject_cast<const QLineEdit*>(w)) return field->text();
    return {};
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A modal window the test did not announce fails it, instead of hanging it.
    void cleanup() { QVERIFY2(watchdog_.unexpected().isEmpty(), "an unexpected modal window"); }

    void initTestCase() {
        prepareApplication(*qApp);
        shell_ = std::make_unique<Shell>(calculations());
        shell_->start();
        windows_ = openEveryWindow(*shell_);
        QCOMPARE(windows_.size(), calculations().size() + 1);
    }

    void cleanupTestCase() { shell_.reset(); }

    void everyFaceIsFromTheTable() {
        QStringList substitutes;
        for (const auto& row : faceSubstitutes)
            substitutes.append(
                QString::fromUtf8(row.substitute.data(), qsizetype(row.substitute.size())));
        for (Form* w : windows_) {
            for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QString resolved = QFontInfo(c->font()).family();
                QVERIFY2(substitutes.contains(resolved),
                         qPrintable(QStringLiteral("%1/%2 uses %3")
                                        .arg(w->objectName(), c->objectName(), resolved)));
            }
        }
    }

    void everyCharacterHasAGlyph() {
        for (Form* w : windows_) {
            const QList<QWidget*> controls = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            QList<QWidget*> all = controls;
            all.prepend(w);
            for (QWidget* c : all) {
                const QString text = c == w ? w->windowTitle() : captionOf(c);
                const QFontMetrics metrics(c->font());
                for (char32_t ch : text.toUcs4()) {
                    if (ch == U' ') continue;
                    QVERIFY2(metrics.inFontUcs4(ch),
                             qPrintable(
                                 QStringLiteral("%1/%2 has no glyph for %3 in %4")
                                     .arg(w->objectName(), c->objectName())
                                     .arg(QString::number(ch, 16), QFontInfo(c->font()).family())));
                }
            }
        }
    }

    // A caption fits when its lines, as the control lays them out, lie inside the control:
    // width for every line, and the height of the ideographs (the ascent) for the lines.
    void everyCaptionFits() {
        QStringList misfits;
        for (Form* w : windows_) {
            for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QRectF room = c->contentsRect();
                int flags = 0;
                if (auto* button = qobject_cast<QPushButton*>(c)) {
                    QStyleOptionButton option;
                    option.initFrom(button);
                    room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option,
                                                           button);
                    // Only a caption with blanks in it is ever broken onto lines.
                    if (button->text().contains(QLatin1Char(' '))) flags = Qt::TextWordWrap;
                } else if (auto* label = qobject_cast<QLabel*>(c);
                           label && label->pixmap().isNull()) {
                    if (label->wordWrap()) flags = Qt::TextWordWrap;
                } else {
                    continue;
                }
                const QString caption = captionOf(c);
                const QFontMetricsF metrics(c->font());
                // On one line it is the ink that must fit: a last glyph's advance may run past
                // its ink into the margin.
                const QRectF needed =
                    flags == 0
                        ? QRectF(0, 0, metrics.tightBoundingRect(caption).right(),
                                 metrics.lineSpacing())
                        : metrics.boundingRect(QRectF(0, 0, room.width(), 10000), flags, caption);
                const qreal lines =
                    std::max(1.0, std::round(needed.height() / metrics.lineSpacing()));
                const qreal height = (lines - 1) * metrics.lineSpacing() + metrics.ascent();
                if (needed.width() > room.width() + 0.5 || height > room.height() + 0.5) {
                    misfits.append(QStringLiteral("%1/%2 \"%3\" needs %4 × %5, has %6 × %7")
                                       .arg(w->objectName(), c->objectName(), caption)
                                       .arg(needed.width())
                                       .arg(height)
                                       .arg(room.width())
                                       .arg(room.height()));
                }
            }
        }
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
    }

    void proportionsStayAtEveryRatio() {
        // Logical sizes are the tables' at any ratio; the device pixels scale with it.
        QCOMPARE(windows_[0]->size(), QSize(668, 515));
        QCOMPARE(windows_[1]->size(), QSize(565, 388));
        const qreal ratio = windows_[0]->devicePixelRatioF();
        const auto* picture = windows_[0]->findChild<QLabel*>(QStringLiteral("Picture1"));
        QCOMPARE(picture->pixmap().deviceIndependentSize(), QSizeF(160, 120));
        QCOMPARE(picture->pixmap().devicePixelRatio(), ratio > 1.0 ? 2.0 : 1.0);
        // The icon has images for the title bar at this ratio.
        const QPixmap icon = qApp->windowIcon().pixmap(QSize(16, 16), ratio);
        QVERIFY(icon.width() >= qRound(16 * ratio));
    }

    // Qt's focus chain, which the Tab key walks, is the order of the forms' tab indexes.
    void focusChainFollowsTheTabIndexes() {
        for (Form* w : windows_) {
            QList<int> walked;
            for (QWidget* c = w->nextInFocusChain(); c != w; c = c->nextInFocusChain()) {
                if (c->parentWidget() == w && (c->focusPolicy() & Qt::TabFocus)) {
                    walked.append(c->property(tabIndexProperty).toInt());
                }
            }
            int numbered = 0;
            for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (c->property(tabIndexProperty).isValid()) ++numbered;
            }
            QCOMPARE(walked.size(), numbered);
            QVERIFY2(std::is_sorted(walked.begin(), walked.end()), qPrintable(w->objectName()));
        }
    }

    void assistiveTechnologyReadsEveryControl() {
        for (Form* w : windows_) {
            QAccessibleInterface* window = QAccessible::queryAccessibleInterface(w);
            QCOMPARE(window->text(QAccessible::Name), w->windowTitle());
            for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QAccessibleInterface* control = QAccessible::queryAccessibleInterface(c);
                QVERIFY2(!control->text(QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
            }
        }
        const auto name = [this](int window, const char* control) {
            auto* c = windows_[static_cast<std::size_t>(window)]->findChild<QWidget*>(
                QString::fromUtf8(control));
            return QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name);
        };
        QCOMPARE(name(1, "dkb"), QStringLiteral("底宽b"));
        QCOMPARE(name(1, "llQ"), QStringLiteral("流量Q（计算结果）"));
        QCOMPARE(name(2, "ssh1"), QStringLiteral("水深h（计算结果）"));
        QCOMPARE(name(4, "cln3"), QStringLiteral("糙率n"));
        QCOMPARE(name(0, "Picture1"), QStringLiteral("渠道断面示意图"));
        QCOMPARE(name(1, "计算1"), QStringLiteral("计算"));
    }

    // The lined sections' windows, opened from 衬砌渠道's menu, write what lintavo-calc writes
    // for the same inputs (its press, which tests/formats/test_calc.cpp holds it to); a
    // circle's second depth is said under the buttons, and a discharge beyond the pipe's
    // free-surface peak is refused with the reason, every field as it was.
    void linedWindowsAnswerAsTheirPresses_data() {
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QStringList>("inputs");
        for (const CalculatorTable& table : calculations()) {
            if (!table.opener.empty()) continue;
            QStringList example;
            for (StaticText text : table.example) {
                if (!text.empty()) example.append(qstr(text));
            }
            QTest::newRow(table.alias.data()) << qstr(table.alias) << example;
        }
        QTest::newRow("circle above its peak")
            << QStringLiteral("circle-normal-depth")
            << QStringList{QStringLiteral("0.9"), QStringLiteral("1"), QStringLiteral("0.001"),
                           QStringLiteral("0.013")};
        QTest::newRow("arc-toe with 1/N and full-width digits")
            << QStringLiteral("arc-toe-discharge")
            << QStringList{QStringLiteral("２"),     QStringLiteral("0.4"),
                           QStringLiteral("1.25"),   QStringLiteral("1.3"),
                           QStringLiteral("1/2500"), QStringLiteral("0.017")};
    }

    void linedWindowsAnswerAsTheirPresses() {
        QFETCH(QString, alias);
        QFETCH(QStringList, inputs);
        const auto tables = calculations();
        const auto table = std::find_if(tables.begin(), tables.end(),
                                        [&](const auto& t) { return qstr(t.alias) == alias; });
        QVERIFY(table != tables.end());
        CalculatorWindow* w =
            openFromMenu(*shell_, static_cast<std::size_t>(table - tables.begin()));
        QVERIFY(w != nullptr);
        QCOMPARE(&w->table(), &*table);
        QVERIFY(!shell_->windows().front()->isVisible());
        const auto fields = rowsWith(table->window, Role::Input);
        QCOMPARE(qsizetype(fields.size()), inputs.size());
        Texts texts;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            w->field(fields[k]->name)->setText(inputs[qsizetype(k)]);
            texts.push_back(utf8(inputs[qsizetype(k)]));
        }
        const auto results = rowsWith(table->window, Role::Output);
        for (const ControlRow* row : results)
            w->field(row->name)->setText(QStringLiteral("旧"));
        Record expected;
        const std::optional<Texts> written = runPress(table->press, texts, expected);
        if (!written) watchdog_.expect();
        w->button(rowWith(table->window, computeButton)->name)->click();
        QCOMPARE(w->lastPress().failure.has_value(), !written.has_value());
        for (std::size_t k = 0; k < results.size(); ++k) {
            QCOMPARE(w->field(results[k]->name)->text(),
                     written ? qstr((*written)[k]) : QStringLiteral("旧"));
        }
        if (written) {
            QCOMPARE(w->notice(), qstr(expected.remark));
        } else {
            const std::string reason = explainFailure(*table, w->lastPress()).sentence;
            QVERIFY2(reason.find("压力流") != std::string::npos, reason.c_str());
            QCOMPARE(reason, explainFailure(*table, expected).sentence);
        }
        w->button(rowWith(table->window, returnButton)->name)->click();
    }

  private:
    std::unique_ptr<Shell> shell_;
    std::vector<Form*> windows_;
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
