#include "shell/batch_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>
#include <memory>
#include <sstream>
#include <variant>

#include "book/report.h"
#include "formats/csv.h"
#include "formats/limits.h"
#include "formats/whole_file.h"
#include "formats/xlsx.h"
#include "shell/batch_model.h"
#include "shell/book_settings.h"
#include "shell/calculator_window.h"
#include "shell/exports.h"
#include "shell/number_field.h"
#include "shell/qt_text.h"
#include "shell/report_document.h"
#include "shell/report_window.h"

namespace lintavo {

namespace {

// Rows computed between two looks at the event queue: a few milliseconds of presses, so
// that 取消 and the window's own painting are answered at once.
constexpr int rowsBetweenEvents = 64;

bool isBlank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

std::optional<std::string> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // Read one byte past the bound, so that a longer file is told from one that fits.
    const QByteArray bytes = file.read(static_cast<qint64>(limits::maxTableFileBytes) + 1);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool isXlsx(const QString& path) {
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

}  // namespace

BatchWindow::BatchWindow(CalculatorWindow& calculator)
    : QWidget(&calculator, Qt::Window),
      table_(calculator.table()),
      model_(new BatchModel(table_, this)),
      grid_(new QTableView(this)),
      progress_(new QProgressBar(this)),
      status_(new QLabel(this)),
      compute_(new QPushButton(QStringLiteral("计算"), this)),
      cancel_(new QPushButton(QStringLiteral("取消"), this)) {
    setObjectName(QStringLiteral("批量计算"));
    setWindowTitle(QStringLiteral("批量计算 — %1").arg(qstr(table_.window.title)));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(980, 620);

    grid_->setObjectName(QStringLiteral("rows"));
    grid_->setAccessibleName(QStringLiteral("批量计算表格"));
    grid_->setAlternatingRowColors(true);
    grid_->setModel(model_);
    grid_->horizontalHeader()->setDefaultSectionSize(96);
    model_->setRowCount(20);
    showColumns();

    const auto button = [this](const QString& caption, const char* name, auto action) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        idleOnly_.push_back(b);
        return b;
    };
    auto* top = new QHBoxLayout;
    top->addWidget(button(QStringLiteral("导入…"), "import", &BatchWindow::importInteractively));
    top->addWidget(button(QStringLiteral("粘贴"), "paste", &BatchWindow::pasteClipboard));
    top->addWidget(button(QStringLiteral("添加行"), "addRows",
                          [this] { model_->setRowCount(model_->rowCount() + 10); }));
    top->addWidget(button(QStringLiteral("清空"), "clear", [this] {
        model_->reset({}, std::vector<BatchRow>(20));
        showColumns();
    }));
    top->addStretch();
    compute_->setObjectName(QStringLiteral("compute"));
    compute_->setAutoDefault(false);
    connect(compute_, &QPushButton::clicked, this, [this] { compute(); });
    idleOnly_.push_back(compute_);
    top->addWidget(compute_);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, &BatchWindow::cancel);
    top->addWidget(cancel_);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(button(QStringLiteral("导出…"), "export", &BatchWindow::exportInteractively));
    bottom->addWidget(button(QStringLiteral("复制表格"), "copyTable", &BatchWindow::copyTable));
    bottom->addWidget(button(QStringLiteral("导出计算书 PDF…"), "exportBook",
                             &BatchWindow::exportBookInteractively));
    bottom->addStretch();
    bottom->addWidget(button(QStringLiteral("关闭"), "close", &QWidget::close));

    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setTextVisible(true);
    progress_->setFormat(QStringLiteral("%v / %m"));
    progress_->setValue(0);
    status_->setObjectName(QStringLiteral("status"));
    status_->setText(QStringLiteral("粘贴（Ctrl+V）或导入各渠段的输入，再按“计算”。"));

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_);
    progressRow->addWidget(status_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    layout->addLayout(progressRow);
    layout->addLayout(bottom);

    // The spreadsheet keys, in the table.
    auto* paste = new QAction(this);
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QAction::triggered, this, &BatchWindow::pasteClipboard);
    grid_->addAction(paste);
    // The view itself would copy the current cell alone.
    grid_->installEventFilter(this);
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, [this] {
        if (computing_) {
            cancel();
        } else {
            close();
        }
    });
    addAction(escape);
    setBusy(false);
}

