// The drawing of the five schemes, measured in images on the offscreen platform: five
// sections down one centre line, each filled to its own depth at one common scale.

#include <QImage>
#include <QPainter>
#include <QTest>
#include <vector>

#include "shell/application.h"
#include "shell/scheme_figure.h"
#include "standard/schemes.h"

using namespace lintavo;

Q_DECLARE_METATYPE(lintavo::Channel)

namespace {

QImage drawn(const Schemes& schemes, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawSchemes(painter, QRectF(image.rect()), schemes);
    return image;
}

// The light blue of the water, allowing for antialiased edges.
bool water(QRgb pixel) {
    return qAbs(qRed(pixel) - 0xbf) < 6 && qAbs(qGreen(pixel) - 0xdf) < 6 &&
           qAbs(qBlue(pixel) - 0xff) < 6;
}

// The runs of water pixels down the column that holds the most of them: the common centre
// line, crossing every section at its full depth.
std::vector<int> depthsAtCentre(const QImage& image) {
    int best = -1, most = 0;
    for (int x = 0; x < image.width(); ++x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            count += water(image.pixel(x, y)) ? 1 : 0;
        if (count > most) most = count, best = x;
    }
    std::vector<int> runs;
    if (best < 0) return runs;
    int run = 0;
    for (int y = 0; y <= image.height(); ++y) {
        if (y < image.height() && water(image.pixel(best, y))) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    return runs;
}

}  // namespace

class SchemeFigureTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { prepareApplication(*qApp); }

    void oneScale_data() {
        QTest::addColumn<Channel>("channel");
        QTest::newRow("earth canal, m 1.5") << Channel{10, 0, 0, 1.5, 1.0 / 5000, 0.025};
        QTest::newRow("rectangle") << Channel{5, 0, 0, 0, 1.0 / 1500, 0.014};
        QTest::newRow("flat side slope, m 4") << Channel{3, 0, 0, 4, 0.0005, 0.0275};
    }
    void oneScale() {
        QFETCH(Channel, channel);
        const Schemes schemes = schemesOf(channel).value();
        const std::vector<int> depths = depthsAtCentre(drawn(schemes, QSize(720, 690)));
        QCOMPARE(depths.size(), schemes.rows.size());
        // Depth against the best section's, as h/h0: the same scale for all five.
        for (std::size_t k = 0; k < depths.size(); ++k) {
            const double expected = schemes.rows[k].eta * depths.front();
            QVERIFY2(
                qAbs(depths[k] - expected) <= 3.0,
                qPrintable(
                    QStringLiteral("row %1: %2 px for %3").arg(k).arg(depths[k]).arg(expected)));
        }
        QVERIFY(depths.front() > 40);  // the drawing uses its room
    }

    void tooSmall() {
        const Schemes schemes = schemesOf(Channel{10, 0, 0, 1.5, 1.0 / 5000, 0.025}).value();
        QVERIFY(depthsAtCentre(drawn(schemes, QSize(40, 20))).empty());
    }
};

QTEST_MAIN(SchemeFigureTest)
#include "test_scheme_figure.moc"
