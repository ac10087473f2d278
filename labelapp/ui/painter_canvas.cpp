#include "ui/painter_canvas.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <cmath>

namespace labelora {
namespace {

QColor toQColor(Rgb colour) {
    return QColor(colour.r, colour.g, colour.b);
}

QRectF toQRect(const DeviceRect &box) {
    return QRectF(box.left, box.top, box.right - box.left, box.bottom - box.top);
}

constexpr int kPdfDotsPerInch = 600;

}  // namespace

PainterCanvas::PainterCanvas(std::unique_ptr<QPagedPaintDevice> device, QString defaultFamily)
    : device_(std::move(device)), defaultFamily_(std::move(defaultFamily)) {
    setFont("", 9, false);
}

PainterCanvas::~PainterCanvas() {
    if (painter_.isActive()) painter_.end();
}

Resolution PainterCanvas::resolution() const {
    return {device_->logicalDpiX(), device_->logicalDpiY()};
}

bool PainterCanvas::beginDocument(const std::string &title) {
    if (auto *pdf = dynamic_cast<QPdfWriter *>(device_.get()))
        pdf->setTitle(QString::fromStdString(title));
    else if (auto *printer = dynamic_cast<QPrinter *>(device_.get()))
        printer->setDocName(QString::fromStdString(title));
    if (!painter_.begin(device_.get())) return false;
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    return true;
}

void PainterCanvas::newPage() {
    device_->newPage();
}

void PainterCanvas::endDocument() {
    painter_.end();
}

void PainterCanvas::setPen(Rgb colour, int width) {
    pen_ = QPen(toQColor(colour), width);
    pen_.setJoinStyle(Qt::MiterJoin);
}

void PainterCanvas::setBrush(Rgb colour) {
    brush_ = QBrush(toQColor(colour));
}

void PainterCanvas::setNoBrush() {
    brush_ = QBrush(Qt::NoBrush);
}

void PainterCanvas::setFont(const std::string &family, int pointSize, bool bold) {
    QString name = QString::fromStdString(family);
    if (name.isEmpty() || !QFontDatabase::hasFamily(name)) name = defaultFamily_;
    font_ = QFont(name);
    font_.setPointSize(pointSize);
    font_.setBold(bold);
    // Shaping Latin runs with the Japanese font swaps in digit glyphs that have no
    // character of their own, and the PDF would then lose the digits for text readers.
    font_.setStyleStrategy(QFont::PreferNoShaping);
}

void PainterCanvas::setTextColour(Rgb colour) {
    textColour_ = toQColor(colour);
}

void PainterCanvas::applyShapeStyle() {
    painter_.setPen(pen_);
    painter_.setBrush(brush_);
}

void PainterCanvas::ellipse(const DeviceRect &box) {
    applyShapeStyle();
    painter_.drawEllipse(toQRect(box));
}

void PainterCanvas::rectangle(const DeviceRect &box) {
    applyShapeStyle();
    painter_.drawRect(toQRect(box));
}

void PainterCanvas::roundRect(const DeviceRect &box, int cornerWidth, int cornerHeight) {
    applyShapeStyle();
    // The corner is given as the ellipse that rounds it, Qt takes its radii.
    painter_.drawRoundedRect(toQRect(box), cornerWidth / 2.0, cornerHeight / 2.0);
}

void PainterCanvas::fillRectangle(const DeviceRect &box, Rgb colour) {
    painter_.fillRect(toQRect(box), toQColor(colour));
}

// The layouts place and stack texts by the character cell of the Japanese system fonts: one
// em high, the baseline 0.86 em below its top. Taking the font's own metrics instead (Noto
// Sans CJK: ascent 1.16 em, height 1.45 em) would drop every text a third of an em, down
// across the frames of the smaller labels.
constexpr double kCellAscent = 0.86;

double PainterCanvas::emPixels() const {
    return font_.pointSizeF() * device_->logicalDpiY() / 72.0;
}

void PainterCanvas::textOut(int x, int y, const std::string &utf8) {
    painter_.setFont(font_);
    painter_.setPen(textColour_);
    painter_.setBrush(Qt::NoBrush);
    const QString text = QString::fromStdString(utf8);
    const double baseline = y + kCellAscent * emPixels();
    // Blanks are left as gaps instead of being drawn. The PDF writer names each glyph by the
    // lowest character that shows it, and fonts show a tab with the blank's glyph, so a drawn
    // blank would come out of a PDF as a tab when copied; readers take the gap for a blank.
    const QFontMetricsF metrics(font_, device_.get());
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(QChar(' '), start);
        if (end < 0) end = text.size();
        if (end > start)
            painter_.drawText(QPointF(x + metrics.horizontalAdvance(text.left(start)), baseline),
                              text.mid(start, end - start));
        start = end + 1;
    }
}

TextSize PainterCanvas::textExtent(const std::string &utf8) {
    QFontMetrics metrics(font_, device_.get());
    return {metrics.horizontalAdvance(QString::fromStdString(utf8)),
            static_cast<int>(std::lround(emPixels()))};
}

std::unique_ptr<PainterCanvas> pdfCanvas(const QString &path, const QString &defaultFamily) {
    auto writer = std::make_unique<QPdfWriter>(path);
    writer->setResolution(kPdfDotsPerInch);
    writer->setCreator("labelora");
    writer->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    return std::make_unique<PainterCanvas>(std::move(writer), defaultFamily);
}

std::unique_ptr<PainterCanvas> printerCanvas(std::unique_ptr<QPrinter> printer,
                                             const QString &defaultFamily) {
    printer->setFullPage(true);
    return std::make_unique<PainterCanvas>(std::move(printer), defaultFamily);
}

}  // namespace labelora
