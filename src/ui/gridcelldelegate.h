#pragma once

#include <QRawFont>
#include <QStyledItemDelegate>

namespace pellamar::ui {

// Draws the grid's cells. The computed texts end in blanks that serve as a right margin; where
// the column is too narrow for them, the blanks give way before any digit is elided.
// A cell of digits is drawn from the font's glyphs directly: shaping every visible cell's text
// anew was most of the cost of showing a freshly loaded data set.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // The item's texts and colours without the blanks' trimming.
    void initColours(QStyleOptionViewItem* option, const QModelIndex& index) const;
    // Draws the text inside `rect` as the style would; false when it needs the style's own
    // layout (a glyph the font lacks, or too little room, which elides).
    bool drawPlainText(QPainter* painter, const QStyleOptionViewItem& option,
                       const QRect& rect) const;

    mutable QFont font_;
    mutable QRawFont rawFont_;
};

} // namespace pellamar::ui
