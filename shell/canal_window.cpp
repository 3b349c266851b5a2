#include "shell/canal_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "canal/json.h"
#include "formats/canal_book.h"
#include "formats/canal_table.h"
#include "formats/csv.h"
#include "formats/dxf.h"
#include "formats/limits.h"
#include "formats/profile_dxf.h"
#include "formats/whole_file.h"
#include "formats/xlsx.h"
#include "shell/canal_book_files.h"
#include "shell/design_dialog.h"
#include "shell/design_settings.h"
#include "shell/exports.h"
#include "shell/profile_view.h"
#include "shell/project_files.h"
#include "shell/project_session.h"
#include "shell/qt_text.h"
#include "shell/reach_models.h"
#include "shell/report_document.h"

namespace lintavo {

namespace {

const QString projectFilter = QStringLiteral("Lintavo 工程文件 (*.lintavo)");
const QString projectSuffix = QStringLiteral("lintavo");

std::vector<int> selectedRows(const QTableView* view) {
    std::set<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && view->currentIndex().isValid()) rows.insert(view->currentIndex().row());
    return {rows.begin(), rows.end()};
}

QTableView* makeTable(QAbstractItemModel* model, const QString& name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    return view;
}

// A header as a reach's key: its words before any unit, "流量Q (m³/s)" or "流量Q\n(m³/s)" →
// "Q"; nullptr for a column no reach reads (the batch's results, 说明).
const char* reachKeyOf(const std::string& header) {
    QString text = qstr(header);
    const qsizetype unit = text.indexOf(QRegularExpression(QStringLiteral("[(（\\[]")));
    if (unit >= 0) text.truncate(unit);
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    text = text.toLower();
    // clang-format off
    static const std::pair<const char*, const char*> names[] = {
        {"名称", "name"}, {"name", "name"}, {"渠段", "name"}, {"渠段名称", "name"},
        {"起点桩号", "from"}, {"起点", "from"}, {"from", "from"},
        {"终点桩号", "to"}, {"终点", "to"}, {"to", "to"},
        {"q", "Q"}, {"流量", "Q"}, {"流量q", "Q"},
        {"b", "b"}, {"底宽", "b"}, {"底宽b", "b"},
        {"m", "m"}, {"边坡", "m"}, {"边坡m", "m"}, {"边坡系数", "m"}, {"边坡系数m", "m"},
        {"i", "i"}, {"底坡", "i"}, {"底坡i", "i"}, {"比降", "i"},
        {"n", "n"}, {"糙率", "n"}, {"糙率n", "n"},
        {"局部水头损失", "loss"}, {"局部水头损失δh", "loss"}, {"δh", "loss"}, {"loss", "loss"},
        {"末端局部损失δh", "loss"}, {"水头损失", "loss"},
    };
    // clang-format on
    for (const auto& [name, key] : names) {
        if (text == QString::fromUtf8(name)) return key;
    }
    return nullptr;
}

std::optional<std::string> readBounded(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // One byte past the bound, so that a longer file is told from one that fits.
    const QByteArray bytes = file.read(static_cast<qint64>(limits::maxTableFileBytes) + 1);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool isBlankCell(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

QString levelText(const std::optional<double>& x) {
    return x ? QString::number(*x, 'f', 3) + QStringLiteral(" m") : QStringLiteral("—");
}

}  // namespace

CanalWindow::CanalWindow(QWidget* parent)
    : QMainWindow(parent),
      session_(new ProjectSession(this)),
      reachModel_(new ReachTableModel(*session_, this)),
      controlModel_(new ControlTableModel(*session_, this)) {
    setObjectName(QString::fromUtf8(canalWindowName));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(1120, 760);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    // The reaches, and the buttons that add, take away and explain one.
    auto* reachBox = new QGroupBox(QStringLiteral("渠段（自渠首至渠尾）"), central);
    auto* reachLayout = new QVBoxLayout(reachBox);
    reaches_ = makeTable(reachModel_, QStringLiteral("reaches"), reachBox);
    reaches_->setAccessibleName(QStringLiteral("渠段表"));
    reachLayout->addWidget(reaches_);
    auto* reachButtons = new QHBoxLayout;
    const auto addButton = [reachBox, reachButtons](const QString& text, const QString& name) {
        auto* button = new QPushButton(text, reachBox);
        button->setObjectName(name);
        reachButtons->addWidget(button);
        return button;
    };
    connect(addButton(QStringLiteral("插入渠段(&I)"), QStringLiteral("insertReach")),
            &QPushButton::clicked, this, &CanalWindow::insertReach);
    connect(addButton(QStringLiteral("删除渠段(&D)"), QStringLiteral("removeReach")),
            &QPushButton::clicked, this, &CanalWindow::removeReaches);
    connect(addButton(QStringLiteral("本段计算书(&B)"), QStringLiteral("reachBook")),
            &QPushButton::clicked, this, &CanalWindow::openReachBook);
    reachButtons->addStretch();
    reachLayout->addLayout(reachButtons);

    // The levels the profile starts from.
    auto* levelBox = new QGroupBox(QStringLiteral("水位推求"), central);
    auto* levelLayout = new QVBoxLayout(levelBox);
    auto* headRow = new QFormLayout;
    head_ = new QLineEdit(levelBox);
    head_->setObjectName(QStringLiteral("headLevel"));
    head_->setPlaceholderText(QStringLiteral("空着：由控制点推求"));
    headRow->addRow(QStringLiteral("渠首设计水位(m)："), head_);
    levelLayout->addLayout(headRow);
    levelLayout->addWidget(
        new QLabel(QStringLiteral("控制点（地面高程 A0 + h0 为需要的水位）："), levelBox));
    controls_ = makeTable(controlModel_, QStringLiteral("controls"), levelBox);
    controls_->setAccessibleName(QStringLiteral("控制点表"));
    levelLayout->addWidget(controls_);
    auto* controlButtons = new QHBoxLayout;
    auto* addControl = new QPushButton(QStringLiteral("添加控制点"), levelBox);
    auto* removeControl = new QPushButton(QStringLiteral("删除控制点"), levelBox);
    controlButtons->addWidget(addControl);
    controlButtons->addWidget(removeControl);
    controlButtons->addStretch();
    levelLayout->addLayout(controlButtons);
    inlet_ = new QLabel(levelBox);
    inlet_->setObjectName(QStringLiteral("inlet"));
    inlet_->setWordWrap(true);
    levelLayout->addWidget(inlet_);
    connect(head_, &QLineEdit::editingFinished, this, &CanalWindow::editHeadLevel);
    connect(addControl, &QPushButton::clicked, this, [this] {
        const QModelIndex at = controls_->currentIndex();
        controlModel_->insertControl(at.isValid() ? at.row() + 1 : controlModel_->rowCount());
    });
    connect(removeControl, &QPushButton::clicked, this,
            [this] { controlModel_->removeControls(selectedRows(controls_)); });

    auto* tables = new QSplitter(Qt::Horizontal, central);
    tables->addWidget(reachBox);
    tables->addWidget(levelBox);
    tables->setStretchFactor(0, 3);
    tables->setStretchFactor(1, 1);
    profile_ = new ProfileView(central);
    auto* split = new QSplitter(Qt::Vertical, central);
    split->addWidget(tables);
    split->addWidget(profile_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split);
    setCentralWidget(central);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(status_, 1);

    buildMenus();
    connect(session_, &ProjectSession::changed, this, &CanalWindow::follow);
    follow();
}

CanalWindow::~CanalWindow() {
    // The session is a child and goes after this window has stopped being one: it must not
    // call back into it on the way.
    session_->disconnect(this);
}

void CanalWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* blank = file->addAction(QStringLiteral("新建(&N)"), this, &CanalWindow::newProject);
    blank->setShortcut(QKeySequence::New);
    QAction* open = file->addAction(QStringLiteral("打开(&O)…"), this, &CanalWindow::openAsked);
    open->setShortcut(QKeySequence::Open);
    recent_ = file->addMenu(QStringLiteral("最近的文件(&R)"));
    connect(recent_, &QMenu::aboutToShow, this, &CanalWindow::fillRecent);
    file->addSeparator();
    QAction* save =
        file->addAction(QStringLiteral("保存(&S)"), this, [this] { (void)this->save(); });
    save->setShortcut(QKeySequence::Save);
    QAction* saveAs =
        file->addAction(QStringLiteral("另存为(&A)…"), this, [this] { (void)this->saveAs(); });
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    QMenu* out = file->addMenu(QStringLiteral("导出(&E)"));
    out->addAction(QStringLiteral("水力计算成果表(&T)…"), this, [this] { exportAsked(0); });
    out->addAction(QStringLiteral("纵断面图 DXF(&D)…"), this, [this] { exportAsked(1); });
    out->addAction(QStringLiteral("各渠段横断面图 DXF(&S)…"), this, [this] { exportAsked(4); });
    out->addAction(QStringLiteral("计算书 PDF(&P)…"), this, [this] { exportAsked(2); });
    out->addAction(QStringLiteral("计算书 Word(&W)…"), this, [this] { exportAsked(3); });
    file->addSeparator();
    file->addAction(QStringLiteral("关闭(&C)"), this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    QAction* undo = session_->undoStack().createUndoAction(this, QStringLiteral("撤销"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = session_->undoStack().createRedoAction(this, QStringLiteral("重做"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QAction* paste = edit->addAction(QStringLiteral("粘贴行(&P)"), this, &CanalWindow::pasteRows);
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    reaches_->addAction(paste);
    edit->addAction(QStringLiteral("插入渠段(&I)"), this, &CanalWindow::insertReach);
    edit->addAction(QStringLiteral("导入渠段(&M)…"), this, &CanalWindow::importAsked);
    edit->addAction(QStringLiteral("删除渠段(&D)"), this, &CanalWindow::removeReaches);

    QMenu* project = menuBar()->addMenu(QStringLiteral("工程(&P)"));
    project->addAction(QStringLiteral("工程信息(&I)…"), this, &CanalWindow::editInfo);
    project->addAction(QStringLiteral("校核设置(&S)…"), this, &CanalWindow::editSettings);
    project->addSeparator();
    project->addAction(QStringLiteral("本段计算书(&B)"), this, &CanalWindow::openReachBook);
}

// ── what the project files ──

namespace {

struct ExportChoice {
    const char* what;    // for the dialog's title and the messages
    const char* suffix;  // the file name's, offered first
    const char* filter;
};

// clang-format off
constexpr ExportChoice exportChoices[] = {
    {"水力计算成果表", ".xlsx", "Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"},
    {"纵断面图",       ".dxf",  "DXF 图形 (*.dxf)"},
    {"计算书",         ".pdf",  "PDF 文件 (*.pdf)"},
    {"计算书",         ".docx", "Word 文档 (*.docx)"},
    {"各渠段横断面图", ".dxf",  "DXF 图形 (*.dxf)"},
};
// clang-format on

std::string todayText() {
    return utf8(QDate::currentDate().toString(Qt::ISODate));
}

}  // namespace

QString CanalWindow::exportTable(const QString& file) {
    const std::optional<std::string> bytes =
        resultTableBytes(utf8(file), session_->profile(), session_->project());
    if (!bytes) return QStringLiteral("成果表的文件名应以 .xlsx 或 .csv 结尾。");
    return writeWholeFile(file, std::string_view(*bytes));
}

QString CanalWindow::exportProfile(const QString& file, int horizontal, int vertical) {
    const Project& project = session_->project();
    const std::vector<ProfileReach> reaches = profileReaches(session_->profile(), project);
    const ProfileScales scales{horizontal, vertical};
    const std::string refused = profileRefusal(reaches, scales);
    if (!refused.empty()) return QString::fromStdString(refused);
    const BookInfo names{
        project.info.name, {}, project.info.designer, project.info.checker, project.info.reviewer};
    return writeWholeFile(file, std::string_view(dxf::write(profileDrawing(
                                    reaches, scales, {names, todayText()}, project.info.canal))));
}

QString CanalWindow::exportBook(const QString& file) {
    const CanalBook book = canalBook(session_->project(), session_->profile(), bedTables(),
                                     todayText(), utf8(programName()));
    if (file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return writeCanalBookPdf(book, file);
    if (file.endsWith(QStringLiteral(".docx"), Qt::CaseInsensitive))
        return writeCanalBookDocx(book, file);
    return QStringLiteral("计算书的文件名应以 .pdf 或 .docx 结尾。");
}

QString CanalWindow::exportSections(const QString& file) {
    const Project& project = session_->project();
    const BookInfo names{
        project.info.name, {}, project.info.designer, project.info.checker, project.info.reviewer};
    const std::optional<std::string> bytes =
        reachSectionsDxf(session_->profile(), {names, todayText()});
    if (!bytes) return QString::fromUtf8(noReachSection.data(), noReachSection.size());
    return writeWholeFile(file, std::string_view(*bytes));
}

void CanalWindow::exportAsked(int kind) {
    const ExportChoice& k = exportChoices[kind];
    int horizontal = ProfileScales{}.horizontal;
    int vertical = ProfileScales{}.vertical;
    if (kind == 1) {
        // The scales engineers draw canal profiles at; another may be typed as 水平:垂直.
        const QStringList offered{QStringLiteral("1000:100"), QStringLiteral("2000:100"),
                                  QStringLiteral("5000:200"), QStringLiteral("10000:500")};
        bool chosen = false;
        const QString scales = QInputDialog::getItem(
            this, QStringLiteral("纵断面图比例"),
            QStringLiteral("水平比例与垂直比例的分母（水平:垂直）："), offered, 1, true, &chosen);
        if (!chosen) return;
        const QStringList parts = scales.split(QLatin1Char(':'));
        bool readH = false;
        bool readV = false;
        if (parts.size() == 2) {
            horizontal = parts[0].trimmed().toInt(&readH);
            vertical = parts[1].trimmed().toInt(&readV);
        }
        if (!readH || !readV) {
            say(QStringLiteral("比例“%1”应写作 水平:垂直 的两个整数，如 2000:100。").arg(scales),
                true);
            return;
        }
    }
    QString suggested = session_->file().isEmpty() ? QString::fromUtf8(k.what)
                                                   : QFileInfo(session_->file()).completeBaseName();
    if (!session_->file().isEmpty())
        suggested = QFileInfo(session_->file()).dir().filePath(suggested);
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("导出%1").arg(QString::fromUtf8(k.what)),
        suggested + QString::fromUtf8(k.suffix), QString::fromUtf8(k.filter));
    if (file.isEmpty()) return;
    const QString why = kind == 0   ? exportTable(file)
                        : kind == 1 ? exportProfile(file, horizontal, vertical)
                        : kind == 4 ? exportSections(file)
                                    : exportBook(file);
    if (why.isEmpty()) {
        say(QStringLiteral("已导出%1：%2")
                .arg(QString::fromUtf8(k.what), QDir::toNativeSeparators(file)));
    } else {
        say(why, true);
        QMessageBox::warning(this, QStringLiteral("导出%1").arg(QString::fromUtf8(k.what)), why);
    }
}

// ── the file ────────────────────────────────────────────────────────────────────────────────

void CanalWindow::newProject() {
    if (!letGo()) return;
    session_->newProject();
}

QString CanalWindow::openFile(const QString& file) {
    const QString why = session_->open(file);
    if (why.isEmpty()) {
        say(QStringLiteral("已打开：%1").arg(QDir::toNativeSeparators(session_->file())));
    } else {
        say(why, true);
    }
    return why;
}

void CanalWindow::openAsked() {
    if (!letGo()) return;
    const QString folder =
        session_->file().isEmpty() ? exportFolder() : QFileInfo(session_->file()).absolutePath();
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("打开工程"), folder, projectFilter);
    if (file.isEmpty()) return;
    if (const QString why = openFile(file); !why.isEmpty())
        QMessageBox::warning(this, QStringLiteral("打开工程"), why);
}

QString CanalWindow::saveTo(const QString& file) {
    const QString why = session_->save(file);
    if (why.isEmpty()) {
        say(QStringLiteral("已保存：%1").arg(QDir::toNativeSeparators(session_->file())));
    } else {
        say(why, true);
    }
    return why;
}

bool CanalWindow::save() {
    if (session_->file().isEmpty()) return saveAs();
    const QString why = saveTo(session_->file());
    if (!why.isEmpty()) QMessageBox::warning(this, QStringLiteral("保存工程"), why);
    return why.isEmpty();
}

bool CanalWindow::saveAs() {
    QString suggested = session_->file();
    if (suggested.isEmpty()) {
        const QString name = qstr(session_->project().info.name);
        suggested = QDir(exportFolder())
                        .filePath((name.isEmpty() ? QStringLiteral("渠道工程") : name) +
                                  QLatin1Char('.') + projectSuffix);
    }
    QString file =
        QFileDialog::getSaveFileName(this, QStringLiteral("工程另存为"), suggested, projectFilter);
    if (file.isEmpty()) return false;
    if (QFileInfo(file).suffix().isEmpty()) file += QLatin1Char('.') + projectSuffix;
    const QString why = saveTo(file);
    if (!why.isEmpty()) QMessageBox::warning(this, QStringLiteral("保存工程"), why);
    return why.isEmpty();
}

bool CanalWindow::letGo() {
    if (!session_->modified()) return true;
    const auto answer = QMessageBox::question(
        this, QString::fromUtf8(canalWindowName),
        QStringLiteral("工程有未保存的修改。要先保存吗？"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Save) return save();
    session_->discard();
    return true;
}

void CanalWindow::fillRecent() {
    recent_->clear();
    const QStringList files = recentProjects();
    if (files.isEmpty()) {
        recent_->addAction(QStringLiteral("（没有）"))->setEnabled(false);
        return;
    }
    int k = 0;
    for (const QString& file : files) {
        ++k;
        recent_->addAction(QStringLiteral("&%1 %2").arg(k).arg(QDir::toNativeSeparators(file)),
                           this, [this, file] {
                               if (!letGo()) return;
                               if (const QString why = openFile(file); !why.isEmpty())
                                   QMessageBox::warning(this, QStringLiteral("打开工程"), why);
                           });
    }
}

bool CanalWindow::offerRecovery() {
    const std::vector<LeftAutosave> left = leftAutosaves();
    if (left.empty()) return false;
    const LeftAutosave& newest = left.front();
    const QString what =
        newest.file.isEmpty()
            ? QStringLiteral("一个未命名的工程")
            : QStringLiteral("工程“%1”").arg(QDir::toNativeSeparators(newest.file));
    const auto answer = QMessageBox::question(
        this, QStringLiteral("恢复工程"),
        QStringLiteral("上次%1的修改没有保存就结束了（自动保存于 %2）。要恢复这些修改吗？\n"
                       "选“否”将丢弃自动保存的内容。")
            .arg(what, newest.written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        dropAutosave(newest.autosave);
        return false;
    }
    const QString why = session_->recover(newest);
    if (!why.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("恢复工程"), why);
        return false;
    }
    say(QStringLiteral("已恢复自动保存的修改，请保存。"));
    return true;
}

QString CanalWindow::recoverLatest() {
    const std::vector<LeftAutosave> left = leftAutosaves();
    if (left.empty()) return QStringLiteral("没有可以恢复的自动保存。");
    const QString why = session_->recover(left.front());
    say(why.isEmpty() ? QStringLiteral("已恢复自动保存的修改，请保存。") : why, !why.isEmpty());
    return why;
}

void CanalWindow::closeEvent(QCloseEvent* event) {
    if (!letGo()) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT closed();
}

// ── the edits ───────────────────────────────────────────────────────────────────────────────

QString CanalWindow::typeReach(int row, const QString& key, const QString& text) {
    const auto* column =
        std::find_if(std::begin(reachColumns), std::begin(reachColumns) + reachInputColumns,
                     [&key](const ReachColumn& c) { return key == QLatin1String(c.key); });
    if (column == std::begin(reachColumns) + reachInputColumns)
        return QStringLiteral("渠段没有“%1”一项：可以是 name from to Q b m i n loss。").arg(key);
    if (row < 0 || row >= reachModel_->rowCount())
        return QStringLiteral("没有第 %1 个渠段：工程有 %2 个渠段。")
            .arg(row + 1)
            .arg(reachModel_->rowCount());
    const QModelIndex index =
        reachModel_->index(row, static_cast<int>(column - std::begin(reachColumns)));
    reaches_->setCurrentIndex(index);
    reachModel_->setData(index, text, Qt::EditRole);
    return {};
}

void CanalWindow::pasteRows() {
    const std::vector<QStringList> rows = tabSeparated(QApplication::clipboard()->text());
    if (rows.empty()) return;
    QModelIndex at = reaches_->currentIndex();
    if (!at.isValid()) at = reachModel_->index(0, 0);
    reachModel_->paste(at.isValid() ? at.row() : 0, at.isValid() ? at.column() : 0, rows);
}

QString CanalWindow::importReaches(const QString& file, bool replace) {
    const QString shown = QDir::toNativeSeparators(file);
    const auto bytes = readBounded(file);
    if (!bytes) return QStringLiteral("无法读取文件“%1”。").arg(shown);
    if (bytes->size() > limits::maxTableFileBytes)
        return QStringLiteral("文件“%1”超过了 %2 MiB 的上限，无法导入。")
            .arg(shown)
            .arg(limits::maxTableFileBytes >> 20);
    std::string refusal;
    std::optional<std::vector<std::vector<std::string>>> table;
    if (file.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        table = readXlsx(*bytes, &refusal);
        if (!table)
            return QStringLiteral("“%1”不是可以读取的 .xlsx 工作簿：%2").arg(shown, qstr(refusal));
    } else {
        table = readCsvTable(*bytes, &refusal);
        if (!table) return QStringLiteral("无法导入“%1”：%2").arg(shown, qstr(refusal));
    }
    std::vector<std::vector<std::string>>& rows = *table;
    std::erase_if(rows, [](const std::vector<std::string>& row) {
        return std::all_of(row.begin(), row.end(), isBlankCell);
    });
    if (rows.empty()) return QStringLiteral("“%1”中没有任何数据，无法导入。").arg(shown);

    // The first row names the columns; a column named twice is read from its first.
    std::vector<const char*> keys;
    bool hydraulic = false;
    for (const std::string& header : rows.front()) {
        const char* key = reachKeyOf(header);
        if (key && std::any_of(keys.begin(), keys.end(),
                               [key](const char* k) { return k && std::string_view(k) == key; }))
            key = nullptr;
        if (key && std::string_view(key) != "name" && std::string_view(key) != "from" &&
            std::string_view(key) != "to")
            hydraulic = true;
        keys.push_back(key);
    }
    if (!hydraulic)
        return QStringLiteral(
                   "“%1”的第一行没有可以识别的列名（名称、起点桩号、终点桩号、Q、b、m、i、n、"
                   "局部水头损失，或 流量Q、底宽b、边坡系数m、底坡i、糙率n），无法导入。")
            .arg(shown);
    if (rows.size() < 2) return QStringLiteral("“%1”只有列名，没有渠段。").arg(shown);

    Project after = session_->project();
    if (replace) after.reaches.clear();
    const std::size_t count = rows.size() - 1;
    if (after.reaches.size() + count > maxReaches)
        return QStringLiteral("导入后将有 %1 个渠段，超过了 %2 个的上限。")
            .arg(after.reaches.size() + count)
            .arg(maxReaches);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        Reach reach;
        for (std::size_t c = 0; c < rows[r].size() && c < keys.size(); ++c) {
            if (keys[c]) *reachField(reach, keys[c]) = utf8(qstr(rows[r][c]).trimmed());
        }
        after.reaches.push_back(std::move(reach));
    }
    session_->edit(after, replace ? QStringLiteral("导入 %1 个渠段（替换）").arg(count)
                                  : QStringLiteral("导入 %1 个渠段").arg(count));
    say(QStringLiteral("已从“%1”导入 %2 个渠段。").arg(shown).arg(count));
    return {};
}

void CanalWindow::importAsked() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("导入渠段"), QDir::homePath(),
        QStringLiteral("表格 (*.csv *.txt *.xlsx);;CSV 文件 (*.csv *.txt);;Excel 工作簿 (*.xlsx)"));
    if (file.isEmpty()) return;
    bool replace = false;
    if (!session_->project().reaches.empty()) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("导入渠段"),
                        QStringLiteral("工程已有 %1 个渠段。导入的渠段接在它们后面，"
                                       "还是替换它们？")
                            .arg(session_->project().reaches.size()),
                        QMessageBox::Cancel, this);
        QPushButton* append = ask.addButton(QStringLiteral("追加"), QMessageBox::AcceptRole);
        QPushButton* over = ask.addButton(QStringLiteral("替换"), QMessageBox::DestructiveRole);
        ask.setDefaultButton(append);
        ask.exec();
        if (ask.clickedButton() != append && ask.clickedButton() != over) return;
        replace = ask.clickedButton() == over;
    }
    const QString why = importReaches(file, replace);
    if (!why.isEmpty()) {
        say(why, true);
        QMessageBox::warning(this, QStringLiteral("导入渠段"), why);
    }
}

void CanalWindow::insertReach() {
    const QModelIndex at = reaches_->currentIndex();
    reachModel_->insertReach(at.isValid() ? at.row() + 1 : reachModel_->rowCount());
}

void CanalWindow::removeReaches() {
    reachModel_->removeReaches(selectedRows(reaches_));
}

void CanalWindow::editHeadLevel() {
    const QString text = head_->text().trimmed();
    Project after = session_->project();
    if (text.isEmpty()) {
        after.levels.headLevel.reset();
    } else {
        after.levels.headLevel = utf8(text);
    }
    session_->edit(after, QStringLiteral("修改渠首设计水位"));
}

void CanalWindow::editInfo() {
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("工程信息"));
    auto* form = new QFormLayout;
    const ProjectInfo& info = session_->project().info;
    const std::pair<const char*, const std::string*> rows[] = {
        {"工程名称：", &info.name}, {"渠道名称：", &info.canal}, {"计算：", &info.designer},
        {"校核：", &info.checker},  {"审核：", &info.reviewer},
    };
    std::vector<QLineEdit*> fields;
    for (const auto& [label, text] : rows) {
        auto* field = new QLineEdit(qstr(*text), &dialog);
        form->addRow(QString::fromUtf8(label), field);
        fields.push_back(field);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    Project after = session_->project();
    std::string* targets[] = {&after.info.name, &after.info.canal, &after.info.designer,
                              &after.info.checker, &after.info.reviewer};
    for (std::size_t k = 0; k < fields.size(); ++k)
        *targets[k] = utf8(fields[k]->text().trimmed());
    session_->edit(after, QStringLiteral("修改工程信息"));
}

// The project's own settings: the dialog of the calculator windows, kept in the project.
void CanalWindow::editSettings() {
    auto* dialog = new DesignSettingsDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("校核设置（本工程）"));
    dialog->fill(session_->project().settings);
    dialog->keepIn([this](const DesignSettings& settings) {
        Project after = session_->project();
        after.settings = settings;
        session_->edit(after, QStringLiteral("修改校核设置"));
    });
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

void CanalWindow::openReachBook() {
    const QModelIndex at = reaches_->currentIndex();
    const auto row = static_cast<std::size_t>(at.isValid() ? at.row() : 0);
    const auto& results = session_->profile().reaches;
    if (row >= results.size()) return;
    const ReachResult& r = results[row];
    if (!r.Q || !r.b || !r.m || !r.i || !r.n) {
        say(QStringLiteral("第 %1 段的 Q、b、m、i、n 不全，没有计算书。").arg(row + 1), true);
        return;
    }
    // The numbers as read, each the shortest text that reads back as the same double.
    std::vector<std::string> texts;
    for (const double x : {*r.Q, *r.b, *r.m, *r.i, *r.n})
        texts.push_back(jsonNumber(x).value_or(std::string()));
    Q_EMIT reachBookRequested(texts);
}

// ── what is shown ───────────────────────────────────────────────────────────────────────────

void CanalWindow::follow() {
    const Project& project = session_->project();
    const CanalProfile& profile = session_->profile();
    const QString file = session_->file().isEmpty() ? QStringLiteral("未命名")
                                                    : QFileInfo(session_->file()).fileName();
    setWindowTitle(QString::fromUtf8(canalWindowName) + QStringLiteral(" — ") + file +
                   QStringLiteral("[*]"));
    setWindowModified(session_->modified());
    if (!head_->hasFocus()) head_->setText(qstr(project.levels.headLevel.value_or(std::string())));
    profile_->show(&profile);

    QString inlet = QStringLiteral("渠首设计水位：%1").arg(levelText(profile.inletLevel));
    if (profile.inletLevel) {
        if (profile.fromHead) {
            inlet += QStringLiteral("（给定）");
        } else if (profile.governing && *profile.governing < profile.controls.size()) {
            const ControlResult& c = profile.controls[*profile.governing];
            if (c.station)
                inlet +=
                    QStringLiteral("（由控制点 %1 推求）").arg(qstr(formatStation(*c.station)));
        }
    }
    for (const std::string& problem : profile.problems)
        inlet += QLatin1Char('\n') + qstr(problem);
    inlet_->setText(inlet);
    if (!session_->autosaveTrouble().isEmpty())
        say(QStringLiteral("自动保存失败：") + session_->autosaveTrouble(), true);
}

void CanalWindow::say(const QString& text, bool trouble) {
    status_->setText(text);
    QPalette p = status_->palette();
    p.setColor(QPalette::WindowText,
               trouble ? QColor(192, 0, 0) : palette().color(QPalette::WindowText));
    status_->setPalette(p);
}

}  // namespace lintavo
