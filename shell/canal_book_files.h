#pragma once

// The canal's calculation book (formats/canal_book.h) as the files the canal window offers:
// a PDF printed as every filed book is (A4, the first page with the project and the names who
// sign, the running header, "第 X 页 共 Y 页"), the profile first and then each reach's book a
// chapter at a time with its drawings; and a Word document with the same drawings as pictures.
// Both are written whole or not at all.

#include <QString>

#include "formats/canal_book.h"

namespace lintavo {

// Writes the book as a PDF; empty when written, else why not as a sentence for the user (a
// file already there then stays as it was).
QString writeCanalBookPdf(const CanalBook& book, const QString& file);

// Writes the book as a Word document; empty when written, else why not.
QString writeCanalBookDocx(const CanalBook& book, const QString& file);

}  // namespace lintavo
