#include "ui/japanese_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace labelora {

void useJapaneseFont(QApplication &app) {
    const QStringList families = QFontDatabase::families();
    for (const char *wanted : {"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "Noto Sans JP"}) {
        if (families.contains(wanted)) {
            QFont font = app.font();
            font.setFamily(wanted);
            app.setFont(font);
            return;
        }
    }
}

}  // namespace labelora