// 说明 takes what room is left, unless kept columns follow it.
void BatchWindow::showColumns() {
    const bool kept = !model_->extraHeaders().empty();
    grid_->horizontalHeader()->setStretchLastSection(!kept);
    grid_->setColumnWidth(model_->noteColumn(), kept ? 240 : 300);
}

QString BatchWindow::load(std::vector<std::vector<std::string>> rows) {
    if (rows.empty()) return QStringLiteral("文件中没有任何行。");
    // A row of the window holds its texts and their place on screen, about half a kilobyte:
    // the window takes a canal's reaches by the hundred thousand; lintavo-calc, which holds a
    // row at a time, takes any number.
    constexpr std::size_t mostRows = 200000;
    if (rows.size() > mostRows + 1)
        return QStringLiteral(
                   "表格有 %1 行，批量计算窗口最多接受 %2 行；"
                   "更多的行请分成几个文件，或用 lintavo-calc 计算。")
            .arg(rows.size())
            .arg(mostRows);
    std::size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.size());
    auto start = startTable(table_, rows.front(), width);
    if (auto* error = std::get_if<std::string>(&start)) return qstr(*error);
    const std::size_t first = std::get<TableStart>(start).firstIsRow ? 0 : 1;
    const ColumnMap map = std::get<TableStart>(std::move(start)).map;
    const auto inputs = static_cast<std::size_t>(model_->inputs());
    const auto kept = static_cast<std::size_t>(model_->noteColumn()) + 1;
    std::vector<BatchRow> batch(rows.size() - first);
    for (std::size_t r = first; r < rows.size(); ++r) {
        std::vector<std::string>& source = rows[r];
        const auto take = [&source](std::size_t c) {
            return c < source.size() ? std::move(source[c]) : std::string();
        };
        // Each row as wide as its last cell: the results and 说明 come with 计算.
        std::vector<std::string> cells(map.extras.empty() ? 1 + inputs : kept + map.extras.size());
        if (map.name) cells[0] = take(*map.name);
        for (std::size_t k = 0; k < inputs; ++k)
            cells[1 + k] = utf8(NumberField::withoutLineBreaks(qstr(take(map.inputs[k]))));
        for (std::size_t e = 0; e < map.extras.size(); ++e)
            cells[kept + e] = take(map.extras[e]);
        batch[r - first].cells = std::move(cells);
        // The source row is done with: a long file is not held twice.
        std::vector<std::string>().swap(source);
    }
    model_->reset(std::move(map.extraHeaders), std::move(batch));
    showColumns();
    progress_->setValue(0);
    status_->setText(QStringLiteral("已读入 %1 行。").arg(rows.size() - first));
    return {};
}

QString BatchWindow::importFrom(const QString& path) {
    const auto bytes = readWhole(path);
    if (!bytes) return QStringLiteral("无法读取文件“%1”。").arg(QDir::toNativeSeparators(path));
    if (bytes->size() > limits::maxTableFileBytes)
        return QStringLiteral("文件“%1”超过了 %2 MiB 的上限，请把它分成几个文件。")
            .arg(QDir::toNativeSeparators(path))
            .arg(limits::maxTableFileBytes >> 20);
    std::vector<std::vector<std::string>> rows;
    std::string refusal;
    if (isXlsx(path)) {
        auto sheet = readXlsx(*bytes, &refusal);
        if (!sheet)
            return QStringLiteral("“%1”不是可以读取的 .xlsx 工作簿：%2")
                .arg(QDir::toNativeSeparators(path), qstr(refusal));
        rows = std::move(*sheet);
        // A sheet's empty rows are no reaches.
        std::erase_if(rows, [](const std::vector<std::string>& row) {
            return std::all_of(row.begin(), row.end(), isBlank);
        });
    } else {
        auto table = readCsvTable(*bytes, &refusal);
        if (!table) return qstr(refusal);
        rows = std::move(*table);
    }
    return load(std::move(rows));
}

