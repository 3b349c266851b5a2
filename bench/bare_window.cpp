// The floor of what the toolkit allows: one fixed-size Qt Widgets window with a label, the
// size of Lintavo's main window, and nothing else.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(668, 515);
    QLabel label(QStringLiteral("Bare window"), &window);
    label.move(64, 392);
    window.show();
    return QApplication::exec();
}
