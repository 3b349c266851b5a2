#pragma once

// 校核设置: the design check's settings in a dialog, filled with those in force; 确定 makes the
// edited ones in force and remembers them, 恢复默认 fills in the defaults, 取消 changes nothing.

#include <QDialog>
#include <functional>

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
    // Where 确定 puts the edited settings: by default they become the ones in force and are
    // remembered; a project keeps its own instead.
    void keepIn(std::function<void(const DesignSettings&)> keeper) { keeper_ = std::move(keeper); }

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
    std::function<void(const DesignSettings&)> keeper_;
};

// Opens the dialog over `parent`, without waiting for it.
void openDesignSettings(QWidget* parent);

}  // namespace lintavo
