#include "shell/fonts.h"

#include "shell/qt_text.h"

namespace lintavo {

void installFontSubstitutes() {
    for (const auto& row : faceSubstitutes) {
        QFont::insertSubstitution(qstr(row.face), qstr(row.substitute));
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
