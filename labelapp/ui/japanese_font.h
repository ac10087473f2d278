// Picks a font that has the Japanese glyphs of the captions and of the printed labels.
#pragma once

#include <QString>

class QGuiApplication;

namespace labelora {

// The first installed of IPAGothic, IPAPGothic (fonts-ipafont-gothic), Noto Sans CJK JP and
// Noto Sans JP, or the application's font family.
QString japaneseFontFamily();

// Makes that family the application font.
void useJapaneseFont(QGuiApplication &app);

}  // namespace labelora
