#include "shell/main_window.h"

#include <QCloseEvent>
#include <QPalette>
#include <QPushButton>

#include "shell/qt_text.h"

namespace lintavo {

namespace {

constexpr FaceStyle lishu15bi{"隶书", 15, true, true};
constexpr FaceStyle song15bi{"宋体", 15, true, true};
constexpr FaceStyle song165i{"宋体", 16.5, false, true};

using enum ControlKind;

// Stacking order: the picture at the bottom, the note above it, the buttons on top.
// clang-format off
constexpr ControlRow controls[] = {
    // kind   name                  text                   left  top   width height font  ink  tab
    {Picture, "Picture1",           ":/lintavo/picture.png", {0, 0, 8685, 5652}, std::nullopt, Ink::Default, 6},
    {Label,   "Label1",             "本计算程序适用于计算梯形或矩形断面渠道的Lintavo",
                                                           {1800, 480, 4092, 732},  song165i,  Ink::Red, NoTab, Align::Left, true},
    {Button,  "流量Q的计算",        "流量Q计算",           {960, 2040, 1932, 732},  lishu15bi, Ink::Default, 5},
    {Button,  "水深h的计算",        "水深h计算",           {3480, 2040, 1932, 732}, lishu15bi, Ink::Default, 4},
    {Button,  "底宽b的计算",        "底宽b计算",           {6120, 2040, 1932, 732}, lishu15bi, Ink::Default, 3},
    {Button,  "底坡i的计算",        "底坡i计算",           {960, 3600, 1932, 732},  lishu15bi, Ink::Default, 2},
    {Button,  "渠道断面尺寸的计算", "渠道断面  尺寸计算",  {3480, 3600, 1932, 732}, lishu15bi, Ink::Default, 1, Align::Left, true},
    {Button,  "结束",               "结  束",              {6120, 3600, 1932, 732}, song15bi,  Ink::Default, 0},
    {Label,   "Label2",             "编制：Orvesk",        {960, 5880, 7755, 555},  FaceStyle{"华文细黑", 21.75, true, false}, Ink::Default, NoTab, Align::Centre},
    {Label,   "Label3",             "2005年4月",           {1980, 6720, 5475, 495}, FaceStyle{"黑体", 21.75, false, false},    Ink::Default, NoTab, Align::Centre},
};
// clang-format on

constexpr FormTable menuWindow{
    "Lintavo", "Lintavo", TwipPoint{840, 975}, {10020, 7725}, {"宋体", 14.25, true, true}, controls,
};

// clang-format off
constexpr MenuEntry menu[] = {
    {"流量Q的计算",        "流量Q计算"},
    {"水深h的计算",        "水深h计算"},
    {"底宽b的计算",        "计算渠道底宽b"},
    {"底坡i的计算",        "底坡i计算"},
    {"渠道断面尺寸的计算", "断面尺寸"},
};
// clang-format on

// The window's background is the classic desktop colour of inactive title-bar text, a light
// silver; the picture area is a pale sky behind the drawing.
const QColor windowBackground(212, 208, 200);
const QColor pictureBackground(232, 240, 248);

}  // namespace

MainWindow::MainWindow(QWidget* parent) : Form(menuWindow, parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, windowBackground);
    setPalette(palette);
    setAutoFillBackground(true);

    QWidget* picture = control("Picture1");
    QPalette picturePalette = picture->palette();
    picturePalette.setColor(QPalette::Window, pictureBackground);
    picture->setPalette(picturePalette);
    picture->setAccessibleName(QStringLiteral("渠道断面示意图"));
    picture->setAccessibleDescription(
        QStringLiteral("梯形断面渠道的示意图：底宽 b，水深 h，边坡为 1 : m。"));

    for (const MenuEntry& entry : menu) {
        const QString target = qstr(entry.window);
        connect(button(entry.button), &QPushButton::clicked, this,
                [this, target] { Q_EMIT openRequested(target); });
    }
    connect(button("结束"), &QPushButton::clicked, this, &QWidget::close);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closed();
}

}  // namespace lintavo
