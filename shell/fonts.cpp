#include "shell/fonts.h"

#include <QStringList>

#include "shell/qt_text.h"

namespace lintavo {

void installFontSubstitutes() {
    for (const auto& row : faceSubstitutes) {
#ifdef Q_OS_WIN
        // Where Windows has the face under its Chinese name, Qt uses it and this list is
        // not consulted.
        QFont::insertSubstitutions(
            qstr(row.face),
            QStringList{qstr(row.substitute), qstr(row.nearest[0]), qstr(row.nearest[1])});
#else
        QFont::insertSubstitution(qstr(row.face), qstr(row.substitute));
#endif
    }
}

QFont fontFor(const FaceStyle& table) {
    QFont font(qstr(table.face));
    font.setPointSizeF(table.points);
    font.setBold(table.bold);
    font.setItalic(table.italic);
    // Keep to the named face; do not let fontconfig pick another CJK face for a glyph
    // the substitute also has.
    font.setStyleStrategy(QFont::PreferMatch);
    return font;
}

}  // namespace lintavo
