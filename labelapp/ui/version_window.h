// The version window: program name, version and toolkit.
#pragma once

#include <QDialog>

namespace labelora {

// Emits finished() however it is closed (OK, Escape or the window's close button).
class VersionWindow : public QDialog {
    Q_OBJECT
  public:
    explicit VersionWindow(QWidget *parent);
};

}  // namespace labelora
