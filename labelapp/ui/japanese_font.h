// Picks a font that has the Japanese glyphs of the captions.
#pragma once

class QApplication;

namespace labelora {

// Makes the first installed Japanese sans-serif family the application font.
void useJapaneseFont(QApplication &app);

}  // namespace labelora
