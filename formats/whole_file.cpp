#include "formats/whole_file.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace lintavo {

namespace {

// Why `file` could not be written, found from the file system as it is now where it can be,
// since the system's own message comes in the system's language.
QString reason(const QString& file, QFileDevice::FileError error, const QString& errorText) {
    const QFileInfo target(file);
    const QFileInfo folder(target.absolutePath());
    const QString folderName = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (target.isDir()) return QStringLiteral("同名的文件夹已经存在");
    if (!folder.exists()) return QStringLiteral("文件夹“%1”不存在").arg(folderName);
    if (!folder.isDir()) return QStringLiteral("“%1”不是文件夹，而是一个文件").arg(folderName);
    if (target.exists() && !target.isWritable()) return QStringLiteral("文件是只读的");
    if (!folder.isWritable())
        return QStringLiteral("没有在文件夹“%1”中写文件的权限").arg(folderName);
    if (error == QFileDevice::ResourceError)
        return QStringLiteral("磁盘空间不足（或已超出磁盘配额）");
    return QStringLiteral("写入时出错（系统的说明：%1）").arg(errorText);
}

}  // namespace

QString writeWholeFile(const QString& file, const std::function<bool(QIODevice&)>& write) {
    const bool existed = QFileInfo::exists(file);
    QSaveFile out(file);
    bool opened = out.open(QIODevice::WriteOnly);
    bool made = false;
    if (opened) {
        made = write(out);
        // A failed write is looked for here, and the last bytes flushed here: commit() would
        // give the file its name even after its own last write failed on a full disk, and
        // forgets why a write before failed.
        if (made && out.error() == QFileDevice::NoError && out.flush() && out.commit()) return {};
    }
    const QFileDevice::FileError error = out.error();
    const QString why = opened && !made && error == QFileDevice::NoError
                            ? QStringLiteral("无法生成文件的内容")
                            : reason(file, error, out.errorString());
    if (opened) out.cancelWriting();
    const QString advice = error == QFileDevice::ResourceError
                               ? QStringLiteral("请腾出磁盘空间，或选择另一个位置。")
                               : QStringLiteral("请选择另一个位置。");
    return QStringLiteral("无法写入文件“%1”：%2。%3%4")
        .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()), why,
             existed ? QStringLiteral("原有的文件没有改动。") : QString(), advice);
}

QString writeWholeFile(const QString& file, std::string_view bytes) {
    return writeWholeFile(file, [bytes](QIODevice& device) {
        const auto size = static_cast<qint64>(bytes.size());
        return device.write(bytes.data(), size) == size;
    });
}

QString writeWholeFile(const QString& file, const QByteArray& bytes) {
    return writeWholeFile(
        file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace lintavo
