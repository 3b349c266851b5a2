#pragma once

// The main window `Lintavo`: a picture, a note, two labels and the menu, one button per
// calculator table that names one, 衬砌渠道, whose drop-down menu lists the tables that name
// none (the lined sections'), and "结  束", which closes it.

#include <QObject>
#include <cstddef>
#include <span>

#include "calculators/table.h"
#include "shell/form.h"

namespace lintavo {

class MainWindow : public Form {
    Q_OBJECT

  public:
    explicit MainWindow(std::span<const CalculatorTable> calculators, QWidget* parent = nullptr);

  Q_SIGNALS:
    // The calculator at this place of the table list is to be opened.
    void openRequested(std::size_t calculator);
    // 渠道纵断面: the canal window is to be opened.
    void canalRequested();
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace lintavo
