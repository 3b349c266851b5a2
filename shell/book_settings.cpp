#include "shell/book_settings.h"

#include <QSettings>

#include "shell/qt_text.h"

namespace lintavo {

namespace {

struct Key {
    const char* name;
    std::string BookInfo::*field;
};

constexpr Key keys[] = {
    {"name", &BookInfo::project},      {"title", &BookInfo::title},
    {"designer", &BookInfo::designer}, {"checker", &BookInfo::checker},
    {"reviewer", &BookInfo::reviewer},
};

}  // namespace

BookInfo bookInfo() {
    BookInfo info;
    QSettings stored;
    stored.beginGroup(QStringLiteral("book"));
    for (const Key& key : keys)
        info.*key.field = utf8(stored.value(QLatin1String(key.name)).toString().trimmed());
    return info;
}

void setBookInfo(const BookInfo& info) {
    QSettings stored;
    stored.beginGroup(QStringLiteral("book"));
    for (const Key& key : keys)
        stored.setValue(QLatin1String(key.name), qstr(info.*key.field));
    stored.endGroup();
    stored.sync();
    Q_EMIT BookInfoNotifier::instance().changed();
}

BookInfoNotifier& BookInfoNotifier::instance() {
    static BookInfoNotifier notifier;
    return notifier;
}

}  // namespace lintavo
