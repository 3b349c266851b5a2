#include "shell/main_window.h"

#include <QCloseEvent>
#include <QMenu>
#include <QPalette>
#include <QPushButton>

#include "calculators/menu_table.h"
#include "shell/qt_text.h"

namespace lintavo {

namespace {

// The window's background is the classic desktop colour of inactive title-bar text, a light
// silver; the picture area is a pale sky behind the drawing.
const QColor windowBackground(212, 208, 200);
const QColor pictureBackground(232, 240, 248);

}  // namespace

MainWindow::MainWindow(std::span<const CalculatorTable> calculators, QWidget* parent)
    : Form(menu::menuWindow, parent) {
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

    // The calculations with a button of their own open from it; the others are the entries of
    // the menu that drops from 衬砌渠道, in the list's order.
    QPushButton* lined = button(menu::linedSections);
    auto* others = new QMenu(lined);
    for (std::size_t k = 0; k < calculators.size(); ++k) {
        if (!calculators[k].opener.empty()) {
            connect(button(calculators[k].opener), &QPushButton::clicked, this,
                    [this, k] { Q_EMIT openRequested(k); });
            continue;
        }
        QAction* entry = others->addAction(qstr(calculators[k].window.title));
        entry->setData(QVariant::fromValue(k));
        connect(entry, &QAction::triggered, this, [this, k] { Q_EMIT openRequested(k); });
    }
    lined->setMenu(others);
    lined->setToolTip(QStringLiteral("U形渠道、弧形坡脚梯形渠道和无压圆管的流量与水深计算"));
    lined->setVisible(!others->isEmpty());
    QPushButton* canal = button(menu::canalProfile);
    canal->setToolTip(QStringLiteral("多个渠段组成的一条渠道：各段水深、校核与纵断面水位推求"));
    connect(canal, &QPushButton::clicked, this, [this] { Q_EMIT canalRequested(); });
    connect(button(rowWith(menu::menuWindow, endButton)->name), &QPushButton::clicked, this,
            &QWidget::close);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closed();
}

}  // namespace lintavo