std::vector<int> BatchWindow::rowsToDo() const {
    std::vector<int> work;
    for (int r = 0; r < model_->rowCount(); ++r) {
        if (!model_->rowIsBlank(r)) work.push_back(r);
    }
    return work;
}

std::vector<std::string> BatchWindow::header() const {
    std::vector<std::string> header = batchColumns(table_);
    const auto& kept = model_->extraHeaders();
    header.insert(header.end(), kept.begin(), kept.end());
    return header;
}

void BatchWindow::rowTexts(int row, std::vector<std::string>& texts) const {
    texts.resize(static_cast<std::size_t>(model_->columnCount()));
    for (std::size_t c = 0; c < texts.size(); ++c)
        texts[c] = model_->text(row, static_cast<int>(c));
}

// Built from the model a row at a time, never through a copy of the whole table.
std::string BatchWindow::delimitedText(char separator) const {
    std::string out;
    appendCsvRecord(out, header(), separator);
    std::vector<std::string> texts;
    for (const int r : rowsToDo()) {
        rowTexts(r, texts);
        appendCsvRecord(out, texts, separator);
    }
    return out;
}

QString BatchWindow::exportTo(const QString& path) {
    std::string bytes;
    if (isXlsx(path)) {
        const std::vector<int> work = rowsToDo();
        XlsxWriter sheet;
        std::vector<std::string> texts = header();
        std::vector<XlsxCell> cells(texts.size());
        for (std::size_t r = 0; r <= work.size(); ++r) {
            if (r > 0) rowTexts(work[r - 1], texts);
            cells.resize(texts.size());
            for (std::size_t c = 0; c < texts.size(); ++c) {
                // Numbers as numbers, so that a spreadsheet can compute with them; names,
                // "0.781或6.999", 无解 and 说明 as texts.
                // A slope typed "1/5000" as 0.0002 that shows as 1/5000.
                const bool name = c == 0 || static_cast<int>(c) == model_->noteColumn();
                std::optional<XlsxCell> ratio;
                if (r > 0 && !name) ratio = xlsxSlopeRatio(texts[c]);
                if (ratio) {
                    cells[c] = std::move(*ratio);
                } else {
                    const bool number = r > 0 && !name && isXlsxNumber(texts[c]);
                    cells[c] = {std::move(texts[c]), number};
                }
            }
            sheet.addRow(cells);
        }
        bytes = std::move(sheet).finish(table_.window.title);
    } else {
        bytes = "\xEF\xBB\xBF" + delimitedText(',');
    }
    return writeWholeFile(path, bytes);
}

