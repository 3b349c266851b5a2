#pragma once

// A calculator window: the form of its table, the button row 计算 / 返回 / 结束, and the press
// of 计算, which reads the input fields, runs the calculation and writes the result fields,
// or shows the failure report and writes nothing. The fields and buttons are found by their
// roles in the table, once, when the window is built.

#include <QColor>
#include <QObject>
#include <vector>

#include "calculators/table.h"
#include "shell/form.h"
#include "standard/schemes.h"

class QLabel;
class QLineEdit;
class QMenu;

namespace lintavo {

class BatchWindow;
class ReportWindow;

// The key that opens the calculation book of a calculator window.
inline constexpr auto reportShortcut = Qt::Key_F9;

class CalculatorWindow : public Form {
    Q_OBJECT

  public:
    explicit CalculatorWindow(const CalculatorTable& table, QWidget* parent = nullptr);

    const CalculatorTable& table() const { return calculator_; }

    // What 计算 does; the failure report is modal and returns when the user dismisses it.
    void compute();

    // The record of the last press, and whether there was one.
    const Record& lastPress() const { return record_; }
    // Every press reads at least its first input into the record, failed or not.
    bool pressed() const { return !record_.inputs.empty(); }

    // Shows the calculation book of the last press, made on first use; null until then.
    void openReport();
    ReportWindow* reportWindow() const { return report_; }

    // Shows the batch window of this calculation, made on first use; null until then.
    void openBatch();
    BatchWindow* batchWindow() const { return batch_; }

    // The line under the button row, "" when it says nothing: that the channel of the last
    // press does not exist (the book's sentence), or that the results shown are an earlier
    // press's, after a failed one.
    QString notice() const;
    // Whether the line under the button row shows, in place of a notice, the hint that the
    // book, the batch window and 校核设置 are in the context menus and on F9 and Ctrl+B: until
    // the user has once opened one of them or a context menu (kept in the settings).
    bool showsHint() const;
    // Whether the result fields hold the results of an earlier press, greyed and so marked in
    // their tooltips, since the last press failed.
    bool showsEarlierResults() const { return earlier_; }

    // Types texts into the input fields of those symbols, in the symbols' order, clears the
    // result fields, which would no longer answer the fields, says `note` under the buttons
    // and gives 计算 the focus:
    //   typeInputs("bhmin", {"4.442", "2.009", "1.5", "0.0002", "0.025"})
    void typeInputs(std::string_view symbols, const std::vector<std::string>& texts,
                    const QString& note = {});

  Q_SIGNALS:
    void returnRequested();
    void endRequested();
    void closedFromTitleBar();
    // 采用此方案 in this window's calculation book: the scheme is to be checked in 流量Q计算.
    void schemeAdopted(const lintavo::SchemeAdoption& adoption);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void say(const QString& text);
    void showNotice();
    // The user has found the context menus: the hint is no longer shown, in any window.
    void found();
    void markEarlier(bool earlier);
    void offerReport();
    void offerDesign();
    void offerBatch();

  private:
    const CalculatorTable& calculator_;
    std::vector<QLineEdit*> inputs_;   // in reading order
    std::vector<QLineEdit*> outputs_;  // in writing order
    std::vector<QColor> inks_;         // their texts' colours, as the table gives them
    QLabel* notice_;
    QString said_;  // the notice, without the hint
    bool earlier_ = false;
    Record record_;
    ReportWindow* report_ = nullptr;  // a child window, made when first opened
    BatchWindow* batch_ = nullptr;    // the same
};

}  // namespace lintavo
