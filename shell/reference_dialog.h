#pragma once

// 参考表: the standard's tables of roughness n (Appendix B) or of least side slopes m
// (tables 6.4.4 and 6.4.7), to browse and to choose from. Each value is shown with its
// table's number and the standard's year; a range stays a range, and the value chosen within
// it goes into the field as if typed.

#include <QDialog>
#include <QPointer>

#include "standard/standard_tables.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lintavo {

class ReferenceDialog : public QDialog {
    Q_OBJECT

  public:
    // For the field `target`, whose quantity the tables of `kind` give (Roughness or SideSlope).
    ReferenceDialog(StandardKind kind, QLineEdit* target, QWidget* parent = nullptr);

    // Shows the table with that number ("B.0.2"); false when there is none of this kind.
    bool showTable(const QString& number);
    // Selects a value cell: its row and its value column, from 0.
    void selectCell(int row, int column);
    // The text the field would get now; empty with no value selected.
    QString chosenText() const;
    // Writes the value chosen into the field, as if typed, and closes.
    void choose();

  private:
    void fillTable();
    void cellSelected();

    StandardKind kind_;
    QPointer<QLineEdit> target_;
    std::vector<const StandardTable*> tables_;
    QComboBox* tableChoice_;
    QTableWidget* view_;
    QLabel* selection_;
    QDoubleSpinBox* within_;
    QPushButton* chooseButton_;
    const StandardValue* cell_ = nullptr;
};

// Opens the dialog for the field, without waiting for it.
void openReference(StandardKind kind, QLineEdit* target);

}  // namespace lintavo
