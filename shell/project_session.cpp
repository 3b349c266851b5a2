#include "shell/project_session.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QUndoCommand>
#include <algorithm>

#include "formats/whole_file.h"
#include "shell/design_settings.h"
#include "shell/qt_text.h"

namespace lintavo {

// Every edit is the whole project before and after it: a project is a few kilobytes, and one
// kind of step undoes a typed cell, a pasted block, a row inserted and the settings alike.
class ProjectEdit : public QUndoCommand {
  public:
    ProjectEdit(ProjectSession& session, Project before, Project after, const QString& what)
        : QUndoCommand(what),
          session_(session),
          before_(std::move(before)),
          after_(std::move(after)) {}

    void undo() override { session_.replace(before_); }
    void redo() override { session_.replace(after_); }

  private:
    ProjectSession& session_;
    Project before_;
    Project after_;
};

namespace {

Project blankProject() {
    Project project;
    project.settings = designSettings();
    project.reaches.push_back(Reach{});
    return project;
}

}  // namespace

ProjectSession::ProjectSession(QObject* parent) : QObject(parent) {
    connect(&undo_, &QUndoStack::cleanChanged, this, &ProjectSession::changed);
    startOver(blankProject(), {}, {});
}

ProjectSession::~ProjectSession() {
    // The undo stack says it is clean as it goes; nobody is left to hear it.
    undo_.disconnect(this);
    blockSignals(true);
    // Closed with nothing unsaved, nothing is left to recover.
    if (!modified()) dropAutosave(autosave_);
}

void ProjectSession::startOver(const Project& project, const QString& file,
                               const QString& autosave) {
    // The project closed: its autosave goes unless it holds what was not saved.
    if (!modified() && autosave_ != autosave) dropAutosave(autosave_);
    undo_.clear();
    project_ = project;
    profile_ = computeProfile(project_, bedTables());
    file_ = file;
    autosave_ = autosave;
    autosaveTrouble_.clear();
    recovered_ = false;
    Q_EMIT changed();
}

void ProjectSession::newProject() {
    startOver(blankProject(), {}, {});
}

QString ProjectSession::open(const QString& file) {
    QByteArray bytes;
    if (QString why = readProjectBytes(file, bytes); !why.isEmpty()) return why;
    ProjectReading reading = readProject(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), bedTables());
    if (!reading.project)
        return QStringLiteral("无法打开工程文件“%1”：%2")
            .arg(QDir::toNativeSeparators(file), qstr(reading.refusal));
    const QString absolute = QFileInfo(file).absoluteFilePath();
    startOver(*reading.project, absolute, autosaveBeside(absolute));
    addRecentProject(absolute);
    return {};
}

QString ProjectSession::save(const QString& file) {
    const std::string bytes = writeProject(project_);
    if (QString why = writeWholeFile(file, bytes); !why.isEmpty()) return why;
    const QString absolute = QFileInfo(file).absoluteFilePath();
    // The file holds every change now: its autosave has nothing more to give.
    dropAutosave(autosave_);
    file_ = absolute;
    autosave_ = autosaveBeside(absolute);
    autosaveTrouble_.clear();
    recovered_ = false;
    undo_.setClean();
    addRecentProject(absolute);
    Q_EMIT changed();
    return {};
}

QString ProjectSession::recover(const LeftAutosave& left) {
    QByteArray bytes;
    if (QString why = readProjectBytes(left.autosave, bytes); !why.isEmpty()) return why;
    ProjectReading reading = readProject(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), bedTables());
    if (!reading.project)
        return QStringLiteral("自动保存的文件“%1”无法恢复：%2")
            .arg(QDir::toNativeSeparators(left.autosave), qstr(reading.refusal));
    startOver(*reading.project, left.file, left.autosave);
    recovered_ = true;
    Q_EMIT changed();
    return {};
}

void ProjectSession::discard() {
    dropAutosave(autosave_);
    recovered_ = false;
    undo_.clear();
    autosave_.clear();
}

void ProjectSession::edit(const Project& after, const QString& what) {
    if (after == project_) return;
    undo_.push(new ProjectEdit(*this, project_, after, what));
}

QString ProjectSession::setReachText(std::size_t row, const QString& key, const QString& text) {
    if (row >= project_.reaches.size())
        return QStringLiteral("没有第 %1 个渠段：工程有 %2 个渠段。")
            .arg(row + 1)
            .arg(project_.reaches.size());
    Project after = project_;
    std::string* field = reachField(after.reaches[row], utf8(key));
    if (field == nullptr)
        return QStringLiteral("渠段没有“%1”一项：可以是 name from to Q b m i n loss。").arg(key);
    *field = utf8(text);
    edit(after, QStringLiteral("修改第 %1 段的 %2").arg(row + 1).arg(key));
    return {};
}

void ProjectSession::replace(const Project& project) {
    project_ = project;
    profile_ = computeProfile(project_, bedTables());
    writeAutosaveNow();
    Q_EMIT changed();
}

void ProjectSession::writeAutosaveNow() {
    if (autosave_.isEmpty()) autosave_ = untitledAutosave();
    const std::string bytes = writeProject(project_);
    autosaveTrouble_ = writeAutosave(
        autosave_, file_, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace lintavo
