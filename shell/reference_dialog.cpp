#include "shell/reference_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "shell/design_settings.h"
#include "shell/qt_text.h"

namespace lintavo {

namespace {

constexpr int fixedColumns = 2;  // the group and the name before the values

// The decimals a cell is printed with: "0.0350–0.0450" → 4.
int decimalsOf(const std::string& text) {
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return 0;
    int digits = 0;
    for (std::size_t k = point + 1; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k)
        ++digits;
    return digits;
}

QString tableCaption(const StandardTable& table) {
    return QStringLiteral("表 %1 %2（GB 50288-%3）")
        .arg(qstr(table.number), qstr(table.title))
        .arg(table.year);
}

}  // namespace

ReferenceDialog::ReferenceDialog(StandardKind kind, QLineEdit* target, QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      target_(target),
      tableChoice_(new QComboBox),
      view_(new QTableWidget),
      selection_(new QLabel),
      within_(new QDoubleSpinBox),
      chooseButton_(new QPushButton(QStringLiteral("选用"))) {
    setObjectName(QStringLiteral("参考表"));
    const bool roughness = kind == StandardKind::Roughness;
    setWindowTitle(roughness
                       ? QStringLiteral("参考表 — 糙率 n（GB 50288-2018 附录 B）")
                       : QStringLiteral("参考表 — 边坡系数 m（GB 50288-2018 表 6.4.4、6.4.7）"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 520);

    for (const StandardTable& table : standardTables().tables) {
        if (table.kind != kind) continue;
        tables_.push_back(&table);
        tableChoice_->addItem(tableCaption(table), qstr(table.number));
    }
    tableChoice_->setObjectName(QStringLiteral("table"));
    view_->setObjectName(QStringLiteral("values"));
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectItems);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setWordWrap(false);
    selection_->setObjectName(QStringLiteral("selection"));
    selection_->setWordWrap(true);
    within_->setObjectName(QStringLiteral("within"));
    chooseButton_->setObjectName(QStringLiteral("choose"));

    auto* pick = new QHBoxLayout;
    pick->addWidget(new QLabel(QStringLiteral("取值：")));
    pick->addWidget(within_);
    pick->addStretch();
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(chooseButton_, QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(chooseButton_, &QPushButton::clicked, this, &ReferenceDialog::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReferenceDialog::reject);
    connect(tableChoice_, &QComboBox::currentIndexChanged, this, &ReferenceDialog::fillTable);
    connect(view_, &QTableWidget::itemSelectionChanged, this, &ReferenceDialog::cellSelected);
    connect(view_, &QTableWidget::cellDoubleClicked, this, [this] {
        if (cell_ != nullptr) choose();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tableChoice_);
    layout->addWidget(view_, 1);
    layout->addWidget(new QLabel(
        roughness ? QStringLiteral("选一个数值；范围在“取值”中选定，再按“选用”填入糙率 n。")
                  : QStringLiteral("选一个数值，按“选用”填入边坡系数 m。水深恰为 1 m 或 2 m "
                                   "时取较大的 m。")));
    layout->addWidget(selection_);
    layout->addLayout(pick);
    layout->addWidget(buttons);
    fillTable();
}

bool ReferenceDialog::showTable(const QString& number) {
    const int index = tableChoice_->findData(number);
    if (index < 0) return false;
    tableChoice_->setCurrentIndex(index);
    return true;
}

void ReferenceDialog::fillTable() {
    cell_ = nullptr;
    const int index = tableChoice_->currentIndex();
    view_->clear();
    if (index < 0) return;
    const StandardTable& table = *tables_[static_cast<std::size_t>(index)];
    QStringList headers{qstr(table.groupLabel), qstr(table.nameLabel)};
    for (const std::string& column : table.columns)
        headers.append(qstr(column));
    view_->setColumnCount(static_cast<int>(headers.size()));
    view_->setRowCount(static_cast<int>(table.rows.size()));
    view_->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < view_->rowCount(); ++r) {
        const StandardRow& row = table.rows[static_cast<std::size_t>(r)];
        const auto fixed = [](const std::string& text) {
            auto* item = new QTableWidgetItem(qstr(text));
            item->setFlags(Qt::ItemIsEnabled);
            return item;
        };
        view_->setItem(r, 0, fixed(row.group));
        view_->setItem(r, 1, fixed(row.name));
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            auto* item = new QTableWidgetItem(qstr(row.cells[c].text));
            item->setTextAlignment(Qt::AlignCenter);
            if (!row.cells[c].exists()) item->setFlags(Qt::ItemIsEnabled);
            view_->setItem(r, fixedColumns + static_cast<int>(c), item);
        }
    }
    cellSelected();
}

void ReferenceDialog::selectCell(int row, int column) {
    view_->setCurrentCell(row, fixedColumns + column);
}

void ReferenceDialog::cellSelected() {
    cell_ = nullptr;
    const int index = tableChoice_->currentIndex();
    const QList<QTableWidgetItem*> chosen = view_->selectedItems();
    if (index >= 0 && chosen.size() == 1 && chosen.front()->column() >= fixedColumns) {
        const StandardTable& table = *tables_[static_cast<std::size_t>(index)];
        const int r = chosen.front()->row();
        const int c = chosen.front()->column() - fixedColumns;
        const StandardRow& row = table.rows[static_cast<std::size_t>(r)];
        const StandardValue& cell = row.cells[static_cast<std::size_t>(c)];
        if (cell.exists()) {
            cell_ = &cell;
            const int decimals = decimalsOf(cell.text);
            within_->setDecimals(decimals);
            within_->setRange(cell.low, cell.high);
            within_->setSingleStep(std::pow(10.0, -decimals) * 5);
            within_->setValue(cell.low);
            within_->setEnabled(cell.shape == StandardValue::Shape::Range);
            const QString range = cell.shape == StandardValue::Shape::Range
                                      ? QStringLiteral("（范围，请在其中选定）")
                                      : QString();
            selection_->setText(QStringLiteral("表 %1（GB 50288-%2）%3 · %4 · %5：%6%7")
                                    .arg(qstr(table.number))
                                    .arg(table.year)
                                    .arg(qstr(row.group), qstr(row.name),
                                         qstr(table.columns[static_cast<std::size_t>(c)]),
                                         qstr(cell.text), range));
        }
    }
    if (cell_ == nullptr) {
        within_->setEnabled(false);
        selection_->setText(QStringLiteral("尚未选择数值。"));
    }
    chooseButton_->setEnabled(cell_ != nullptr && target_ != nullptr);
}

QString ReferenceDialog::chosenText() const {
    if (cell_ == nullptr) return {};
    if (cell_->shape != StandardValue::Shape::Range) return qstr(cell_->text);
    return QString::number(within_->value(), 'f', within_->decimals());
}

void ReferenceDialog::choose() {
    const QString text = chosenText();
    if (text.isEmpty() || target_ == nullptr) return;
    // Through the field's own editing, so that 撤销 takes it back like anything typed.
    target_->setFocus(Qt::OtherFocusReason);
    target_->selectAll();
    target_->insert(text);
    accept();
}

void openReference(StandardKind kind, QLineEdit* target) {
    auto* dialog = new ReferenceDialog(kind, target, target->window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

}  // namespace lintavo
