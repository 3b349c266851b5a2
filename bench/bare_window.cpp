// The floor of what the toolkit allows: one fixed-size Qt Widgets window with a label, the
// size of Lintavo's main window, and nothing else. Built twice: with a Latin label, and with
// a Chinese one (CHINESE), which costs one CJK face as any Chinese window must.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
#ifdef CHINESE
    window.setWindowTitle(QStringLiteral("Bare-zh"));
    QLabel label(QStringLiteral("明渠均匀流计算"), &window);
#else
    window.setWindowTitle(QStringLiteral("Bare"));
    QLabel label(QStringLiteral("Bare window"), &window);
#endif
    window.setFixedSize(668, 515);
    label.move(64, 392);
    window.show();
    return QApplication::exec();
}
