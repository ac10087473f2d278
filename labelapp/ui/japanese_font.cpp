#include "ui/japanese_font.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace labelora {

QString japaneseFontFamily() {
    const QStringList families = QFontDatabase::families();
    // IPAGothic first: each of its glyphs stands for one character, so a PDF's text layer
    // names the characters drawn. Noto Sans CJK and IPAexGothic share glyphs between
    // ideographs and radicals (長 and ⻑), and the PDF writer names a shared glyph by the
    // lowest of its characters, so copied or searched text would hold the radicals.
    for (const char *wanted : {"IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "Noto Sans JP"})
        if (families.contains(wanted)) return wanted;
    return QGuiApplication::font().family();
}

void useJapaneseFont(QGuiApplication &app) {
    QFont font = app.font();
    font.setFamily(japaneseFontFamily());
    app.setFont(font);
}

}  // namespace labelora
