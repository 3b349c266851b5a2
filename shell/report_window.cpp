#include "shell/report_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "shell/calculator_window.h"
#include "shell/qt_text.h"
#include "shell/report_document.h"
#include "shell/report_files.h"

namespace lintavo {

CalculationReport reportOf(const CalculatorWindow& calculator) {
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return buildReport(calculator.table(), calculator.lastPress(), utf8(now), utf8(programName()));
}

ReportWindow::ReportWindow(CalculatorWindow& calculator)
    : QWidget(&calculator, Qt::Window), calculator_(calculator), view_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("计算书"));
    setWindowTitle(QStringLiteral("计算书 — %1").arg(qstr(calculator.table().window.title)));
    // Only the calculator windows and the menu decide when the program ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(780, 860);

    view_->setObjectName(QStringLiteral("report"));
    view_->setOpenLinks(false);
    view_->setAccessibleName(QStringLiteral("计算书"));

    const auto button = [this](const QString& caption, const char* name, auto action) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    auto* row = new QHBoxLayout;
    row->addWidget(button(QStringLiteral("复制"), "copy", &ReportWindow::copy));
    row->addWidget(button(QStringLiteral("打印…"), "print", &ReportWindow::print));
    row->addWidget(button(QStringLiteral("导出 PDF…"), "exportPdf", &ReportWindow::exportPdf));
    row->addWidget(button(QStringLiteral("导出 Word…"), "exportWord", &ReportWindow::exportWord));
    row->addWidget(
        button(QStringLiteral("导出 CAD…"), "exportDrawing", &ReportWindow::exportDrawing));
    row->addStretch();
    row->addWidget(button(QStringLiteral("关闭"), "close", &QWidget::close));
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(row);
    refresh();
}

void ReportWindow::refresh() {
    if (!calculator_.pressed()) {
        report_ = CalculationReport{};
        view_->document()->clear();
        view_->setHtml(QStringLiteral("<h2 style=\"text-align:center\">%1 计算书</h2>"
                                      "<p style=\"text-align:center\">尚未计算：请先输入计算参数，"
                                      "再按“计算”。</p>")
                           .arg(qstr(calculator_.table().window.title).toHtmlEscaped()));
        return;
    }
    report_ = reportOf(calculator_);
    // Laid out away from the view, which would otherwise follow every insertion.
    auto* document = new QTextDocument(view_);
    layOutReport(*document, report_);
    // The view deletes its first document itself; the later ones are ours.
    QTextDocument* old = view_->document();
    const bool ours = old->parent() == view_;
    view_->setDocument(document);
    if (ours) delete old;
}

void ReportWindow::copy() {
    QGuiApplication::clipboard()->setMimeData(reportMimeData(*view_->document(), report_));
}

void ReportWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    view_->document()->print(&printer);
}

void ReportWindow::exportPdf() {
    const QString suggested = QDir::home().filePath(
        QStringLiteral("%1计算书.pdf").arg(qstr(calculator_.table().window.title)));
    QString file = QFileDialog::getSaveFileName(this, QStringLiteral("导出 PDF"), suggested,
                                                QStringLiteral("PDF 文件 (*.pdf)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
    if (!exportReportPdf(*view_->document(), file)) {
        QMessageBox::warning(this, QStringLiteral("导出 PDF"),
                             QStringLiteral("无法写入文件“%1”。请选择另一个位置。")
                                 .arg(QDir::toNativeSeparators(file)));
    }
}

namespace {

// The file the user names, with `suffix` added when it lacks it; empty when cancelled.
QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                     const QString& filter, const QString& suffix) {
    QString file = QFileDialog::getSaveFileName(parent, title, suggested, filter);
    if (!file.isEmpty() && !file.endsWith(suffix, Qt::CaseInsensitive)) file += suffix;
    return file;
}

void cannotWrite(QWidget* parent, const QString& title, const QString& file) {
    QMessageBox::warning(
        parent, title,
        QStringLiteral("无法写入文件“%1”。请选择另一个位置。").arg(QDir::toNativeSeparators(file)));
}

}  // namespace

void ReportWindow::exportWord() {
    const QString title = QStringLiteral("导出 Word");
    if (!calculator_.pressed()) return;
    const QString file = saveFileName(
        this, title,
        QDir::home().filePath(
            QStringLiteral("%1计算书.docx").arg(qstr(calculator_.table().window.title))),
        QStringLiteral("Word 文档 (*.docx)"), QStringLiteral(".docx"));
    if (file.isEmpty()) return;
    if (!exportReportDocx(report_, file)) cannotWrite(this, title, file);
}

void ReportWindow::exportDrawing() {
    const QString title = QStringLiteral("导出 CAD");
    if (sectionOutlines(report_).empty()) {
        QMessageBox::information(this, title, QStringLiteral("计算书中没有可绘制的断面。"));
        return;
    }
    QStringList scales;
    for (const int scale : drawingScales)
        scales << QStringLiteral("1:%1").arg(scale);
    bool chosen = false;
    const QString scale =
        QInputDialog::getItem(this, title, QStringLiteral("出图比例："), scales, 1, false, &chosen);
    if (!chosen) return;
    const QString file = saveFileName(
        this, title,
        QDir::home().filePath(
            QStringLiteral("%1断面图.dxf").arg(qstr(calculator_.table().window.title))),
        QStringLiteral("DXF 图形 (*.dxf)"), QStringLiteral(".dxf"));
    if (file.isEmpty()) return;
    if (!exportReportDrawing(report_, file, scale.section(QLatin1Char(':'), 1).toInt()))
        cannotWrite(this, title, file);
}

}  // namespace lintavo
