#pragma once

// A project file's life on disk, apart from what the project says: where its autosave lies,
// the list of autosaves a crash may have left, and the recent files. The canal window and the
// driver keep a project through these; the project's bytes come from canal/project.h.
//
//   干渠.lintavo            the file, written whole by 保存 (writeWholeFile)
//   .干渠.lintavo.autosave  beside it, written whole after every change; removed by 保存
//   <data>/autosave/未命名-<id>.lintavo.autosave   an untitled project's autosave
//
// Every autosave in use is listed in QSettings ("project/autosaves") before its first byte
// is written, and taken off the list when its project is saved or closed without changes:
// whatever ends the process (a crash, SIGKILL), the next start finds it there.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class QByteArray;

namespace lintavo {

// The autosave beside `file`: "/a/干渠.lintavo" → "/a/.干渠.lintavo.autosave".
QString autosaveBeside(const QString& file);
// A fresh autosave for an untitled project in the program's data location.
QString untitledAutosave();

// An autosave a previous run left, newer than its file (or of a file never saved).
struct LeftAutosave {
    QString autosave;
    QString file;  // empty for an untitled project
    QDateTime written;
};

// Writes `bytes` to `autosave`, whole, after listing it (with the file it stands for) as in
// use. Empty when written; otherwise why not, as a sentence.
QString writeAutosave(const QString& autosave, const QString& file, const QByteArray& bytes);
// Removes `autosave` and takes it off the list: its project was saved or closed.
void dropAutosave(const QString& autosave);
// The listed autosaves that are still there and newer than their files, newest first;
// the others are taken off the list (and removed when older than their files).
std::vector<LeftAutosave> leftAutosaves();

// The recent project files, newest first, at most `recentLimit`; those gone are left out.
inline constexpr int recentLimit = 8;
QStringList recentProjects();
void addRecentProject(const QString& file);

// Reads a project file of at most `limit` bytes. Empty when read; otherwise why not.
inline constexpr qint64 projectSizeLimit = 16 * 1024 * 1024;
QString readProjectBytes(const QString& file, QByteArray& bytes);

}  // namespace lintavo
