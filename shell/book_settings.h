#pragma once

// The filed book's names (计算书信息), kept between runs with QSettings under the group "book",
// by the same keys as the driver's `book` command: name, title, designer, checker, reviewer.

#include "book/book_info.h"

namespace lintavo {

BookInfo bookInfo();
void setBookInfo(const BookInfo& info);

}  // namespace lintavo
