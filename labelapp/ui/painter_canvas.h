// The drawing canvas of the model over QPainter: a printer chosen in the print dialog or a
// PDF file. Coordinates are device pixels from the paper's corner.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QString>
#include <memory>

#include "core/printing/canvas.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace labelora {

class PainterCanvas : public Canvas {
  public:
    // The canvas's own font (the family of an empty font name) is `defaultFamily`; families
    // that are not installed are drawn with it too, so that Japanese text always has glyphs.
    PainterCanvas(std::unique_ptr<QPagedPaintDevice> device, QString defaultFamily);
    ~PainterCanvas() override;

    Resolution resolution() const override;
    bool beginDocument(const std::string &title) override;
    void newPage() override;
    void endDocument() override;
    void setPen(Rgb colour, int width) override;
    void setBrush(Rgb colour) override;
    void setNoBrush() override;
    void setFont(const std::string &family, int pointSize, bool bold) override;
    void setTextColour(Rgb colour) override;
    void ellipse(const DeviceRect &box) override;
    void rectangle(const DeviceRect &box) override;
    void roundRect(const DeviceRect &box, int cornerWidth, int cornerHeight) override;
    void fillRectangle(const DeviceRect &box, Rgb colour) override;
    void textOut(int x, int y, const std::string &utf8) override;
    TextSize textExtent(const std::string &utf8) override;

  private:
    void applyShapeStyle();
    // The font's em in device pixels.
    double emPixels() const;

    std::unique_ptr<QPagedPaintDevice> device_;
    QString defaultFamily_;
    QPainter painter_;
    QPen pen_;
    QBrush brush_;
    QFont font_;
    QColor textColour_ = Qt::black;
};

// An A4 PDF file at 600 dots per inch, without margins.
std::unique_ptr<PainterCanvas> pdfCanvas(const QString &path, const QString &defaultFamily);
// The printer the user set up in the print dialog, drawn from the paper's corner.
std::unique_ptr<PainterCanvas> printerCanvas(std::unique_ptr<QPrinter> printer,
                                             const QString &defaultFamily);

}  // namespace labelora
