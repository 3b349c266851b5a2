#include "shell/batch_model.h"

#include <QBrush>
#include <QColor>

#include "shell/qt_text.h"

namespace lintavo {

namespace {

const QColor resultInk(255, 0, 0);
const QColor failedRowShade(255, 232, 232);

bool isBlank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

BatchModel::BatchModel(const CalculatorTable& table, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      inputs_(static_cast<int>(rowsWith(table.window, Role::Input).size())),
      results_(static_cast<int>(rowsWith(table.window, Role::Output).size())) {
    for (const std::string& c : batchColumns(table_))
        headers_ << qstr(c);
}

int BatchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BatchModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : noteColumn() + 1 + static_cast<int>(extraHeaders_.size());
}

bool BatchModel::editable(int column) const {
    return column <= inputs_ || column > noteColumn();
}

const std::string& BatchModel::text(int row, int column) const {
    static const std::string none;
    const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
    const auto c = static_cast<std::size_t>(column);
    return c < cells.size() ? cells[c] : none;
}

void BatchModel::setText(int row, int column, std::string text) {
    auto& cells = rows_[static_cast<std::size_t>(row)].cells;
    const auto c = static_cast<std::size_t>(column);
    if (c >= cells.size()) {
        if (text.empty()) return;
        cells.resize(c + 1);
    }
    cells[c] = std::move(text);
    const QModelIndex at = index(row, column);
    Q_EMIT dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

bool BatchModel::rowIsBlank(int row) const {
    for (int c = 0; c <= inputs_; ++c) {
        if (!isBlank(text(row, c))) return false;
    }
    return true;
}

QVariant BatchModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return qstr(text(row, column));
        case Qt::ForegroundRole:
            if (column > inputs_ && column < noteColumn()) return QBrush(resultInk);
            if (column == noteColumn() && failed(row)) return QBrush(resultInk);
            return {};
        case Qt::BackgroundRole:
            // A failed row stands out from the computed ones at a glance, whatever its columns.
            if (failed(row) && column <= noteColumn()) return QBrush(failedRowShade);
            return {};
        case Qt::ToolTipRole:
            if (column == noteColumn() && !text(row, column).empty())
                return qstr(text(row, column));
            return {};
        default:
            return {};
    }
}

QVariant BatchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return headers_.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags BatchModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && editable(index.column())) flags |= Qt::ItemIsEditable;
    return flags;
}

bool BatchModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !editable(index.column())) return false;
    setText(index.row(), index.column(), utf8(value.toString()));
    return true;
}

void BatchModel::reset(std::vector<std::string> extraHeaders, std::vector<BatchRow> rows) {
    beginResetModel();
    headers_.resize(noteColumn() + 1);
    for (const std::string& h : extraHeaders)
        headers_ << qstr(h);
    extraHeaders_ = std::move(extraHeaders);
    rows_ = std::move(rows);
    endResetModel();
}

void BatchModel::setRowCount(int rows) {
    const int before = rowCount();
    if (rows > before) {
        beginInsertRows({}, before, rows - 1);
        rows_.resize(static_cast<std::size_t>(rows));
        endInsertRows();
    } else if (rows < before) {
        beginRemoveRows({}, rows, before - 1);
        rows_.resize(static_cast<std::size_t>(rows));
        endRemoveRows();
    }
}

bool BatchModel::compute(int row) {
    return computeBatchRow(table_, rows_[static_cast<std::size_t>(row)]);
}

void BatchModel::rowsComputed(int first, int last) {
    if (first > last) return;
    Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

}  // namespace lintavo
