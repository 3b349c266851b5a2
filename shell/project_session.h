#pragma once

// One open project: the document (canal/project.h), its profile (canal/profile.h) computed
// again after each edit, the file it came from, its autosave and its undo stack. The canal
// window shows it and the driver's project commands work on it; both edit it only through
// edit(), so every edit can be undone and is on the disk (in the autosave) before it returns.
//
//   open(file) ─▶ edits ─▶ autosave after each ─▶ save(file) writes the file, drops the autosave
//                                   └─ the process dies ─▶ next start: leftAutosaves() ─▶ recover()

#include <QObject>
#include <QString>
#include <QUndoStack>

#include "canal/profile.h"
#include "canal/project.h"
#include "shell/project_files.h"

namespace lintavo {

class ProjectSession : public QObject {
    Q_OBJECT

  public:
    explicit ProjectSession(QObject* parent = nullptr);
    ~ProjectSession() override;
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    const Project& project() const { return project_; }
    const CanalProfile& profile() const { return profile_; }
    // The file the project was opened from or saved to; empty while untitled.
    const QString& file() const { return file_; }
    const QString& autosave() const { return autosave_; }
    QUndoStack& undoStack() { return undo_; }
    // Whether the project holds changes its file does not.
    bool modified() const { return recovered_ || !undo_.isClean(); }

    // An empty project of one blank reach, with the design settings in force.
    void newProject();
    // Reads `file`. Empty when opened; otherwise the refusal, and the project open before is
    // kept as it was.
    QString open(const QString& file);
    // Writes the project to `file`, whole or not at all. Empty when written; otherwise why
    // not, and the file on the disk keeps every byte it had.
    QString save(const QString& file);
    // Opens what `left` kept, as the project it stands for with its changes unsaved.
    QString recover(const LeftAutosave& left);
    // Forgets the autosave: the project is closed and its changes are not wanted.
    void discard();

    // Replaces the project by `after`, as one step of the undo stack named `what`.
    void edit(const Project& after, const QString& what);
    // Sets the reach `row` (from 0)'s `key` (name from to Q b m i n loss) to `text`. Empty
    // when set; otherwise why not.
    QString setReachText(std::size_t row, const QString& key, const QString& text);

    // Why the last autosave could not be written; empty when it was.
    const QString& autosaveTrouble() const { return autosaveTrouble_; }

  Q_SIGNALS:
    // The project, its profile, its file or its modified state changed.
    void changed();

  private:
    friend class ProjectEdit;
    // Makes `project` the one shown and writes the autosave.
    void replace(const Project& project);
    void startOver(const Project& project, const QString& file, const QString& autosave);
    void writeAutosaveNow();

    Project project_;
    CanalProfile profile_;
    QString file_;
    QString autosave_;
    QString autosaveTrouble_;
    QUndoStack undo_;
    bool recovered_ = false;
};

}  // namespace lintavo
