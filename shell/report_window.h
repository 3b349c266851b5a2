#pragma once

// The calculation book of a calculator window's last press, in a window of its own beside
// it, with 复制, 打印…, 导出 PDF…, 导出 Word…, 导出 CAD… and 关闭. It is made the first time it is
// asked for, follows each new press while it is shown, and goes away with its calculator window; it
// never keeps the program running on its own.

#include <QWidget>

#include "calculators/report.h"

class QTextBrowser;

namespace lintavo {

class CalculatorWindow;

class ReportWindow : public QWidget {
    Q_OBJECT

  public:
    // A window of its own, owned by `calculator`.
    explicit ReportWindow(CalculatorWindow& calculator);

    // Reads the calculator's last press again.
    void refresh();

    const CalculationReport& report() const { return report_; }
    const QTextBrowser* view() const { return view_; }

    void copy();
    void print();
    void exportPdf();
    void exportWord();
    // The section as DXF, at the scale the user picks.
    void exportDrawing();

  private:
    CalculatorWindow& calculator_;
    QTextBrowser* view_;
    CalculationReport report_;
};

// The book of the calculator's last press, dated now.
CalculationReport reportOf(const CalculatorWindow& calculator);

}  // namespace lintavo
