#include "ui/japanese_font.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace labelora {

QString japaneseFontFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char *wanted : {"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "Noto Sans JP"})
        if (families.contains(wanted)) return wanted;
    return QGuiApplication::font().family();
}

void useJapaneseFont(QGuiApplication &app) {
    QFont font = app.font();
    font.setFamily(japaneseFontFamily());
    app.setFont(font);
}

}  // namespace labelora
