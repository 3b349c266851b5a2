#include "shell/shell.h"

#include <algorithm>
#include <string_view>

#include "shell/project_files.h"
#include "shell/project_session.h"
#include "standard/schemes.h"

namespace lintavo {

Shell::Shell(std::span<const CalculatorTable> calculators, QObject* parent)
    : QObject(parent),
      tables_(calculators),
      menu_(new MainWindow(calculators)),
      calculators_(calculators.size()) {
    connect(menu_, &MainWindow::openRequested, this, &Shell::open);
    connect(menu_, &MainWindow::closed, this, &Shell::ended);
    connect(menu_, &MainWindow::canalRequested, this, [this] { (void)openCanal(); });
}

Shell::~Shell() {
    delete canal_;
    for (auto& window : calculators_)
        delete window;
    delete menu_;
}

void Shell::start() {
    menu_->show();
}

std::vector<Form*> Shell::windows() const {
    std::vector<Form*> all;
    if (menu_) all.push_back(menu_);
    for (const auto& window : calculators_) {
        if (window) all.push_back(window);
    }
    return all;
}

void Shell::open(std::size_t calculator) {
    auto& window = calculators_.at(calculator);
    if (!window) {
        window = new CalculatorWindow(tables_[calculator]);
        CalculatorWindow* created = window;
        connect(created, &CalculatorWindow::returnRequested, this,
                [this, created] { returnToMenu(created); });
        connect(created, &CalculatorWindow::endRequested, this, &Shell::ended);
        connect(created, &CalculatorWindow::closedFromTitleBar, this,
                [this, created] { returnToMenu(created); });
        connect(created, &CalculatorWindow::schemeAdopted, this,
                [this, created](const SchemeAdoption& adoption) { adopt(created, adoption); });
    }
    menu_->hide();
    window->show();
    window->activateWindow();
}

void Shell::adopt(CalculatorWindow* from, const SchemeAdoption& adoption) {
    const CalculatorTable* checker = schemeChecker(tables_);
    if (checker == nullptr) return;
    const auto index = static_cast<std::size_t>(checker - tables_.data());
    open(index);
    CalculatorWindow* checking = calculators_[index];
    // The scheme's b and h are rounded up at the third decimal: the window says so, since its
    // 计算 then gives a little more than the design flow.
    checking->typeInputs(
        adoption.symbols, adoption.texts,
        QStringLiteral("已填入断面方案的 b、h（向上取到 3 位小数，流量不小于设计流量），"
                       "按“计算”校核。"));
    if (from != checking) from->hide();
}

void Shell::returnToMenu(CalculatorWindow* window) {
    // A window closed while hidden (by the session ending, say) brings nothing back; and
    // once the menu is gone the program is ending.
    if (!window->isVisible() || !menu_) return;
    menu_->show();
    menu_->activateWindow();
    window->hide();
}

}  // namespace lintavo

namespace lintavo {

CanalWindow& Shell::openCanal() {
    if (!canal_) {
        canal_ = new CanalWindow;
        connect(canal_, &CanalWindow::closed, this, [this] {
            if (!menu_) return;
            menu_->show();
            menu_->activateWindow();
        });
        connect(canal_, &CanalWindow::reachBookRequested, this, &Shell::openReachBook);
    }
    if (menu_) menu_->hide();
    canal_->show();
    canal_->activateWindow();
    return *canal_;
}

void Shell::offerRecovery() {
    if (leftAutosaves().empty()) return;
    CanalWindow& canal = openCanal();
    if (!canal.offerRecovery() && !canal.session().modified()) {
        // Nothing taken back: the menu, as any start shows it.
        canal.hide();
        if (menu_) menu_->show();
    }
}

// A reach's book is 水深h计算's, with the reach's Q, b, m, i and n typed in and 计算 pressed;
// the canal window stays open beside it.
void Shell::openReachBook(const std::vector<std::string>& texts) {
    const auto found = std::find_if(tables_.begin(), tables_.end(), [](const CalculatorTable& t) {
        return t.alias == std::string_view("normal-depth");
    });
    if (found == tables_.end()) return;
    const auto index = static_cast<std::size_t>(found - tables_.begin());
    open(index);
    CalculatorWindow* window = calculators_[index];
    window->typeInputs("Qbmin", texts, QStringLiteral("已填入渠道纵断面计算中该渠段的参数。"));
    window->compute();
    window->openReport();
}

}  // namespace lintavo
