#include "shell/reach_models.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <optional>

#include "shell/project_session.h"
#include "shell/qt_text.h"
#include "standard/verdict.h"

namespace lintavo {

namespace {

const QColor notMetInk(192, 0, 0);

// Depths and levels to the millimetre, as a profile's tables give them.
QString metres(const std::optional<double>& x) {
    return x ? QString::number(*x, 'f', 3) : QString();
}

QString ends(const std::optional<EndLevels>& levels) {
    if (!levels) return {};
    return QString::number(levels->up, 'f', 3) + QStringLiteral(" / ") +
           QString::number(levels->down, 'f', 3);
}

QString joined(const std::vector<std::string>& sentences) {
    QString all;
    for (const std::string& s : sentences)
        all += qstr(s);
    return all;
}

// The rules a reach does not meet, one a line, with their numbers.
QString notMet(const ReachResult& r) {
    QStringList lines;
    if (r.check) {
        for (const DesignRule& rule : r.check->rules) {
            if (rule.verdict == Verdict::NotMet)
                lines.append(QStringLiteral("%1（%2）不满足：%3")
                                 .arg(qstr(rule.name), qstr(rule.clause), qstr(rule.reason)));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

std::vector<int> descendingUnique(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

std::vector<QStringList> tabSeparated(const QString& text) {
    QString all = text;
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    all.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (all.endsWith(QLatin1Char('\n'))) all.chop(1);
    std::vector<QStringList> rows;
    if (all.isEmpty()) return rows;
    for (const QString& line : all.split(QLatin1Char('\n')))
        rows.push_back(line.split(QLatin1Char('\t')));
    return rows;
}

SessionTableModel::SessionTableModel(ProjectSession& session, RowsOf rowsOf, QObject* parent)
    : QAbstractTableModel(parent),
      session_(session),
      rows_(rowsOf(session.project())),
      rowsOf_(rowsOf) {
    connect(&session_, &ProjectSession::changed, this, &SessionTableModel::follow);
}

void SessionTableModel::follow() {
    const int rows = rowsOf_(session_.project());
    if (rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
        return;
    }
    if (rows_ > 0) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

int SessionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

// ── the reaches ─────────────────────────────────────────────────────────────────────────────

ReachTableModel::ReachTableModel(ProjectSession& session, QObject* parent)
    : SessionTableModel(
          session, [](const Project& project) { return static_cast<int>(project.reaches.size()); },
          parent) {}

int ReachTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::size(reachColumns));
}

QVariant ReachTableModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    const auto& reaches = session_.project().reaches;
    if (!index.isValid() || row >= reaches.size()) return {};
    const int column = index.column();
    if (column < reachInputColumns) {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const std::string* text = reachField(reaches[row], reachColumns[column].key);
        return text ? qstr(*text) : QString();
    }
    const auto& results = session_.profile().reaches;
    if (row >= results.size()) return {};
    const ReachResult& r = results[row];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (column == reachVerdictColumn) {
        const bool failed = !r.computed() || r.anyNotMet();
        switch (role) {
            case Qt::DisplayRole:
                if (!r.computed()) return QStringLiteral("无法计算");
                return r.anyNotMet() ? QStringLiteral("不满足") : QStringLiteral("满足");
            case Qt::ForegroundRole:
                return failed ? QVariant(QBrush(notMetInk)) : QVariant();
            case Qt::ToolTipRole:
                return !r.computed() ? joined(r.problems) : notMet(r);
            default:
                return {};
        }
    }
    if (role == Qt::ToolTipRole && !r.computed()) return joined(r.problems);
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case 9:
            return metres(r.h);
        case 10:
            return metres(r.v);
        case 11:
            return metres(r.hb);
        case 12:
            return metres(r.H);
        case 13:
            return ends(r.wl);
        case 14:
            return ends(r.wlb);
        case 15:
            return ends(r.bed);
        case 16:
            return ends(r.bank);
        default:
            return {};
    }
}

QVariant ReachTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= columnCount()) return {};
    return QString::fromUtf8(reachColumns[section].title);
}

Qt::ItemFlags ReachTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < reachInputColumns) flags |= Qt::ItemIsEditable;
    return flags;
}

bool ReachTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() >= reachInputColumns)
        return false;
    const QString key = QString::fromLatin1(reachColumns[index.column()].key);
    return session_
        .setReachText(static_cast<std::size_t>(index.row()), key, value.toString().trimmed())
        .isEmpty();
}

