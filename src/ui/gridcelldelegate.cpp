#include "ui/gridcelldelegate.h"

#include <QGlyphRun>
#include <QPainter>
#include <QtMath>
#include <algorithm>

namespace pellamar::ui {

namespace {

int textMargin(const QStyleOptionViewItem& option)
{
    const QWidget* view = option.widget;
    const QStyle* style = view ? view->style() : nullptr;
    return (style ? style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) : 2) + 1;
}

// Numbers need no shaping: one glyph per character, digits of one width, nothing to kern.
bool isPlain(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.isDigit() || c == u' ' || c == u'.' || c == u'-' || c == u'+' || c == u',';
    });
}

QPalette::ColorGroup colorGroup(const QStyleOptionViewItem& option)
{
    if (!(option.state & QStyle::State_Enabled)) {
        return QPalette::Disabled;
    }
    return option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
}

} // namespace

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    initColours(option, index);
    const int room = option->rect.width() - 2 * textMargin(*option);
    QString& text = option->text;
    while (text.endsWith(u' ') && option->fontMetrics.horizontalAdvance(text) > room) {
        text.chop(1);
    }
}

void GridCellDelegate::initColours(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // A refused text stays red when its cell is the current one.
    if (index.data(Qt::ForegroundRole).isValid()) {
        option->palette.setColor(QPalette::Highlight, QColor(200, 0, 0));
    }
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initColours(&opt, index);
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : nullptr;
    if (!style || opt.state & QStyle::State_Editing || !isPlain(opt.text) ||
        opt.features &
            (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->setClipRect(opt.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    // Without a check box or an icon the text has the whole cell.
    if (!drawPlainText(painter, opt, opt.rect)) {
        painter->restore();
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &opt, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor = opt.palette.color(
            colorGroup(opt),
            opt.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

bool GridCellDelegate::drawPlainText(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QRect& rect) const
{
    if (option.text.isEmpty()) {
        return true;
    }
    if (!rawFont_.isValid() || font_ != option.font) {
        font_ = option.font;
        rawFont_ = QRawFont::fromFont(font_);
    }
    QList<quint32> glyphs = rawFont_.glyphIndexesForString(option.text);
    if (glyphs.size() != option.text.size() || glyphs.contains(0u)) {
        return false;
    }
    const QList<QPointF> advances = rawFont_.advancesForGlyphIndexes(glyphs);
    qreal width = 0;
    for (const QPointF& advance : advances) {
        width += advance.x();
    }
    const QRect room = rect.adjusted(textMargin(option), 0, -textMargin(option), 0);
    // The trailing blanks are a margin that gives way first.
    qsizetype count = glyphs.size();
    while (count > 0 && option.text[count - 1] == u' ' && width > room.width()) {
        --count;
        width -= advances[count].x();
    }
    if (width > room.width()) {
        return false;
    }
    glyphs.resize(count);
    QList<QPointF> positions;
    positions.reserve(count);
    qreal x = 0;
    for (qsizetype i = 0; i < count; ++i) {
        positions.append(QPointF(x, 0));
        x += advances[i].x();
    }
    // Placed as a text layout places one line: whole pixels down, fractions across.
    const int height = qCeil(rawFont_.ascent() + rawFont_.descent());
    const QRect line = QStyle::alignedRect(option.direction, option.displayAlignment,
                                           QSize(room.width(), height), room);
    const Qt::Alignment across = QStyle::visualAlignment(option.direction, option.displayAlignment);
    qreal left = line.left();
    if (across & Qt::AlignRight) {
        left += room.width() - width;
    } else if (across & Qt::AlignHCenter) {
        left += (room.width() - width) / 2;
    }
    painter->setPen(option.palette.color(colorGroup(option), option.state & QStyle::State_Selected
                                                                 ? QPalette::HighlightedText
                                                                 : QPalette::Text));
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter->drawGlyphRun(QPointF(left, line.top() + rawFont_.ascent()), run);
    return true;
}

} // namespace pellamar::ui
