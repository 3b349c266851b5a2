#pragma once

// The calculation book of a calculator window's last press, in a window of its own beside
// it, with 复制, 打印…, 导出 PDF…, 导出 Word…, 导出 CAD… and 关闭. It is made the first time it is
// asked for, follows each new press while it is shown, and goes away with its calculator window; it
// never keeps the program running on its own.

#include <QMargins>
#include <QRect>
#include <QWidget>

#include "book/report.h"

class QLabel;
class QTextBrowser;
class QUrl;

namespace lintavo {

class CalculatorWindow;

class ReportWindow : public QWidget {
    Q_OBJECT

  public:
    // A window of its own, owned by `calculator`.
    explicit ReportWindow(CalculatorWindow& calculator);

    // The book's window as it would like to be, and the least it is read at: its drawings
    // (300 pixels wide) and tables whole, without scrolling sideways. Beside a calculator
    // window of 565 pixels that still leaves a 1024-pixel screen room for both.
    static constexpr QSize preferredSize{780, 860};
    static constexpr QSize leastSize{420, 360};

    // Reads the calculator's last press again.
    void refresh();

    // Shows the book, raised and active; placed beside its calculator when it was hidden.
    void open();

    const CalculationReport& report() const { return report_; }
    const QTextBrowser* view() const { return view_; }
    const QLabel* status() const { return status_; }

    void copy();
    // With no printer to print on, says so and offers 导出 PDF… instead.
    void print();
    // The exports ask where (shell/exports.h), write there whole or not at all, and say in
    // the status line where the file went or why it did not; the …To functions write to
    // `file` without asking, and are true when it was written.
    void exportPdf();
    bool exportPdfTo(const QString& file);
    void designSettings();  // 校核设置…
    void bookNames();       // 计算书信息…

    // 采用此方案 on the row of the last press's schemes (0 for α = 1.00 … 4 for α = 1.04):
    // the calculator window passes the scheme on to be checked in 流量Q计算. False where the
    // press has no schemes or there is no such row.
    bool adoptScheme(std::size_t row);
    void exportWord();
    bool exportWordTo(const QString& file);
    // The section as DXF, at the scale the user picks.
    void exportDrawing();
    bool exportDrawingTo(const QString& file, int scale);

  private:
    // The buttons of the book, in their order, before 关闭 at the far end: a new way out for
    // the book is one more line here.
    struct Action {
        const char* caption;
        const char* name;  // the button's object name, as scripts find it
        void (ReportWindow::*run)();
    };
    static constexpr Action actions[] = {
        {"复制", "copy", &ReportWindow::copy},
        {"打印…", "print", &ReportWindow::print},
        {"导出 PDF…", "exportPdf", &ReportWindow::exportPdf},
        {"导出 Word…", "exportWord", &ReportWindow::exportWord},
        {"导出 CAD…", "exportDrawing", &ReportWindow::exportDrawing},
        {"校核设置…", "designSettings", &ReportWindow::designSettings},
        {"计算书信息…", "bookInfo", &ReportWindow::bookNames},
    };

    void say(const QString& text, bool trouble = false);
    // Says where `file` went when it was `written`, else `why` not; returns `written`.
    bool told(const QString& file, bool written, const QString& why);
    QString calculation() const;  // the calculator's window title
    void follow(const QUrl& link);

    CalculatorWindow& calculator_;
    QTextBrowser* view_;
    QLabel* status_;
    CalculationReport report_;
};

// Where the book's window and its calculator go, frames both.
struct BookPlace {
    QRect book;
    QRect calculator;
};

// The book opens within `available` (the screen less its panels) beside `calculator` (its
// frame), to its right or left, below or above it, where a strip of the screen there has room
// for `least` (in the strip where it is largest). Where none has, the calculator
// moves to the nearer edge of the screen (left or right, else top or bottom) and the book
// takes the room that frees beside it. Only a screen too small for both side by side at their
// least has the book over part of the calculator. The book is as large as `preferred` where
// the room allows, never larger than the room; the calculator never leaves `available`.
BookPlace bookPlacement(const QRect& available, const QRect& calculator, QSize preferred,
                        QSize least);

// The book of the calculator's last press, dated now.
CalculationReport reportOf(const CalculatorWindow& calculator);

// The book of a press of `table`, with the design check under the settings in force: the
// calculator's own and each chapter of a batch's book alike.
CalculationReport reportOf(const CalculatorTable& table, const Record& record, const QString& when);

}  // namespace lintavo
