#pragma once

// The filed book's names (计算书信息), kept between runs with QSettings under the group "book",
// by the same keys as the driver's `book` command: name, title, designer, checker, reviewer.

#include <QObject>

#include "book/book_info.h"

namespace lintavo {

BookInfo bookInfo();
// Keeps `info` and tells whoever shows a book.
void setBookInfo(const BookInfo& info);

// Tells whoever shows a book that its names changed.
class BookInfoNotifier : public QObject {
    Q_OBJECT

  public:
    static BookInfoNotifier& instance();

  Q_SIGNALS:
    void changed();
};

}  // namespace lintavo