void ReachTableModel::paste(int row, int column, const std::vector<QStringList>& rows) {
    if (rows.empty() || row < 0 || column < 0 || column >= reachInputColumns) return;
    Project after = session_.project();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::size_t at = static_cast<std::size_t>(row) + k;
        if (at >= maxReaches) break;
        if (at >= after.reaches.size()) after.reaches.resize(at + 1);
        for (int c = 0; c < rows[k].size() && column + c < reachInputColumns; ++c) {
            *reachField(after.reaches[at], reachColumns[column + c].key) =
                utf8(rows[k][c].trimmed());
        }
    }
    session_.edit(after, QStringLiteral("粘贴 %1 行").arg(rows.size()));
}

void ReachTableModel::insertReach(int row) {
    Project after = session_.project();
    if (after.reaches.size() >= maxReaches) return;
    const auto at = static_cast<std::size_t>(std::clamp(row, 0, rows_));
    Reach blank;
    if (at > 0) blank.from = after.reaches[at - 1].to;
    after.reaches.insert(after.reaches.begin() + static_cast<std::ptrdiff_t>(at), blank);
    session_.edit(after, QStringLiteral("插入第 %1 段").arg(at + 1));
}

void ReachTableModel::removeReaches(std::vector<int> rows) {
    Project after = session_.project();
    int removed = 0;
    for (int row : descendingUnique(std::move(rows))) {
        if (row < 0 || static_cast<std::size_t>(row) >= after.reaches.size()) continue;
        after.reaches.erase(after.reaches.begin() + row);
        ++removed;
    }
    if (removed > 0) session_.edit(after, QStringLiteral("删除 %1 段").arg(removed));
}

// ── the control points ──────────────────────────────────────────────────────────────────────

namespace {

struct ControlColumn {
    const char* title;
    std::string ControlPoint::*field;  // nullptr for a result
};

// clang-format off
const ControlColumn controlColumns[] = {
    {"桩号", &ControlPoint::station}, {"地面高程A0\n(m)", &ControlPoint::ground},
    {"h0\n(m)", &ControlPoint::h0}, {"需要水位\n(m)", nullptr}, {"设计水位\n(m)", nullptr},
    {"富余\n(m)", nullptr},
};
// clang-format on
constexpr int controlInputColumns = 3;

}  // namespace

ControlTableModel::ControlTableModel(ProjectSession& session, QObject* parent)
    : SessionTableModel(
          session,
          [](const Project& project) { return static_cast<int>(project.levels.controls.size()); },
          parent) {}

int ControlTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::size(controlColumns));
}

QVariant ControlTableModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    const auto& controls = session_.project().levels.controls;
    if (!index.isValid() || row >= controls.size()) return {};
    const int column = index.column();
    if (column < controlInputColumns) {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        return qstr(controls[row].*controlColumns[column].field);
    }
    const auto& results = session_.profile().controls;
    if (row >= results.size()) return {};
    const ControlResult& c = results[row];
    if (role == Qt::ToolTipRole) return qstr(c.problem);
    if (role == Qt::ForegroundRole && c.margin && *c.margin < 0) return QBrush(notMetInk);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (column) {
        case 3:
            return metres(c.required);
        case 4:
            return metres(c.wl);
        case 5:
            return c.problem.empty() ? metres(c.margin) : QStringLiteral("无法计算");
        default:
            return {};
    }
}

QVariant ControlTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= columnCount()) return {};
    return QString::fromUtf8(controlColumns[section].title);
}

Qt::ItemFlags ControlTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < controlInputColumns) flags |= Qt::ItemIsEditable;
    return flags;
}

bool ControlTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const auto row = static_cast<std::size_t>(index.row());
    if (role != Qt::EditRole || !index.isValid() || index.column() >= controlInputColumns ||
        row >= session_.project().levels.controls.size())
        return false;
    Project after = session_.project();
    after.levels.controls[row].*controlColumns[index.column()].field =
        utf8(value.toString().trimmed());
    session_.edit(after, QStringLiteral("修改第 %1 个控制点").arg(row + 1));
    return true;
}

void ControlTableModel::insertControl(int row) {
    Project after = session_.project();
    if (after.levels.controls.size() >= maxControls) return;
    const auto at = static_cast<std::size_t>(std::clamp(row, 0, rows_));
    after.levels.controls.insert(after.levels.controls.begin() + static_cast<std::ptrdiff_t>(at),
                                 ControlPoint{{}, {}, "0.15", {}});
    session_.edit(after, QStringLiteral("插入控制点"));
}

void ControlTableModel::removeControls(std::vector<int> rows) {
    Project after = session_.project();
    int removed = 0;
    for (int row : descendingUnique(std::move(rows))) {
        if (row < 0 || static_cast<std::size_t>(row) >= after.levels.controls.size()) continue;
        after.levels.controls.erase(after.levels.controls.begin() + row);
        ++removed;
    }
    if (removed > 0) session_.edit(after, QStringLiteral("删除 %1 个控制点").arg(removed));
}

}  // namespace lintavo
