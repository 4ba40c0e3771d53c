#include "app/led_lists.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace vorelux::app {

QImage ledImage(const LedBitmap& bitmap, QRgb on) {
    QImage image(std::max(1, bitmap.width), std::max(1, bitmap.height),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if (bitmap.lit(x, y)) image.setPixel(x, y, on);
    return image;
}

namespace {

QColor itemBackground(const QStyleOptionViewItem& option) {
    if (option.state & QStyle::State_Selected) return option.palette.color(QPalette::Highlight);
    return Qt::black;
}

} // namespace

FontListDelegate::FontListDelegate(const std::array<LedBitmap, 4>& previews, int itemHeight,
                                   QObject* parent)
    : QStyledItemDelegate(parent), previews_(previews), itemHeight_(itemHeight) {}

void FontListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    painter->save();
    painter->fillRect(option.rect, itemBackground(option));
    const int row = index.row();
    if (row >= 0 && row < int(previews_.size())) {
        const LedBitmap& preview = previews_[size_t(row)];
        const int rows = preview.height + 2; // two dark rows below the text
        const int scale = std::max(1, option.rect.height() / std::max(1, rows));
        const QImage image = ledImage(preview);
        const int top = option.rect.top() + (option.rect.height() - rows * scale) / 2;
        painter->setClipRect(option.rect);
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter->drawImage(
            QRect(option.rect.left(), top + scale, image.width() * scale, image.height() * scale),
            image);
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(Qt::gray, 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize FontListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width(), itemHeight_);
}

DrawingListDelegate::DrawingListDelegate(const std::vector<LedBitmap>& pictures, QObject* parent)
    : QStyledItemDelegate(parent), pictures_(pictures) {}

void DrawingListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, itemBackground(option));
    bool ok = false;
    const int n = index.data(Qt::DisplayRole).toString().toInt(&ok);
    if (ok && n >= 0 && n < int(pictures_.size())) {
        const QImage image = ledImage(pictures_[size_t(n)]);
        const QRect target(option.rect.left() + 5, option.rect.top() + 4,
                           image.width() * PictureScale, image.height() * PictureScale);
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter->drawImage(target, image);
        painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                                 : QColor(140, 140, 140));
        painter->drawText(option.rect.adjusted(target.width() + 16, 0, -4, 0),
                          Qt::AlignVCenter | Qt::AlignLeft, index.data(Qt::DisplayRole).toString());
    }
    painter->restore();
}

QSize DrawingListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width(), ItemHeight);
}

} // namespace vorelux::app
