#pragma once

// Many reaches at once: a calculator window's batch window. A table whose columns are a free
// 名称, the window's inputs in reading order, its results and 说明, then any columns the
// user's own table brought along. Rows come from a paste (a spreadsheet's tab-separated
// cells), a CSV file (UTF-8 or GB18030) or an .xlsx file; 计算 runs the window's own press on
// every row, writing the results or, for a row that fails, the failure report's sentence in
// 说明; the table goes out as CSV, as .xlsx, to the clipboard, or as one calculation book
// with a chapter a row, each chapter the book of that row's press.
//
// The table is a view of a model over the batch's own rows (shell/batch_model.h), so that
// a hundred thousand rows cost their texts. The window is a child of its calculator window,
// made on first use and hidden with it. Nothing here computes anything the press does not.

#include <QByteArray>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "calculators/batch.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace lintavo {

class BatchModel;
class CalculatorWindow;

// The key that opens a calculator window's batch window.
inline constexpr auto batchShortcut = Qt::CTRL | Qt::Key_B;

class BatchWindow : public QWidget {
    Q_OBJECT

  public:
    explicit BatchWindow(CalculatorWindow& calculator);

    const CalculatorTable& table() const { return table_; }
    QTableView* grid() const { return grid_; }
    BatchModel* model() const { return model_; }

    // Replaces the rows by a file's, CSV or .xlsx by its suffix; the reason in Chinese when
    // the file cannot be used, empty when it was read.
    QString importFrom(const QString& path);
    // Writes the table as CSV (UTF-8 with a byte-order mark) or .xlsx, by the suffix; the
    // reason when it cannot, empty when written.
    QString exportTo(const QString& path);
    // Writes one calculation book with a chapter for every row, as a PDF; the reason when it
    // does not (取消 among them), empty when written.
    QString exportBook(const QString& path);
    // The same book as a PDF's bytes, each chapter the book a press of the row makes (its
    // drawings, the design check under the settings in force), made a chapter at a time with
    // the progress bar moving and 取消 answered between chapters. Nothing, and the reason in
    // `why`, when there is no row or it was cancelled.
    std::optional<QByteArray> book(QString& why);

    // Pastes a spreadsheet's cells at the current cell; a first row naming the quantities
    // replaces the table as an import would. The reason when it cannot, or empty.
    QString pasteText(const QString& text);
    // The table with its header as a spreadsheet takes it: tab-separated lines.
    QString tableText() const;

    // Runs every row that holds anything; the window stays responsive, and 取消 stops it
    // between rows. Rows computed and rows failed.
    struct Outcome {
        int computed = 0;
        int failed = 0;
        bool cancelled = false;
    };
    Outcome compute();
    void cancel() { cancelled_ = true; }
    bool computing() const { return computing_; }

  Q_SIGNALS:
    // While computing and while making the book.
    void progressed(int done, int total);

  protected:
    // Closing the window while it computes stops the batch between two rows.
    void closeEvent(QCloseEvent* event) override;
    // Ctrl+C in the table copies the selection, not the view's current cell alone.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void importInteractively();
    void exportInteractively();
    void exportBookInteractively();
    // Says in the status line where `file` went, or why it did not, and shows the reason.
    void exported(const QString& title, const QString& file, const QString& error);
    void pasteClipboard();
    void copyTable();
    void copySelection();

    // The rows of a file or a paste; the first may be a header.
    QString load(std::vector<std::vector<std::string>> rows);
    void showColumns();
    std::vector<int> rowsToDo() const;        // the rows that hold anything
    std::vector<std::string> header() const;  // the batch's columns, then the kept ones
    void rowTexts(int row, std::vector<std::string>& texts) const;
    // The header and the rows that hold anything, as CSV or as tab-separated lines.
    std::string delimitedText(char separator) const;
    void setBusy(bool busy, const QString& doing = {});

    const CalculatorTable& table_;
    BatchModel* model_;
    QTableView* grid_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* compute_;
    QPushButton* cancel_;
    std::vector<QWidget*> idleOnly_;  // disabled while a batch runs
    bool cancelled_ = false;
    bool computing_ = false;
};

}  // namespace lintavo
