#pragma once

// The batch window's table as Qt's views read it: a model over the batch's own rows
// (calculators/batch.h), a string a cell and a mark for a failed row, so that a row costs its
// texts and little more however many there are. The columns are 名称, the inputs, the
// results, 说明 and the columns the user's own table brought along. Results and 说明 are
// written by 计算 only, the results in the red of a result field; a failed row is shaded,
// its 说明 in red with the sentence as its tooltip too.

#include <QAbstractTableModel>
#include <QStringList>
#include <string>
#include <vector>

#include "calculators/batch.h"

namespace lintavo {

class BatchModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    BatchModel(const CalculatorTable& table, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    int inputs() const { return inputs_; }
    int results() const { return results_; }
    int noteColumn() const { return inputs_ + results_ + 1; }
    // Whether the user fills the column: 名称, the inputs and the kept columns.
    bool editable(int column) const;
    const std::vector<std::string>& extraHeaders() const { return extraHeaders_; }

    // A cell's text; empty past the row's last cell.
    const std::string& text(int row, int column) const;
    void setText(int row, int column, std::string text);
    bool failed(int row) const { return rows_[static_cast<std::size_t>(row)].failed; }
    // No name and no input: a row 计算 and the files pass over.
    bool rowIsBlank(int row) const;

    // Everything anew: the kept columns' headers and the rows.
    void reset(std::vector<std::string> extraHeaders, std::vector<BatchRow> rows);
    // Blank rows added at the end, or the last rows dropped.
    void setRowCount(int rows);

    // Computes a row in place, quietly; rowsComputed then tells the views about a run of them.
    bool compute(int row);
    void rowsComputed(int first, int last);

  private:
    const CalculatorTable& table_;
    int inputs_;
    int results_;
    std::vector<std::string> extraHeaders_;
    QStringList headers_;
    std::vector<BatchRow> rows_;
};

}  // namespace lintavo
