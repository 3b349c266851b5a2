#pragma once

// Every file Lintavo writes goes through here: the PDF, the Word document, the DXF drawing,
// the batch's CSV and .xlsx and the batch book. A file is written into a temporary file beside
// it, which takes its name only once every byte is on the disk; a write that fails anywhere
// (disk full, no permission, no such folder) leaves a file already there byte for byte as it
// was, and no temporary file behind.

#include <QString>
#include <functional>
#include <string_view>

class QByteArray;
class QIODevice;

namespace lintavo {

// Writes `bytes` to `file`, whole or not at all. Empty when written; otherwise why not, as a
// sentence for the user:
//   writeWholeFile("/home/li/没有的文件夹/a.csv", "…") →
//   "无法写入文件“/home/li/没有的文件夹/a.csv”：文件夹“/home/li/没有的文件夹”不存在。请选择另一个位置。"
QString writeWholeFile(const QString& file, std::string_view bytes);
QString writeWholeFile(const QString& file, const QByteArray& bytes);

// The same for a writer that streams into a device (a QPdfWriter): `write` writes everything
// and returns false when it could not make the content; nothing is written then either.
QString writeWholeFile(const QString& file, const std::function<bool(QIODevice&)>& write);

}  // namespace lintavo
