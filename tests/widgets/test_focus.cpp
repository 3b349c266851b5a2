// The focus is seen from a window's first showing, before any key has moved it: the
// focused button wears a ring in the highlight colour, the picture a frame, a field the
// style's focus frame. Measured in the widgets' own rendering on the offscreen platform.
// And the light palette every window keeps is Fusion's own on the default desktop.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <memory>

#include "calculators/catalogue.h"
#include "shell/application.h"
#include "shell/shell.h"
#include "tests/widgets/modal_watchdog.h"

using namespace lintavo;

namespace {

QImage pictureOf(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of the widget's rendering are the highlight colour, near enough.
int highlightPixels(QWidget* w) {
    const QColor highlight = w->palette().color(QPalette::Highlight);
    const QImage image = pictureOf(w);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                    std::abs(c.blue() - highlight.blue()) <
                40)
                ++count;
        }
    }
    return count;
}

}  // namespace

class FocusTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A modal window the test did not announce fails it, instead of hanging it.
    void cleanup() { QVERIFY2(watchdog_.unexpected().isEmpty(), "an unexpected modal window"); }

    void initTestCase() {
        prepareApplication(*qApp);
        shell_ = std::make_unique<Shell>(calculations());
        shell_->start();
        menu_ = shell_->windows().front();
        QVERIFY(QTest::qWaitForWindowExposed(menu_));
    }

    // The focused control shows a frame or ring that it does not have without the focus;
    // `away` is where the focus goes to compare.
    void focusIsSeen_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("away");
        QTest::addColumn<int>("minimum");  // pixels of the sign, at the least

        // The first row is the start-up focus, before any key or click.
        QTest::newRow("结  束 at start-up")
            << QStringLiteral("结束") << QStringLiteral("Picture1") << 200;
        QTest::newRow("Picture1") << QStringLiteral("Picture1") << QStringLiteral("结束") << 2000;
        QTest::newRow("a menu button with a wrapped caption")
            << QStringLiteral("渠道断面尺寸的计算") << QStringLiteral("结束") << 200;
    }

    void focusIsSeen() {
        QFETCH(QString, focused);
        QFETCH(QString, away);
        QFETCH(int, minimum);
        QWidget* control = menu_->control(focused.toStdString());
        QWidget* other = menu_->control(away.toStdString());
        QVERIFY(control != nullptr && other != nullptr);
        if (QApplication::focusWidget() != control) control->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), control);
        const int withFocus = highlightPixels(control);
        other->setFocus(Qt::TabFocusReason);
        const int without = highlightPixels(control);
        QVERIFY2(withFocus - without >= minimum,
                 qPrintable(QStringLiteral("%1 highlight pixels with the focus, %2 without")
                                .arg(withFocus)
                                .arg(without)));
    }

    // A calculator window's first field shows the focus as soon as the window opens.
    void calculatorWindowShowsItsFocus() {
        menu_->button("流量Q的计算")->click();
        Form* discharge = shell_->windows().back();
        for (Form* w : shell_->windows()) {
            if (w->isVisible()) discharge = w;
        }
        QVERIFY(QTest::qWaitForWindowExposed(discharge));
        QLineEdit* first = discharge->field("lsv");
        QCOMPARE(QApplication::focusWidget(), first);
        const QImage focused = pictureOf(first);
        const QImage unfocused = pictureOf(discharge->field("llQ"));
        // The two fields are the same size; only the focus tells them apart at their edges.
        QCOMPARE(focused.size(), unfocused.size());
        QVERIFY(focused.pixelColor(0, focused.height() / 2) !=
                unfocused.pixelColor(0, unfocused.height() / 2));
    }

    // On a desktop that asks for no dark scheme, the palette the program fixes is the one
    // Fusion gives there, colour for colour: fixing it changes nothing on the default
    // desktop.
    void lightPaletteIsFusions_data() {
        QTest::addColumn<int>("group");
        QTest::newRow("active") << int(QPalette::Active);
        QTest::newRow("inactive") << int(QPalette::Inactive);
        QTest::newRow("disabled") << int(QPalette::Disabled);
    }

    void lightPaletteIsFusions() {
        QFETCH(int, group);
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette standard = fusion->standardPalette();
        QCOMPARE(standard.color(QPalette::Window).lightness() > 128, true);
        const QPalette fixed = lightPalette();
        const auto g = static_cast<QPalette::ColorGroup>(group);
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = static_cast<QPalette::ColorRole>(role);
            if (r == QPalette::NoRole) continue;
            QVERIFY2(fixed.color(g, r) == standard.color(g, r),
                     qPrintable(QStringLiteral("role %1: %2, Fusion %3")
                                    .arg(role)
                                    .arg(fixed.color(g, r).name(QColor::HexArgb),
                                         standard.color(g, r).name(QColor::HexArgb))));
            // Fixed: no desktop theme replaces it.
            QVERIFY(fixed.isBrushSet(g, r));
        }
    }

  private:
    std::unique_ptr<Shell> shell_;
    Form* menu_ = nullptr;
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(FocusTest)
#include "test_focus.moc"
