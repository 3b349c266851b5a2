#pragma once

// The canal window's two tables as models over the open project: the reaches (their inputs as
// typed, then each reach's results and verdict) and the control points (their inputs, then
// what the profile makes of them). Every edit goes to the session as one undoable step; the
// results are read from the session's profile and never computed here.

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace lintavo {

struct Project;
class ProjectSession;

// A table whose rows are some list of the open project: it follows the session, resetting
// when the number of rows changes and otherwise refreshing them in place, so that the cell
// being edited keeps its place.
class SessionTableModel : public QAbstractTableModel {
  public:
    using RowsOf = int (*)(const Project& project);

    int rowCount(const QModelIndex& parent = {}) const override;

  protected:
    SessionTableModel(ProjectSession& session, RowsOf rowsOf, QObject* parent);

    ProjectSession& session_;
    int rows_;

  private:
    void follow();
    RowsOf rowsOf_;
};

// A reach's column: its key in the file for an input, or none for a result.
struct ReachColumn {
    const char* title;
    const char* key;  // name from to Q b m i n loss; nullptr for a result
};

// clang-format off
inline constexpr ReachColumn reachColumns[] = {
    {"名称", "name"}, {"起点桩号", "from"}, {"终点桩号", "to"}, {"流量Q\n(m³/s)", "Q"},
    {"底宽b\n(m)", "b"}, {"边坡m", "m"}, {"底坡i", "i"}, {"糙率n", "n"},
    {"末端局部\n损失Δh(m)", "loss"},
    {"水深h\n(m)", nullptr}, {"流速v\n(m/s)", nullptr}, {"加大水深\nhb(m)", nullptr},
    {"渠深H\n(m)", nullptr}, {"设计水位\n起/止(m)", nullptr}, {"加大水位\n起/止(m)", nullptr},
    {"渠底高程\n起/止(m)", nullptr}, {"堤顶高程\n起/止(m)", nullptr}, {"校核", nullptr},
};
// clang-format on
inline constexpr int reachInputColumns = 9;
inline constexpr int reachVerdictColumn = 17;

// Tab-separated text as a spreadsheet copies it: rows by line, cells by tab; a trailing empty
// line is no row. "a\tb\r\nc\n" → {{"a", "b"}, {"c"}}.
std::vector<QStringList> tabSeparated(const QString& text);

class ReachTableModel : public SessionTableModel {
    Q_OBJECT

  public:
    ReachTableModel(ProjectSession& session, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Pastes `rows` of cells with the top left at (row, column), as one step; rows are added
    // below the last where the block runs past it, and cells right of the inputs are left out.
    void paste(int row, int column, const std::vector<QStringList>& rows);
    // Inserts a blank reach before `row` (at the end for rowCount()), starting where the reach
    // before it ends; removes the reaches of `rows`.
    void insertReach(int row);
    void removeReaches(std::vector<int> rows);
};

class ControlTableModel : public SessionTableModel {
    Q_OBJECT

  public:
    ControlTableModel(ProjectSession& session, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void insertControl(int row);
    void removeControls(std::vector<int> rows);
};

}  // namespace lintavo
