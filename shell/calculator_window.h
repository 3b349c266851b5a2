#pragma once

// A calculator window: its form, the button row 计算 / 返回 / 结束, and the press of 计算,
// which reads the input fields, runs the calculation and writes the result fields, or
// shows the failure report and writes nothing.

#include <QObject>
#include <array>
#include <span>
#include <string_view>

#include "calculators/press.h"
#include "shell/form.h"

namespace lintavo {

// The frame every calculator window shares.
namespace frame {
inline constexpr std::string_view title = "  请输入计算参数";  // centred, 2652 × 336
inline constexpr FaceStyle titleFont{"宋体", 15, false, true};
inline constexpr FaceStyle labelFont{"宋体", 13.5, false, true};
inline constexpr FaceStyle resultFont{"宋体", 16.5, false, true};  // result labels, in blue
inline constexpr FaceStyle inputFont{"宋体", 15, false, true};     // the discharge window's fields
}  // namespace frame

struct CalculatorTable {
    FormTable window;
    std::array<std::string_view, 3> buttonRow;  // the 计算, 返回 and 结束 buttons
    std::span<const std::string_view> inputs;   // fields, in the order they are read
    std::span<const std::string_view> outputs;  // fields, in the order they are written
    Press press;
    std::string_view sought;  // what the calculation looks for, to say that none was found
};

class CalculatorWindow : public Form {
    Q_OBJECT

  public:
    explicit CalculatorWindow(const CalculatorTable& table, QWidget* parent = nullptr);


    // What 计算 does; the failure report is modal and returns when the user dismisses it.
    void compute();

  Q_SIGNALS:
    void returnRequested();
    void endRequested();
    void closedFromTitleBar();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    const CalculatorTable& calculator_;
};

}  // namespace lintavo