std::optional<QByteArray> BatchWindow::book(QString& why) {
    if (computing_) {
        why = QStringLiteral("正在计算，请等计算完成或取消后再导出计算书。");
        return std::nullopt;
    }
    const std::vector<int> work = rowsToDo();
    if (work.empty()) {
        why = QStringLiteral("表格中没有可以写入计算书的行。");
        return std::nullopt;
    }
    const auto total = static_cast<int>(work.size());
    setBusy(true, QStringLiteral("正在生成计算书…"));
    cancelled_ = false;
    // Each chapter is laid out twice: once to count the book's pages, which every page's
    // "共 Y 页" needs, then to print it.
    progress_->setRange(0, 2 * total);
    progress_->setValue(0);
    progress_->setFormat(QStringLiteral("%p%"));
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    CalculationReport whole;
    whole.calculation = std::string(table_.window.title);
    whole.program = utf8(programName());
    whole.when = utf8(now);
    whole.filed = bookInfo();
    PdfBook pdf(QStringLiteral("%1 批量计算书").arg(qstr(table_.window.title)),
                filedBook(whole, "批量计算书"));
    std::vector<std::string> inputs(static_cast<std::size_t>(model_->inputs()));
    // A chapter at a time, laid out and counted or printed, then the events: 取消 and the
    // window's painting are answered within a chapter's time, and only one chapter is held at
    // once.
    const auto chapter = [&](int done, QTextDocument& document) {
        const int r = work[static_cast<std::size_t>(done)];
        for (std::size_t k = 0; k < inputs.size(); ++k)
            inputs[k] = model_->text(r, 1 + static_cast<int>(k));
        Record record;
        runPress(table_.press, inputs, record);
        const QString name = qstr(model_->text(r, 0));
        layOutChapter(document, reportOf(table_, record, now),
                      name.isEmpty() ? QStringLiteral("第 %1 行").arg(r + 1)
                                     : QStringLiteral("第 %1 行　%2").arg(r + 1).arg(name));
    };
    // The first chapters stay laid out from their count to their print (about half a megabyte
    // each), so that a short book is laid out once; the later ones are laid out again.
    constexpr std::size_t keptChapters = 16;
    struct Kept {
        std::unique_ptr<QTextDocument> chapter;
        std::unique_ptr<QTextDocument> laid;  // paints the chapter's drawings: goes first
    };
    std::vector<Kept> kept;
    int pages = 1;  // the first page
    for (int done = 0; done < total && !cancelled_; ++done) {
        auto document = std::make_unique<QTextDocument>();
        chapter(done, *document);
        std::unique_ptr<QTextDocument> laid = pdf.layOut(*document);
        if (laid == nullptr) break;
        pages += laid->pageCount();
        if (kept.size() < keptChapters) kept.push_back({std::move(document), std::move(laid)});
        progress_->setValue(done + 1);
        QApplication::processEvents();
    }
    pdf.setTotal(pages);
    for (int done = 0; done < total && !cancelled_; ++done) {
        const auto k = static_cast<std::size_t>(done);
        if (k < kept.size()) {
            pdf.addLaidOut(*kept[k].laid);
            kept[k].laid.reset();
            kept[k].chapter.reset();
        } else {
            QTextDocument document;
            chapter(done, document);
            pdf.add(document);
        }
        progress_->setValue(total + done + 1);
        Q_EMIT progressed(done + 1, total);
        QApplication::processEvents();
    }
    progress_->setFormat(QStringLiteral("%v / %m"));
    const bool cancelled = cancelled_;
    setBusy(false);
    if (cancelled) {
        why = QStringLiteral("已取消：计算书没有导出。");
        status_->setText(why);
        return std::nullopt;
    }
    status_->setText(QStringLiteral("计算书共 %1 章、%2 页。").arg(total).arg(pdf.pages()));
    return pdf.finish();
}

QString BatchWindow::exportBook(const QString& path) {
    QString why;
    const std::optional<QByteArray> pdf = book(why);
    if (!pdf) return why;
    return writeWholeFile(path, *pdf);
}

QString BatchWindow::pasteText(const QString& text) {
    std::string refusal;
    auto pasted = splitPastedTable(utf8(text), &refusal);
    if (!refusal.empty()) return qstr(refusal);
    if (pasted.empty()) return {};
    if (isHeaderRow(pasted.front())) return load(std::move(pasted));
    const QModelIndex current = grid_->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : 0;
    // Into the columns the user fills, passing over the results and 说明.
    std::vector<int> targets;
    for (int c = column; c < model_->columnCount(); ++c) {
        if (model_->editable(c)) targets.push_back(c);
    }
    const int needed = row + static_cast<int>(pasted.size());
    if (needed > model_->rowCount()) model_->setRowCount(needed);
    for (std::size_t r = 0; r < pasted.size(); ++r) {
        for (std::size_t k = 0; k < pasted[r].size() && k < targets.size(); ++k) {
            const int c = targets[k];
            std::string value = std::move(pasted[r][k]);
            if (c >= 1 && c <= model_->inputs())
                value = utf8(NumberField::withoutLineBreaks(qstr(value)));
            model_->setText(row + static_cast<int>(r), c, std::move(value));
        }
    }
    status_->setText(QStringLiteral("已粘贴 %1 行。").arg(pasted.size()));
    return {};
}

QString BatchWindow::tableText() const {
    return qstr(delimitedText('\t'));
}

