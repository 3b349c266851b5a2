#pragma once

// The main window `Lintavo`: a picture, a note, two labels and the menu, one button per
// calculator window and "结  束", which closes it.

#include <QObject>
#include <QString>

#include "shell/form.h"

namespace lintavo {

struct MenuEntry {
    std::string_view button;  // on the main window
    std::string_view window;  // the calculator window it opens
};

class MainWindow : public Form {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);

  Q_SIGNALS:
    void openRequested(const QString& window);
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace lintavo
