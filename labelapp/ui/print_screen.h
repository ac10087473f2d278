// The pictures of the print screen: the sheet with its used, printed and free labels (a
// click chooses the first label), and the preview of one label.
#pragma once

#include <QWidget>
#include <functional>

#include "core/forms/main_form.h"

namespace labelora {

// The sheet picture of one sheet type, drawn in the pixel bands that the model uses to
// tell which label a click is on.
class SheetPicture : public QWidget {
    Q_OBJECT
  public:
    SheetPicture(const MainForm &model, int sheetType, std::function<void(QPoint)> onClick,
                 QWidget *parent = nullptr);
    QSize sizeHint() const override;
    // Where label `pos` is drawn, in the widget's pixels.
    QRect labelArea(int pos) const;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    const MainForm &model_;
    int sheetType_;
    std::function<void(QPoint)> onClick_;
};

// The preview of the first label: a round label, a framed label or a plain text label, in
// the chosen colours.
class LabelPreview : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Round, Framed };
    LabelPreview(const MainForm &model, Kind kind, QWidget *parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    const MainForm &model_;
    Kind kind_;
};

}  // namespace labelora