BatchWindow::Outcome BatchWindow::compute() {
    Outcome outcome;
    if (computing_) return outcome;
    const std::vector<int> work = rowsToDo();
    setBusy(true, QStringLiteral("正在计算…"));
    cancelled_ = false;
    progress_->setRange(0, static_cast<int>(work.size()));
    progress_->setValue(0);
    std::size_t done = 0;
    std::size_t shown = 0;  // the rows before it are on the screen as computed
    const auto show = [&] {
        if (shown == done) return;
        model_->rowsComputed(work[shown], work[done - 1]);
        shown = done;
        progress_->setValue(static_cast<int>(done));
        Q_EMIT progressed(static_cast<int>(done), static_cast<int>(work.size()));
    };
    while (done < work.size() && !cancelled_) {
        if (!model_->compute(work[done])) ++outcome.failed;
        ++outcome.computed;
        ++done;
        if (done % rowsBetweenEvents == 0) {
            show();
            QApplication::processEvents();
        }
    }
    show();
    outcome.cancelled = cancelled_;
    setBusy(false);
    status_->setText((outcome.cancelled ? QStringLiteral("已取消：算了 %1 行，其中 %2 行计算失败。")
                                        : QStringLiteral("已算完 %1 行，其中 %2 行计算失败。"))
                         .arg(outcome.computed)
                         .arg(outcome.failed));
    return outcome;
}

bool BatchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BatchWindow::closeEvent(QCloseEvent* event) {
    cancel();
    QWidget::closeEvent(event);
}

void BatchWindow::setBusy(bool busy, const QString& doing) {
    computing_ = busy;
    for (QWidget* w : idleOnly_)
        w->setEnabled(!busy);
    grid_->setEditTriggers(busy ? QAbstractItemView::NoEditTriggers
                                : QAbstractItemView::DoubleClicked |
                                      QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed);
    cancel_->setEnabled(busy);
    if (busy) status_->setText(doing);
}

void BatchWindow::pasteClipboard() {
    if (computing_) return;
    const QString error = pasteText(QGuiApplication::clipboard()->text());
    if (!error.isEmpty()) QMessageBox::warning(this, QStringLiteral("粘贴"), error);
}

void BatchWindow::copyTable() {
    QGuiApplication::clipboard()->setText(tableText());
    status_->setText(QStringLiteral("表格已复制，可以粘贴到电子表格中。"));
}

void BatchWindow::copySelection() {
    const QItemSelection selection = grid_->selectionModel()->selection();
    if (selection.isEmpty()) return;
    const QItemSelectionRange range = selection.front();
    std::string out;
    std::vector<std::string> row;
    for (int r = range.top(); r <= range.bottom(); ++r) {
        row.clear();
        for (int c = range.left(); c <= range.right(); ++c)
            row.push_back(model_->text(r, c));
        appendCsvRecord(out, row, '\t');
    }
    QGuiApplication::clipboard()->setText(qstr(out));
}

void BatchWindow::importInteractively() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("导入"), QDir::homePath(),
        QStringLiteral("表格 (*.csv *.txt *.xlsx);;CSV 文件 (*.csv *.txt);;Excel 工作簿 (*.xlsx)"));
    if (file.isEmpty()) return;
    const QString error = importFrom(file);
    if (!error.isEmpty()) QMessageBox::warning(this, QStringLiteral("导入"), error);
}

void BatchWindow::exportInteractively() {
    const QString title = QStringLiteral("导出");
    const QString file = askExportFile(this, title, qstr(table_.window.title),
                                       QStringLiteral("批量计算"), {xlsxFile, csvFile});
    if (file.isEmpty()) return;
    const QString error = exportTo(file);
    exported(title, file, error);
}

void BatchWindow::exportBookInteractively() {
    const QString title = QStringLiteral("导出计算书 PDF");
    const QString file = askExportFile(this, title, qstr(table_.window.title),
                                       QStringLiteral("批量计算书"), {pdfFile});
    if (file.isEmpty()) return;
    const QString error = exportBook(file);
    // 取消 is no trouble to be told of: the status line says it.
    if (error.isEmpty() || !cancelled_) exported(title, file, error);
}

void BatchWindow::exported(const QString& title, const QString& file, const QString& error) {
    status_->setText(error.isEmpty() ? exportedMessage(file) : error);
    if (!error.isEmpty()) QMessageBox::warning(this, title, error);
}

}  // namespace lintavo
