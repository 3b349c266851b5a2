#include "shell/project_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUuid>
#include <algorithm>

#include "formats/whole_file.h"

namespace lintavo {

namespace {

const QString autosavesKey = QStringLiteral("project/autosaves");
const QString recentKey = QStringLiteral("project/recent");
const QString autosaveSuffix = QStringLiteral(".autosave");

// The list is kept as "AUTOSAVE\tFILE" lines: a path holds no tab on the systems we run on.
QStringList listed() {
    return QSettings().value(autosavesKey).toStringList();
}

void setListed(const QStringList& entries) {
    QSettings stored;
    stored.setValue(autosavesKey, entries);
    // At once: a process killed after its autosave was written must find it listed.
    stored.sync();
}

}  // namespace

QString autosaveBeside(const QString& file) {
    const QFileInfo info(file);
    return info.absoluteDir().filePath(QLatin1Char('.') + info.fileName() + autosaveSuffix);
}

QString untitledAutosave() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           QStringLiteral("/autosave");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/未命名-") +
           QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".lintavo") +
           autosaveSuffix;
}

QString writeAutosave(const QString& autosave, const QString& file, const QByteArray& bytes) {
    QStringList entries = listed();
    const QString entry = autosave + QLatin1Char('\t') + file;
    if (!entries.contains(entry)) {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&autosave](const QString& e) {
                                         return e.section(QLatin1Char('\t'), 0, 0) == autosave;
                                     }),
                      entries.end());
        entries.prepend(entry);
        setListed(entries);
    }
    return writeWholeFile(autosave, bytes);
}

void dropAutosave(const QString& autosave) {
    if (autosave.isEmpty()) return;
    QFile::remove(autosave);
    QStringList entries = listed();
    const auto kept = std::remove_if(entries.begin(), entries.end(), [&autosave](const QString& e) {
        return e.section(QLatin1Char('\t'), 0, 0) == autosave;
    });
    if (kept == entries.end()) return;
    entries.erase(kept, entries.end());
    setListed(entries);
}

std::vector<LeftAutosave> leftAutosaves() {
    std::vector<LeftAutosave> left;
    QStringList kept;
    const QStringList entries = listed();
    for (const QString& entry : entries) {
        const QString autosave = entry.section(QLatin1Char('\t'), 0, 0);
        const QString file = entry.section(QLatin1Char('\t'), 1);
        const QFileInfo saved(autosave);
        if (!saved.isFile()) continue;
        const QFileInfo original(file);
        if (!file.isEmpty() && original.isFile() &&
            original.lastModified() > saved.lastModified()) {
            // The file was saved after it, by this program or another: the autosave is stale.
            QFile::remove(autosave);
            continue;
        }
        kept.append(entry);
        left.push_back({autosave, file, saved.lastModified()});
    }
    if (kept != entries) setListed(kept);
    std::stable_sort(left.begin(), left.end(), [](const LeftAutosave& a, const LeftAutosave& b) {
        return a.written > b.written;
    });
    return left;
}

QStringList recentProjects() {
    QStringList shown;
    for (const QString& file : QSettings().value(recentKey).toStringList()) {
        if (QFileInfo(file).isFile() && !shown.contains(file)) shown.append(file);
    }
    return shown.mid(0, recentLimit);
}

void addRecentProject(const QString& file) {
    const QString absolute = QFileInfo(file).absoluteFilePath();
    QStringList files = QSettings().value(recentKey).toStringList();
    files.removeAll(absolute);
    files.prepend(absolute);
    QSettings stored;
    stored.setValue(recentKey, files.mid(0, recentLimit));
}

QString readProjectBytes(const QString& file, QByteArray& bytes) {
    QFile in(file);
    const QString shown = QDir::toNativeSeparators(file);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("无法打开文件“%1”：%2。").arg(shown, in.errorString());
    if (in.size() > projectSizeLimit)
        return QStringLiteral("文件“%1”有 %2 MB，不像工程文件（工程文件不超过 %3 MB）。")
            .arg(shown)
            .arg(in.size() / (1024 * 1024))
            .arg(projectSizeLimit / (1024 * 1024));
    bytes = in.read(projectSizeLimit + 1);
    if (bytes.size() > projectSizeLimit)
        return QStringLiteral("文件“%1”过大，不像工程文件。").arg(shown);
    return {};
}

}  // namespace lintavo
