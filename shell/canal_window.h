#pragma once

// 渠道纵断面计算: a whole canal as a project. The reaches as a table (their inputs as typed, then
// each reach's h, v, hb, H, levels and verdict), the levels the profile starts from (a head
// level, or control points), and the profile drawn beneath. Every edit is one step of 撤销/重做
// and is in the autosave before the window shows its results; 保存 writes the file whole.
//
//   MainWindow ─ 渠道纵断面 ─▶ Shell ─▶ CanalWindow ─▶ ProjectSession (the project, its profile,
//                                         │              its file, autosave and undo stack)
//                                         └─ 本段计算书 ─▶ Shell opens 水深h计算's book for a reach

#include <QMainWindow>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QTableView;

namespace lintavo {

class ControlTableModel;
class ProfileView;
class ProjectSession;
class ReachTableModel;

inline constexpr const char* canalWindowName = "渠道纵断面计算";

class CanalWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit CanalWindow(QWidget* parent = nullptr);
    ~CanalWindow() override;

    ProjectSession& session() { return *session_; }
    QTableView* reachTable() const { return reaches_; }
    QTableView* controlTable() const { return controls_; }
    QLineEdit* headLevel() const { return head_; }
    ReachTableModel& reachModel() const { return *reachModel_; }

    // What the menus do, without the file dialogs: empty when done, else why not (which the
    // window also shows in its status line).
    QString openFile(const QString& file);
    QString saveTo(const QString& file);
    // Offers, in a dialog, the newest autosave a previous run left; true when one was opened.
    bool offerRecovery();
    // Opens the newest autosave a previous run left without asking. Empty when opened.
    QString recoverLatest();

    // The project's files, without the file dialogs: the table of results (.xlsx or .csv by
    // the name's extension), the 纵断面图 as DXF at the scales given (horizontal and vertical
    // denominators), and the canal's book (.pdf or .docx). Empty when written whole; else why
    // not, and a file already there keeps every byte.
    QString exportTable(const QString& file);
    QString exportProfile(const QString& file, int horizontal, int vertical);
    QString exportBook(const QString& file);
    // 各渠段横断面图: every reach's cross-section side by side in one DXF, each labelled with
    // its name, at the scale at which they fit the sheet.
    QString exportSections(const QString& file);

    // The reaches `row` (from 0) typed into, as a user types into the table's cell: the
    // column of `key` (name from to Q b m i n loss). Empty when typed; else why not.
    QString typeReach(int row, const QString& key, const QString& text);

    // The rows of the table's selection pasted over from the clipboard, as Ctrl+V does.
    void pasteRows();

    // The reaches of a CSV (UTF-8 or GB18030) or .xlsx file, its columns found by their
    // headers (名称, 起点桩号, 终点桩号, Q, b, m, i, n, 局部水头损失 or the batch's 流量Q, 底宽b,
    // 边坡系数m, 底坡i, 糙率n), appended to the project or replacing its reaches, as one step
    // of 撤销. Empty when read; else why not, and the project is as it was.
    QString importReaches(const QString& file, bool replace);

  Q_SIGNALS:
    // The window was closed, its project saved or let go.
    void closed();
    // 本段计算书: the normal depth's book for a reach's Q, b, m, i and n, as texts.
    void reachBookRequested(const std::vector<std::string>& texts);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void newProject();
    void openAsked();
    bool save();
    bool saveAs();
    // Asks whether to save the changes before the project goes; false when the user cancels.
    bool letGo();
    void fillRecent();
    void editInfo();
    void editSettings();
    void editHeadLevel();
    void insertReach();
    void importAsked();
    void removeReaches();
    void openReachBook();
    void exportAsked(int kind);
    void follow();
    void say(const QString& text, bool trouble = false);

    ProjectSession* session_;
    ReachTableModel* reachModel_;
    ControlTableModel* controlModel_;
    QTableView* reaches_;
    QTableView* controls_;
    QLineEdit* head_;
    QLabel* inlet_;
    ProfileView* profile_;
    QMenu* recent_ = nullptr;
    QLabel* status_;
};

}  // namespace lintavo
