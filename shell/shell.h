#pragma once

// The shell: who is on screen.
//
//   app/main ──▶ Shell ──▶ MainWindow        (the menu; "结  束" closes it)
//                  │  ├──▶ CalculatorWindow  (one per CalculatorTable, made on first opening)
//                  │  └──▶ CanalWindow       (渠道纵断面计算, made on first opening)
//                  └──── ended() ──▶ the event loop quits
//
// A calculator window's table and its press come from calculators/; the shell only shows
// and hides windows, and destroys them when the program ends. Exactly one window is
// visible: a menu button hides the menu and shows its calculator window, 返回 shows the
// menu and hides the calculator window, which keeps every text. Closing a calculator
// window from its title bar (or with Alt+F4) is 返回: a stray click on the frame's cross
// must not lose what the user typed. 结束 ends the program at once. Closing the menu ends
// the program too: hidden calculator windows would otherwise keep a process running with
// no window. 采用此方案 in a calculation book takes the place of a menu button: the
// calculation that checks a scheme (standard/schemes.h, schemeChecker) comes up with the
// scheme typed in, and the window whose book it was goes.

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <span>
#include <vector>

#include "shell/calculator_window.h"
#include "shell/canal_window.h"
#include "shell/main_window.h"

namespace lintavo {

class Shell : public QObject {
    Q_OBJECT

  public:
    explicit Shell(std::span<const CalculatorTable> calculators, QObject* parent = nullptr);
    ~Shell() override;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Shows the menu at its place.
    void start();

    // Every window that exists, shown or hidden: the menu first, then the calculator
    // windows in menu order.
    std::vector<Form*> windows() const;

    // 渠道纵断面计算, opened as its button of the menu opens it; the window, made on first use.
    CanalWindow& openCanal();
    // The canal window, or null before it was first opened.
    CanalWindow* canalWindow() const { return canal_; }
    // At start-up: where a run that ended without saving left an autosave, opens the canal
    // window and offers it back.
    void offerRecovery();

  Q_SIGNALS:
    // The program is to end now.
    void ended();

  private:
    void open(std::size_t calculator);
    void returnToMenu(CalculatorWindow* window);
    void adopt(CalculatorWindow* from, const SchemeAdoption& adoption);
    void openReachBook(const std::vector<std::string>& texts);

    std::span<const CalculatorTable> tables_;
    QPointer<MainWindow> menu_;
    std::vector<QPointer<CalculatorWindow>> calculators_;  // one slot per table
    QPointer<CanalWindow> canal_;
};

}  // namespace lintavo
