#include "ui/print_screen.h"

#include <QMouseEvent>
#include <QPainter>

namespace labelora {
namespace {

QColor toQColor(Rgb colour) {
    return QColor(colour.r, colour.g, colour.b);
}

constexpr int kPictureMargin = 8;  // paper beyond the last band

}  // namespace

SheetPicture::SheetPicture(const MainForm &model, int sheetType,
                           std::function<void(QPoint)> onClick, QWidget *parent)
    : QWidget(parent), model_(model), sheetType_(sheetType), onClick_(std::move(onClick)) {
    setObjectName(kSheetPictures[sheetType - 1]);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setToolTip("最初の枚目を選んでいる間、クリックで印刷を始める位置を選びます");
}

QSize SheetPicture::sizeHint() const {
    return {columnBands(sheetType_).back().last + kPictureMargin + 1,
            rowBands(sheetType_).back().last + kPictureMargin + 1};
}

QRect SheetPicture::labelArea(int pos) const {
    const auto &columns = columnBands(sheetType_);
    const auto &rows = rowBands(sheetType_);
    const PixelBand &column = columns[(pos - 1) % columns.size()];
    const PixelBand &row = rows[(pos - 1) / columns.size()];
    return QRect(QPoint(column.first, row.first), QPoint(column.last, row.last));
}

void SheetPicture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(250, 250, 245));
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const int capacity = sheetType(sheetType_).capacity;
    for (int pos = 1; pos <= capacity; ++pos) {
        Shade shade = pos - 1 < static_cast<int>(model_.shading.size()) ? model_.shading[pos - 1]
                                                                        : Shade::Free;
        QColor fill = shade == Shade::Used      ? toQColor(kUsedShade)
                      : shade == Shade::Printed ? toQColor(kPrintedShade)
                                                : QColor(Qt::white);
        painter.setBrush(fill);
        painter.setPen(QPen(QColor(90, 90, 90), 1));
        QRectF area = QRectF(labelArea(pos)).adjusted(0.5, 0.5, -0.5, -0.5);
        if (sheetType_ == 1)
            painter.drawEllipse(area);
        else
            painter.drawRoundedRect(area, 2, 2);
    }
}

void SheetPicture::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) onClick_(event->position().toPoint());
}

LabelPreview::LabelPreview(const MainForm &model, Kind kind, QWidget *parent)
    : QWidget(parent), model_(model), kind_(kind) {
    setObjectName(kind == Kind::Round ? kRoundPreview : kFramedPreview);
    setMinimumSize(sizeHint());
}

QSize LabelPreview::sizeHint() const {
    return kind_ == Kind::Round ? QSize(150, 150) : QSize(260, 110);
}

void LabelPreview::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor background = toQColor(model_.previewBackground);
    const QColor text = toQColor(model_.previewText);
    QFont font = this->font();
    font.setPointSize(14);  // the preview shows the texts at 14 points
    painter.setFont(font);
    const int lineHeight = QFontMetrics(font).height();

    if (kind_ == Kind::Round) {
        QRectF outer = QRectF(rect()).adjusted(4, 4, -4, -4);
        outer.setWidth(std::min(outer.width(), outer.height()));
        outer.setHeight(outer.width());
        outer.moveCenter(QRectF(rect()).center());
        painter.setPen(QPen(Qt::darkGray, 1));
        painter.setBrush(background);
        painter.drawEllipse(outer);
        const bool frame = model_.checkBoxes().at(kFrameCheck).checked;
        if (frame) {
            painter.setBrush(Qt::white);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(outer.adjusted(14, 14, -14, -14));
        }
        std::vector<std::string> lines = model_.memos().at(kRoundPreviewMemo).lines();
        painter.setPen(text);
        QPointF centre = outer.center();
        for (size_t i = 0; i < lines.size() && i < 2; ++i) {
            QRectF box(outer.left(), i == 0 ? centre.y() - lineHeight : centre.y(), outer.width(),
                       lineHeight);
            painter.drawText(box, Qt::AlignCenter, QString::fromStdString(lines[i]));
        }
        return;
    }
    QRectF label = QRectF(rect()).adjusted(4, 4, -4, -4);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(label);
    painter.setPen(QPen(background, 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(label.adjusted(10, 10, -10, -10), 8, 8);
    painter.setPen(text);
    std::vector<std::string> lines = model_.memos().at(kTextPreviewMemo).lines();
    painter.drawText(label, Qt::AlignCenter,
                     QString::fromStdString(lines.empty() ? std::string() : lines.front()));
}

}  // namespace labelora
