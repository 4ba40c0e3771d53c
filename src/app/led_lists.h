#pragma once
// Owner-drawn items of the font list (each name lit in its own LED font) and
// of the drawing list (the drawing's picture).
#include "render/text_bitmap.h"

#include <QImage>
#include <QStyledItemDelegate>

#include <array>
#include <vector>

namespace vorelux::app {

// A LED picture as an image: lit pixels in `on`, dark ones transparent.
QImage ledImage(const LedBitmap& bitmap, QRgb on = qRgb(255, 255, 255));

// The font list's items: the font preview, two dark rows added below, scaled by a
// whole factor to the item height over the item background (black, or the
// selection colour).
class FontListDelegate final : public QStyledItemDelegate {
  public:
    FontListDelegate(const std::array<LedBitmap, 4>& previews, int itemHeight, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    const std::array<LedBitmap, 4>& previews_;
    int itemHeight_;
};

// The drawing list's items: the picture of the drawing whose list index is the item
// text, enlarged, on the item background, with the index beside it.
class DrawingListDelegate final : public QStyledItemDelegate {
  public:
    DrawingListDelegate(const std::vector<LedBitmap>& pictures, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Items are 100 pixels high; the picture fills most of one.
    static constexpr int PictureScale = 5;
    static constexpr int ItemHeight = 100;

  private:
    const std::vector<LedBitmap>& pictures_;
};

} // namespace vorelux::app
