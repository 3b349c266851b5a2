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
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>
#include <sstream>
#include <variant>

#include "book/report.h"
#include "formats/csv.h"
#include "formats/limits.h"
#include "formats/whole_file.h"
#include "formats/xlsx.h"
#include "shell/calculator_window.h"
#include "shell/exports.h"
#include "shell/number_field.h"
#include "shell/qt_text.h"
#include "shell/report_document.h"

namespace lintavo {

namespace {

// Rows computed between two looks at the event queue: a few milliseconds of presses, so
// that 取消 and the window's own painting are answered at once.
constexpr int rowsBetweenEvents = 64;

const QColor resultInk(255, 0, 0);
const QColor failedRowShade(255, 232, 232);

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

// Gives the chapter's images names of their own in the book, so that the section drawn for
// one row is not taken for another's, and appends the chapter on a new page.
void appendChapter(QTextDocument& book, QTextDocument& chapter, int number, const QString& title) {
    struct Image {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Image> images;
    for (QTextBlock block = chapter.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat())
                images.push_back({fragment.position(), fragment.length(),
                                  fragment.charFormat().toImageFormat()});
        }
    }
    for (Image& image : images) {
        const QString old = image.format.name();
        const QString renamed = QStringLiteral("%1?%2").arg(old).arg(number);
        book.addResource(QTextDocument::ImageResource, QUrl(renamed),
                         chapter.resource(QTextDocument::ImageResource, QUrl(old)));
        image.format.setName(renamed);
        QTextCursor cursor(&chapter);
        cursor.setPosition(image.position);
        cursor.setPosition(image.position + image.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(image.format);
    }
    QTextCursor end(&book);
    end.movePosition(QTextCursor::End);
    QTextBlockFormat heading;
    heading.setAlignment(Qt::AlignLeft);
    if (number > 1) {
        heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        end.insertBlock(heading);
    } else {
        end.setBlockFormat(heading);
    }
    QTextCharFormat headingFont;
    headingFont.setFontPointSize(12);
    headingFont.setFontWeight(QFont::Bold);
    end.insertText(title, headingFont);
    end.insertBlock(QTextBlockFormat(), QTextCharFormat());
    end.insertFragment(QTextDocumentFragment(&chapter));
}

}  // namespace

BatchWindow::BatchWindow(CalculatorWindow& calculator)
    : QWidget(&calculator, Qt::Window),
      table_(calculator.table()),
      inputs_(static_cast<int>(rowsWith(table_.window, Role::Input).size())),
      results_(static_cast<int>(rowsWith(table_.window, Role::Output).size())),
      grid_(new QTableWidget(this)),
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
    grid_->horizontalHeader()->setDefaultSectionSize(96);
    grid_->horizontalHeader()->setStretchLastSection(true);
    setColumns({});
    setRowCount(20);

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
                          [this] { setRowCount(grid_->rowCount() + 10); }));
    top->addWidget(button(QStringLiteral("清空"), "clear", [this] {
        setColumns({});
        grid_->setRowCount(0);
        setRowCount(20);
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
    auto* copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &BatchWindow::copySelection);
    grid_->addAction(copy);
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
}

bool BatchWindow::editable(int column) const {
    return column <= inputs_ || column > inputs_ + results_ + 1;
}

void BatchWindow::setColumns(const std::vector<std::string>& extraHeaders) {
    extraHeaders_ = extraHeaders;
    QStringList labels;
    for (const std::string& c : batchColumns(table_))
        labels << qstr(c);
    for (const std::string& c : extraHeaders_)
        labels << qstr(c);
    grid_->setColumnCount(static_cast<int>(labels.size()));
    grid_->setHorizontalHeaderLabels(labels);
    // 说明 takes what room is left, unless kept columns follow it.
    grid_->horizontalHeader()->setStretchLastSection(extraHeaders_.empty());
    grid_->setColumnWidth(inputs_ + results_ + 1, extraHeaders_.empty() ? 300 : 240);
}

void BatchWindow::setRowCount(int rows) {
    const int before = grid_->rowCount();
    grid_->setRowCount(rows);
    for (int r = before; r < rows; ++r) {
        for (int c = 0; c < grid_->columnCount(); ++c)
            cell(r, c);
    }
}

// Every cell has an item, made here with the column's rules: results and 说明 are written by
// 计算 only, results in the red of a result field.
QTableWidgetItem* BatchWindow::cell(int row, int column) const {
    QTableWidgetItem* item = grid_->item(row, column);
    if (item != nullptr) return item;
    item = new QTableWidgetItem;
    if (!editable(column)) {
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        if (column <= inputs_ + results_) item->setForeground(resultInk);
    }
    grid_->setItem(row, column, item);
    return item;
}

std::string BatchWindow::text(int row, int column) const {
    const QTableWidgetItem* item = grid_->item(row, column);
    return item == nullptr ? std::string() : utf8(item->text());
}

bool BatchWindow::rowIsBlank(int row) const {
    for (int c = 0; c <= inputs_; ++c) {
        if (!isBlank(text(row, c))) return false;
    }
    return true;
}

QString BatchWindow::load(const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return QStringLiteral("文件中没有任何行。");
    ColumnMap map;
    std::size_t first = 0;
    if (isHeaderRow(rows.front())) {
        auto mapped = mapHeader(table_, rows.front());
        if (auto* error = std::get_if<std::string>(&mapped)) return qstr(*error);
        map = std::get<ColumnMap>(std::move(mapped));
        first = 1;
    } else {
        std::size_t width = 0;
        for (const auto& row : rows)
            width = std::max(width, row.size());
        map = headerlessMap(table_, width);
    }
    grid_->setRowCount(0);
    setColumns(map.extraHeaders);
    grid_->setUpdatesEnabled(false);
    setRowCount(static_cast<int>(rows.size() - first));
    const auto at = [](const std::vector<std::string>& row, std::size_t c) {
        return c < row.size() ? qstr(row[c]) : QString();
    };
    for (std::size_t r = first; r < rows.size(); ++r) {
        const int row = static_cast<int>(r - first);
        if (map.name) cell(row, 0)->setText(at(rows[r], *map.name));
        for (int k = 0; k < inputs_; ++k)
            cell(row, 1 + k)
                ->setText(NumberField::withoutLineBreaks(
                    at(rows[r], map.inputs[static_cast<std::size_t>(k)])));
        for (std::size_t e = 0; e < map.extras.size(); ++e)
            cell(row, inputs_ + results_ + 2 + static_cast<int>(e))
                ->setText(at(rows[r], map.extras[e]));
    }
    grid_->setUpdatesEnabled(true);
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
    return load(rows);
}

std::vector<std::vector<std::string>> BatchWindow::rows() const {
    std::vector<std::vector<std::string>> out;
    out.push_back(batchColumns(table_));
    out.back().insert(out.back().end(), extraHeaders_.begin(), extraHeaders_.end());
    for (int r = 0; r < grid_->rowCount(); ++r) {
        if (rowIsBlank(r)) continue;
        std::vector<std::string> row;
        row.reserve(static_cast<std::size_t>(grid_->columnCount()));
        for (int c = 0; c < grid_->columnCount(); ++c)
            row.push_back(text(r, c));
        out.push_back(std::move(row));
    }
    return out;
}

QString BatchWindow::exportTo(const QString& path) {
    const auto table = rows();
    std::string bytes;
    if (isXlsx(path)) {
        XlsxSheet sheet;
        for (std::size_t r = 0; r < table.size(); ++r) {
            sheet.emplace_back();
            for (std::size_t c = 0; c < table[r].size(); ++c) {
                // Numbers as numbers, so that a spreadsheet can compute with them; names,
                // "0.781或6.999", 无解 and 说明 as texts.
                const bool name = c == 0 || static_cast<int>(c) == inputs_ + results_ + 1;
                sheet.back().push_back({table[r][c], r > 0 && !name && isXlsxNumber(table[r][c])});
            }
        }
        bytes = writeXlsx(sheet, table_.window.title);
    } else {
        bytes = "\xEF\xBB\xBF";
        for (const auto& row : table)
            appendCsvRecord(bytes, row);
    }
    return writeWholeFile(path, bytes);
}

QString BatchWindow::exportBook(const QString& path) {
    QTextDocument book;
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    int chapter = 0;
    for (int r = 0; r < grid_->rowCount(); ++r) {
        if (rowIsBlank(r)) continue;
        std::vector<std::string> inputs;
        inputs.reserve(static_cast<std::size_t>(inputs_));
        for (int k = 0; k < inputs_; ++k)
            inputs.push_back(text(r, 1 + k));
        Record record;
        runPress(table_.press, inputs, record);
        QTextDocument page;
        layOutReport(page, buildReport(table_, record, utf8(now), utf8(programName())));
        if (chapter == 0) {
            book.setDefaultFont(page.defaultFont());
            book.setDefaultStyleSheet(page.defaultStyleSheet());
            book.setMetaInformation(QTextDocument::DocumentTitle,
                                    QStringLiteral("%1 批量计算书").arg(qstr(table_.window.title)));
        }
        const QString name = qstr(text(r, 0));
        ++chapter;
        appendChapter(book, page, chapter,
                      name.isEmpty() ? QStringLiteral("第 %1 行").arg(r + 1)
                                     : QStringLiteral("第 %1 行　%2").arg(r + 1).arg(name));
    }
    if (chapter == 0) return QStringLiteral("表格中没有可以写入计算书的行。");
    QString why;
    exportReportPdf(book, path, &why);
    return why;
}

QString BatchWindow::pasteText(const QString& text) {
    std::string refusal;
    const auto pasted = splitPastedTable(utf8(text), &refusal);
    if (!refusal.empty()) return qstr(refusal);
    if (pasted.empty()) return {};
    if (isHeaderRow(pasted.front())) return load(pasted);
    int row = grid_->currentRow();
    int column = grid_->currentColumn();
    if (row < 0 || column < 0) {
        row = 0;
        column = 0;
    }
    // Into the columns the user fills, passing over the results and 说明.
    std::vector<int> targets;
    for (int c = column; c < grid_->columnCount(); ++c) {
        if (editable(c)) targets.push_back(c);
    }
    const int needed = row + static_cast<int>(pasted.size());
    if (needed > grid_->rowCount()) setRowCount(needed);
    for (std::size_t r = 0; r < pasted.size(); ++r) {
        for (std::size_t k = 0; k < pasted[r].size() && k < targets.size(); ++k) {
            const int c = targets[k];
            QString value = qstr(pasted[r][k]);
            if (c >= 1 && c <= inputs_) value = NumberField::withoutLineBreaks(value);
            cell(row + static_cast<int>(r), c)->setText(value);
        }
    }
    status_->setText(QStringLiteral("已粘贴 %1 行。").arg(pasted.size()));
    return {};
}

QString BatchWindow::tableText() const {
    std::string out;
    for (const auto& row : rows())
        appendCsvRecord(out, row, '\t');
    return qstr(out);
}

BatchWindow::Outcome BatchWindow::compute() {
    Outcome outcome;
    if (computing_) return outcome;
    std::vector<int> work;
    for (int r = 0; r < grid_->rowCount(); ++r) {
        if (!rowIsBlank(r)) work.push_back(r);
    }
    setBusy(true);
    cancelled_ = false;
    progress_->setRange(0, static_cast<int>(work.size()));
    progress_->setValue(0);
    const int note = inputs_ + results_ + 1;
    std::vector<std::string> inputs(static_cast<std::size_t>(inputs_));
    std::size_t done = 0;
    for (; done < work.size() && !cancelled_; ++done) {
        const int r = work[done];
        for (int k = 0; k < inputs_; ++k)
            inputs[static_cast<std::size_t>(k)] = text(r, 1 + k);
        const RowOutcome row = pressRow(table_, inputs);
        for (int k = 0; k < results_; ++k)
            cell(r, 1 + inputs_ + k)
                ->setText(row.failed ? QString() : qstr(row.results[static_cast<std::size_t>(k)]));
        cell(r, note)->setText(qstr(row.note));
        cell(r, note)->setToolTip(qstr(row.note));
        cell(r, note)->setForeground(row.failed ? resultInk : palette().color(QPalette::Text));
        // A failed row stands out from the computed ones at a glance, whatever its columns.
        for (int column = 0; column <= note; ++column)
            cell(r, column)->setBackground(row.failed ? failedRowShade : QBrush());
        ++outcome.computed;
        if (row.failed) ++outcome.failed;
        if ((done + 1) % rowsBetweenEvents == 0) {
            progress_->setValue(static_cast<int>(done + 1));
            Q_EMIT progressed(static_cast<int>(done + 1), static_cast<int>(work.size()));
            QApplication::processEvents();
        }
    }
    progress_->setValue(static_cast<int>(done));
    outcome.cancelled = cancelled_;
    setBusy(false);
    status_->setText((outcome.cancelled ? QStringLiteral("已取消：算了 %1 行，其中 %2 行计算失败。")
                                        : QStringLiteral("已算完 %1 行，其中 %2 行计算失败。"))
                         .arg(outcome.computed)
                         .arg(outcome.failed));
    return outcome;
}

void BatchWindow::closeEvent(QCloseEvent* event) {
    cancel();
    QWidget::closeEvent(event);
}

void BatchWindow::setBusy(bool busy) {
    computing_ = busy;
    for (QWidget* w : idleOnly_)
        w->setEnabled(!busy);
    grid_->setEditTriggers(busy ? QAbstractItemView::NoEditTriggers
                                : QAbstractItemView::DoubleClicked |
                                      QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed);
    cancel_->setEnabled(busy);
    if (busy) status_->setText(QStringLiteral("正在计算…"));
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
    const auto ranges = grid_->selectedRanges();
    if (ranges.isEmpty()) return;
    const QTableWidgetSelectionRange range = ranges.front();
    std::string out;
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
        std::vector<std::string> row;
        for (int c = range.leftColumn(); c <= range.rightColumn(); ++c)
            row.push_back(text(r, c));
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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString error = exportBook(file);
    QApplication::restoreOverrideCursor();
    exported(title, file, error);
}

void BatchWindow::exported(const QString& title, const QString& file, const QString& error) {
    status_->setText(error.isEmpty() ? exportedMessage(file) : error);
    if (!error.isEmpty()) QMessageBox::warning(this, title, error);
}

}  // namespace lintavo
