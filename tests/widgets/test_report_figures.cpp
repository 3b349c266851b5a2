// The report's drawings on the offscreen platform, measured in the image rather than compared
// with a snapshot: the water of the section has the shape of its b, h and m at one scale
// across and down, nothing is drawn outside the given rectangle, and the rating curve's mark
// sits where its Q and h put it.
//
// With LINTAVO_FIGURES_DIR set, saveExamples also writes the worked examples there as PNG
// and PDF, to be looked at.

#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTest>
#include <cmath>
#include <functional>
#include <optional>

#include "formats/section_drawing.h"
#include "shell/fonts.h"
#include "shell/report_figures.h"
#include "shell/scheme_figure.h"
#include "standard/schemes.h"
#include "tests/widgets/modal_watchdog.h"

using namespace lintavo;

namespace {

const QRect canvas(0, 0, 900, 600);
const QRectF area(60, 40, 780, 520);  // with a white border round it

QImage blank() {
    QImage image(canvas.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

bool isWater(QRgb c) {  // the light blue fill
    return std::abs(qRed(c) - 0xbf) < 8 && std::abs(qGreen(c) - 0xdf) < 8 &&
           std::abs(qBlue(c) - 0xff) < 8;
}
bool isMark(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

// The number of water pixels in row y.
int waterIn(const QImage& image, int y) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += isWater(image.pixel(x, y)) ? 1 : 0;
    return n;
}

bool blankOutside(const QImage& image, const QRectF& inside) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inside.contains(x + 0.5, y + 0.5)) continue;
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
        }
    }
    return true;
}

std::optional<QPointF> markCentre(const QImage& image) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isMark(image.pixel(x, y))) continue;
            sx += x;
            sy += y;
            ++n;
        }
    }
    if (n == 0) return std::nullopt;
    return QPointF(sx / n, sy / n);
}

std::optional<QPointF> markAt(const std::vector<RatingPoint>& curve, double h, double Q) {
    QImage image = blank();
    QPainter painter(&image);
    drawRatingCurve(painter, area, curve, h, Q);
    painter.end();
    return markCentre(image);
}

// A page that keeps no ink, only how far from the origin anything drawn on it lies, in its
// own units, after every transformation: what a PDF writer would have to write as numbers.
// A non-finite coordinate counts as infinitely far.
class ReachEngine : public QPaintEngine {
  public:
    ReachEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice* /*device*/) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& changed) override {
        if (changed.state() & QPaintEngine::DirtyTransform) transform_ = changed.transform();
        if (changed.state() & QPaintEngine::DirtyClipPath)
            reach(transform_.map(changed.clipPath()).boundingRect());
        if (changed.state() & QPaintEngine::DirtyClipRegion)
            reach(transform_.mapRect(QRectF(changed.clipRegion().boundingRect())));
    }
    void drawPath(const QPainterPath& path) override {
        for (int k = 0; k < path.elementCount(); ++k)
            reach(transform_.map(QPointF(path.elementAt(k))));
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode /*mode*/) override {
        for (int k = 0; k < count; ++k)
            reach(transform_.map(points[k]));
    }
    void drawPixmap(const QRectF& r, const QPixmap& /*pixmap*/, const QRectF& /*sr*/) override {
        reach(transform_.mapRect(r));
    }
    void drawTextItem(const QPointF& p, const QTextItem& /*item*/) override {
        reach(transform_.map(p));
    }

    double farthest = 0;

  private:
    void reach(const QRectF& r) {
        reach(r.topLeft());
        reach(r.bottomRight());
    }
    void reach(QPointF p) {
        for (const double x : {p.x(), p.y()})
            farthest = std::isfinite(x) ? std::max(farthest, std::abs(x)) : INFINITY;
    }

    QTransform transform_;
};

// An A4 page at 1200 dots an inch, as the book is exported.
class ReachPage : public QPaintDevice {
  public:
    QPaintEngine* paintEngine() const override { return &engine_; }
    double farthest() const { return engine_.farthest; }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return 9921;
            case PdmHeight:
                return 14031;
            case PdmWidthMM:
                return 210;
            case PdmHeightMM:
                return 297;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 1200;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return INT_MAX;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

  private:
    mutable ReachEngine engine_;
};

}  // namespace

Q_DECLARE_METATYPE(lintavo::SectionShape)

class ReportFiguresTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A modal window the test did not announce fails it, instead of hanging it.
    void cleanup() { QVERIFY2(watchdog_.unexpected().isEmpty(), "an unexpected modal window"); }

    void initTestCase() { installFontSubstitutes(); }

    void section_data() {
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("m");
        QTest::addColumn<bool>("drawn");  // else a note says why not

        QTest::newRow("trapezoid b 2, h 1, m 1") << 2.0 << 1.0 << 1.0 << true;
        QTest::newRow("rectangle b 2, h 1") << 2.0 << 1.0 << 0.0 << true;
        QTest::newRow("wide and flat b 5, h 0.5, m 2") << 5.0 << 0.5 << 2.0 << true;
        QTest::newRow("deep and narrow b 0.5, h 3, m 0.25") << 0.5 << 3.0 << 0.25 << true;
        QTest::newRow("triangle h 1, m 1.5") << 0.0 << 1.0 << 1.5 << true;
        QTest::newRow("no depth") << 2.0 << 0.0 << 1.0 << false;
        QTest::newRow("negative width") << -1.0 << 1.0 << 1.0 << false;
        QTest::newRow("no width at all") << 0.0 << 1.0 << 0.0 << false;
        QTest::newRow("not a number") << 2.0 << std::nan("") << 1.0 << false;
        QTest::newRow("huge bed, film of water b 1e30, h 1e-30") << 1e30 << 1e-30 << 1.0 << false;
        QTest::newRow("depth beyond doubles when raised h 1.7e308")
            << 1.0 << 1.7e308 << 1.0 << false;
        QTest::newRow("subnormal depth h 5e-324") << 0.0 << 5e-324 << 1.0 << false;
        QTest::newRow("b = h = m = 1e30") << 1e30 << 1e30 << 1e30 << false;
        QTest::newRow("a needle, b 0.001, h 100") << 0.001 << 100.0 << 0.0 << false;
    }
    void section() {
        QFETCH(double, b);
        QFETCH(double, h);
        QFETCH(double, m);
        QFETCH(bool, drawn);
        QImage image = blank();
        QPainter painter(&image);
        drawSection(painter, area, b, h, m);
        painter.end();

        QVERIFY(blankOutside(image, area));
        QVERIFY(image != blank());
        int top = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (waterIn(image, y) == 0) continue;
            if (top < 0) top = y;
            bottom = y;
        }
        QCOMPARE(top >= 0, drawn);
        if (!drawn) return;
        const double depth = bottom - top + 1;           // pixels for h
        const double surface = waterIn(image, top + 1);  // about B wide
        QVERIFY2(surface > 0.5 * area.width() || depth > 0.5 * area.height(),
                 "the section should fill its area one way or the other");
        // At mid-depth the water is (b + m·h)/h depths wide. The lines of the surface and the
        // bed cover a pixel or two of the depth, an error that the ratio multiplies.
        const double ratio = (b + m * h) / h;
        const double mid = waterIn(image, (top + bottom) / 2);
        QVERIFY2(std::abs(mid - ratio * depth) <= 3 + 2.5 * ratio,
                 qPrintable(QStringLiteral("%1 wide, %2 deep").arg(mid).arg(depth)));
        // The walls lean 1:m on the image itself, which holds only at one scale across and
        // down: between two rows the water widens by 2·m times their distance.
        const int upperRow = top + (bottom - top) / 4;
        const int lowerRow = bottom - (bottom - top) / 4;
        const double widening = waterIn(image, upperRow) - waterIn(image, lowerRow);
        QVERIFY2(
            std::abs(widening - 2 * m * (lowerRow - upperRow)) <= 3,
            qPrintable(QStringLiteral("%1 over %2 rows").arg(widening).arg(lowerRow - upperRow)));
    }

    // A lined section drawn with its arcs: at every depth the water is as wide as the shape
    // is there (topWidthAt, checked against an integral of it elsewhere), one scale across and
    // down; a circle's whole outline; bank tops of the rank's width beside an open one.
    void shapedSection_data() {
        QTest::addColumn<SectionShape>("shape");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("bankTopWidth");
        QTest::addColumn<bool>("drawn");

        QTest::newRow("U r 0.5, α 10°, h 0.8")
            << SectionShape{ArcBottom{0.5, 10}} << 0.8 << 0.0 << true;
        QTest::newRow("U semicircle filled within its arc")
            << SectionShape{ArcBottom{0.5, 0}} << 0.4 << 0.0 << true;
        QTest::newRow("U with bank tops 1 m wide")
            << SectionShape{ArcBottom{0.6, 15}} << 1.0 << 1.0 << true;
        QTest::newRow("arc-toe b 1.5, r 0.4, m 1.25")
            << SectionShape{ArcToeTrapezoid{1.5, 0.4, 1.25}} << 1.3 << 0.0 << true;
        QTest::newRow("arc-toe, vertical walls")
            << SectionShape{ArcToeTrapezoid{1, 0.3, 0}} << 1.2 << 2.0 << true;
        QTest::newRow("circle D 1.2, h 0.7") << SectionShape{Circle{1.2}} << 0.7 << 0.0 << true;
        QTest::newRow("circle near its crown") << SectionShape{Circle{1}} << 0.95 << 0.0 << true;
        QTest::newRow("circle over its crown") << SectionShape{Circle{1}} << 1.2 << 0.0 << false;
        QTest::newRow("U leaning flat, α 90°")
            << SectionShape{ArcBottom{0.5, 90}} << 0.8 << 0.0 << false;
    }
    void shapedSection() {
        QFETCH(SectionShape, shape);
        QFETCH(double, h);
        QFETCH(double, bankTopWidth);
        QFETCH(bool, drawn);
        QImage image = blank();
        QPainter painter(&image);
        const Channel c{1, 0, h, sideSlopeOf(shape), 0.001, 0.014, shape};
        const double H = bankTopWidth > 0 ? 1.3 * h : 0.0;
        drawChannelSection(painter, area, c, 0, H, bankTopWidth);
        painter.end();
        QVERIFY(blankOutside(image, area));
        int top = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (waterIn(image, y) == 0) continue;
            if (top < 0) top = y;
            bottom = y;
        }
        QCOMPARE(top >= 0, drawn);
        if (!drawn) return;
        const double depth = bottom - top + 1;  // pixels for h
        for (const double part : {0.2, 0.5, 0.8}) {
            const double y = part * h;
            const double wanted = topWidthAt(shape, y) / h * depth;
            // A row off by a pixel changes the width by its slope there.
            const double slope =
                std::abs(topWidthAt(shape, y + 0.01 * h) - topWidthAt(shape, y - 0.01 * h)) /
                (0.02 * h);
            const double found =
                waterIn(image, static_cast<int>(std::lround(bottom - part * depth)));
            QVERIFY2(
                std::abs(found - wanted) <= 4 + 2 * slope,
                qPrintable(
                    QStringLiteral("%1 wide at %2 h, not %3").arg(found).arg(part).arg(wanted)));
        }
    }

    void ratingMark_data() {
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("m");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("n");

        QTest::newRow("worked example") << 2.0 << 1.0 << 1.0 << 0.025;
        QTest::newRow("rectangle") << 2.0 << 0.0 << 1.0 << 0.025;
        QTest::newRow("large river") << 40.0 << 2.0 << 6.0 << 0.035;
    }
    // The axes are linear from 0: the mark for (Q/2, h/2) lies halfway between those for
    // (0, 0) and (Q, h); more Q goes right, more h goes up; and the mark on the curve's own
    // point lies on the drawn curve.
    void ratingMark() {
        QFETCH(double, b);
        QFETCH(double, m);
        QFETCH(double, h);
        QFETCH(double, n);
        const std::vector<RatingPoint> curve = ratingCurve({0, b, h, m, 0.001, n}, 61);
        QCOMPARE(curve.size(), std::size_t{61});
        const RatingPoint at = curve[40];  // the channel's depth
        QCOMPARE(at.h, h);

        QImage image = blank();
        QPainter painter(&image);
        drawRatingCurve(painter, area, curve, at.h, at.Q);
        painter.end();
        QVERIFY(blankOutside(image, area));

        const auto origin = markAt(curve, 0, 0);
        const auto full = markAt(curve, at.h, at.Q);
        const auto half = markAt(curve, at.h / 2, at.Q / 2);
        const auto wider = markAt(curve, at.h, at.Q * 1.2);
        QVERIFY(origin && full && half && wider);
        const QPointF expected = (*origin + *full) / 2;
        QVERIFY2(std::hypot(half->x() - expected.x(), half->y() - expected.y()) < 1.5,
                 qPrintable(QStringLiteral("%1,%2").arg(half->x()).arg(half->y())));
        QVERIFY(full->x() > origin->x() + 0.3 * area.width());
        QVERIFY(full->y() < origin->y() - 0.3 * area.height());
        QVERIFY(wider->x() > full->x() + 10);
        QVERIFY(std::abs(wider->y() - full->y()) < 1);

        // The curve through the same point: drawn without a mark, its line passes within a
        // pixel or two of where the mark was.
        QImage plain = blank();
        QPainter p2(&plain);
        drawRatingCurve(p2, area, curve, std::nan(""), std::nan(""));
        p2.end();
        QVERIFY(!markCentre(plain));
        bool onCurve = false;
        for (int dy = -2; dy <= 2 && !onCurve; ++dy) {
            for (int dx = -2; dx <= 2 && !onCurve; ++dx) {
                const QRgb c = plain.pixel(qRound(full->x()) + dx, qRound(full->y()) + dy);
                onCurve = qBlue(c) > qRed(c) + 60;  // the curve's dark blue
            }
        }
        QVERIFY(onCurve);
    }

    void ratingExtremes_data() {
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("Q");
        QTest::newRow("film of water h 1e-30, Q 1e30") << 1e-30 << 1e30;
        QTest::newRow("largest doubles") << 1.7e308 << 1.79e308;
        QTest::newRow("subnormal h and Q") << 5e-324 << 1e-320;
        QTest::newRow("a tick step the powers of ten cannot give") << 9.9e307 << 3e-310;
    }
    // A range no power of ten steps through still gets a handful of ticks, and the drawing
    // ends (a tick loop that never ends would hang here) inside its rectangle.
    void ratingExtremes() {
        QFETCH(double, h);
        QFETCH(double, Q);
        QImage image = blank();
        QPainter painter(&image);
        drawRatingCurve(painter, area, {{0, 0}, {h / 2, Q / 3}, {h, Q}}, h, Q);
        painter.end();
        QVERIFY(blankOutside(image, area));
        QVERIFY(image != blank());
    }

    void ratingCurveThatIsNone() {
        QImage image = blank();
        QPainter painter(&image);
        drawRatingCurve(painter, area, {}, 1, 2);
        painter.end();
        QVERIFY(blankOutside(image, area));
        QVERIFY(!markCentre(image));
    }

    void pageReach_data() {
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("m");
        QTest::newRow("worked example") << 2.0 << 1.0 << 1.0;
        QTest::newRow("b = h = m = 1e30") << 1e30 << 1e30 << 1e30;
        QTest::newRow("b = h = m = 1e10") << 1e10 << 1e10 << 1e10;
        QTest::newRow("walls all but flat, m 5000") << 0.0 << 1.0 << 5000.0;
        QTest::newRow("b = h = m = 1e-30") << 1e-30 << 1e-30 << 1e-30;
        QTest::newRow("b 1e300, h 1") << 1e300 << 1.0 << 1.0;
    }
    // Nothing any drawing sends to a page lies beyond it: a PDF writes a coordinate of 2^32
    // units or more as garbage that ends the page's content.
    void pageReach() {
        QFETCH(double, b);
        QFETCH(double, h);
        QFETCH(double, m);
        const QRectF box(600, 800, 4000, 2000);
        const double page = 14031;
        const Channel c{1, b, h, m, 0.001, 0.025};
        const std::vector<RatingPoint> curve = ratingCurve(c, 61);
        const std::function<void(QPainter&)> drawings[] = {
            [&](QPainter& p) { drawSection(p, box, b, h, m); },
            [&](QPainter& p) { drawSection(p, box, b, h, m, 1.1 * h, 1.3 * h, {}, b); },
            [&](QPainter& p) {
                Channel lined = c;
                lined.shape = ArcToeTrapezoid{b, h / 2, m};
                drawChannelSection(p, box, lined, 1.1 * h, 1.3 * h, b);
            },
            [&](QPainter& p) {
                drawRatingCurve(p, box, curve, h, curve.empty() ? 1 : curve[40].Q);
            },
            [&](QPainter& p) {
                Channel scheme = c;
                scheme.Q = curve.empty() ? 1e110 : curve[40].Q;
                const Computed<Schemes> s = schemesOf(scheme);
                if (s.exists()) drawSchemes(p, box, s.value());
            },
        };
        int which = 0;
        for (const auto& draw : drawings) {
            ReachPage target;
            QPainter painter(&target);
            draw(painter);
            painter.end();
            QVERIFY2(
                target.farthest() < page,
                qPrintable(
                    QStringLiteral("drawing %1 reaches %2").arg(which).arg(target.farthest())));
            ++which;
        }
    }

    // What the book says in place of a section it cannot draw to scale.
    void notToScaleIsSaid() {
        QCOMPARE(drawableToScale(2, 1, 1), true);
        QCOMPARE(drawableToScale(1e30, 1e30, 1e30), false);
        QCOMPARE(drawableToScale(0, 1, 5000), true);
        QCOMPARE(drawableToScale(0, 1, 5001), false);
        QCOMPARE(drawableToScale(1e5, 1e5, 0), true);
        QCOMPARE(drawableToScale(2e5, 1e5, 0), false);
        QCOMPARE(drawableToScale(0.0005, 0.0005, 0), false);
        QImage wide(QSize(600, 300), QImage::Format_ARGB32);
        wide.fill(Qt::white);
        QPainter painter(&wide);
        drawSection(painter, QRectF(wide.rect()), 1e30, 1e30, 1e30);
        painter.end();
        // The sentence is drawn (ink in the middle), no water.
        bool ink = false, water = false;
        for (int y = 0; y < wide.height(); ++y) {
            for (int x = 0; x < wide.width(); ++x) {
                ink = ink || qGray(wide.pixel(x, y)) < 128;
                water = water || isWater(wide.pixel(x, y));
            }
        }
        QVERIFY(ink);
        QVERIFY(!water);
    }

    void saveExamples() {
        const QString dir = qEnvironmentVariable("LINTAVO_FIGURES_DIR");
        if (dir.isEmpty()) QSKIP("LINTAVO_FIGURES_DIR is not set");
        struct Example {
            const char* name;
            Channel channel;
        };
        // Q = 0 here: the mark takes the discharge of the curve at the channel's depth.
        const Example examples[] = {{"trapezoid", {0, 2, 1, 1, 0.001, 0.025}},
                                    {"rectangle", {0, 2, 1, 0, 0.001, 0.025}},
                                    {"triangle", {0, 0, 0.6, 1.5, 0.002, 0.015}},
                                    {"river", {0, 40, 6, 2, 0.0002, 0.035}}};
        QPdfWriter pdf(dir + QStringLiteral("/figures.pdf"));
        pdf.setResolution(1200);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        QPainter page(&pdf);
        const double inch = pdf.resolution();
        double y = inch;
        for (const Example& e : examples) {
            Channel c = e.channel;
            const std::vector<RatingPoint> curve = ratingCurve(c, 61);
            QCOMPARE(curve.size(), std::size_t{61});
            c.Q = curve[40].Q;
            QImage section(600, 320, QImage::Format_ARGB32);
            section.fill(Qt::white);
            QPainter p1(&section);
            drawSection(p1, section.rect(), c.b, c.h, c.m);
            p1.end();
            QVERIFY(
                section.save(dir + QStringLiteral("/section-%1.png").arg(QLatin1String(e.name))));
            QImage rating(600, 400, QImage::Format_ARGB32);
            rating.fill(Qt::white);
            QPainter p2(&rating);
            drawRatingCurve(p2, rating.rect(), curve, c.h, c.Q);
            p2.end();
            QVERIFY(rating.save(dir + QStringLiteral("/rating-%1.png").arg(QLatin1String(e.name))));
            drawSection(page, QRectF(inch, y, 4 * inch, 2.1 * inch), c.b, c.h, c.m);
            drawRatingCurve(page, QRectF(inch, y + 2.3 * inch, 4 * inch, 2.6 * inch), curve, c.h,
                            c.Q);
            y += 5.2 * inch;
            if (y + 5 * inch > pdf.height()) {
                pdf.newPage();
                y = inch;
            }
        }
    }

  private:
    testing::ModalWatchdog watchdog_;
};

QTEST_MAIN(ReportFiguresTest)
#include "test_report_figures.moc"
