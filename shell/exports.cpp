#include "shell/exports.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace lintavo {

namespace {

const auto folderKey = QStringLiteral("exports/folder");

// Every kind an export writes, for naming a written file by its suffix.
constexpr ExportKind allKinds[] = {pdfFile, wordFile, dxfFile, xlsxFile, csvFile};

}  // namespace

QString exportName(const QString& calculation, const QString& what, const QString& suffix,
                   const QDate& day) {
    return QStringLiteral("%1-%2-%3.%4")
        .arg(calculation, what, day.toString(QStringLiteral("yyyy-MM-dd")), suffix);
}

QString exportFolder() {
    QString last = QSettings().value(folderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

void rememberExportFolder(const QString& file) {
    QSettings().setValue(folderKey, QFileInfo(file).absolutePath());
}

QString askExportFile(QWidget* parent, const QString& title, const QString& calculation,
                      const QString& what, std::initializer_list<ExportKind> kinds) {
    QStringList filters;
    for (const ExportKind& kind : kinds)
        filters << QString::fromUtf8(kind.filter);
    const QString suggested =
        QDir(exportFolder())
            .filePath(exportName(calculation, what, QLatin1String(kinds.begin()->suffix),
                                 QDate::currentDate()));
    QString selected;
    QString file = QFileDialog::getSaveFileName(parent, title, suggested,
                                                filters.join(QStringLiteral(";;")), &selected);
    if (file.isEmpty()) return file;
    const QString suffix = QFileInfo(file).suffix();
    bool known = false;
    const ExportKind* chosen = kinds.begin();
    for (const ExportKind& kind : kinds) {
        known = known || suffix.compare(QLatin1String(kind.suffix), Qt::CaseInsensitive) == 0;
        if (selected == QString::fromUtf8(kind.filter)) chosen = &kind;
    }
    if (!known) file += QLatin1Char('.') + QLatin1String(chosen->suffix);
    rememberExportFolder(file);
    return file;
}

QString exportedMessage(const QString& file) {
    const QString suffix = QFileInfo(file).suffix();
    QString caption = suffix.toUpper();
    for (const ExportKind& kind : allKinds) {
        if (suffix.compare(QLatin1String(kind.suffix), Qt::CaseInsensitive) == 0)
            caption = QLatin1String(kind.caption);
    }
    return QStringLiteral("已导出 %1：%2")
        .arg(caption, QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));
}

}  // namespace lintavo
