#pragma once

// The calculation book of a calculator window's last press, in a window of its own beside
// it, with 复制, 打印…, 导出 PDF… and 关闭. It is made the first time it is asked for, follows
// each new press while it is shown, and goes away with its calculator window; it never keeps
// the program running on its own.

#include <QWidget>

#include "calculators/report.h"

class QTextBrowser;
class QUrl;

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

    // 采用此方案 on the row of the last press's schemes (0 for α = 1.00 … 4 for α = 1.04):
    // the calculator window passes the scheme on to be checked in 流量Q计算. False where the
    // press has no schemes or there is no such row.
    bool adoptScheme(std::size_t row);

  private:
    void follow(const QUrl& link);

    CalculatorWindow& calculator_;
    QTextBrowser* view_;
    CalculationReport report_;
};

// The book of the calculator's last press, dated now.
CalculationReport reportOf(const CalculatorWindow& calculator);

}  // namespace lintavo
