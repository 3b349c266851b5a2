#pragma once

// 校核设置: the design check's settings in a dialog, filled with those in force; 确定 makes the
// edited ones in force and remembers them, 恢复默认 fills in the defaults, 取消 changes nothing.

#include <QDialog>

#include "standard/design_check.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace lintavo {

class DesignSettingsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit DesignSettingsDialog(QWidget* parent = nullptr);

    void fill(const DesignSettings& settings);
    // The settings as edited, or what is wrong with them ("" when nothing is).
    DesignSettings edited(QString* problem) const;

    void accept() override;

  private:
    void updateEnabled();

    QComboBox* use_;
    QComboBox* class_;
    QComboBox* supply_;
    QButtonGroup* enlargement_;
    QLineEdit* percentage_;
    QLineEdit* minimum_;
    QComboBox* bed_;
    QComboBox* density_;
    QCheckBox* silted_;
    QLineEdit* nonSilting_;
    QLineEdit* bend_;
    QComboBox* earthwork_;
    QComboBox* slopeSoil_;
    QLineEdit* liningFreeboard_;
    QComboBox* rank_;
    QComboBox* district_;
    QLabel* problem_;
};

// Opens the dialog over `parent`, without waiting for it.
void openDesignSettings(QWidget* parent);

}  // namespace lintavo
