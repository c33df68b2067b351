#include "ui/widthoptions.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>
#include <cstdlib>

namespace pellamar::ui {

WidthOptions::WidthOptions(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Swath width"));
    hide();
}

void WidthOptions::setCount(int count)
{
    count_ = std::max(0, count);
    selected_ = 0;
    centres_.clear();
    strip_ = false;
    if (count_ == 0) {
        hide();
    }
    update();
}

void WidthOptions::place(const std::vector<int>& centres, int top)
{
    centres_.assign(centres.begin(),
                    centres.begin() + std::min<std::ptrdiff_t>(count_, std::ssize(centres)));
    strip_ = std::adjacent_find(centres_.begin(), centres_.end(),
                                [](int a, int b) { return b - a < kSize; }) != centres_.end();
    const QWidget* area = parentWidget();
    setGeometry(0, top, area ? area->width() : width(), kSize);
    setVisible(!centres_.empty());
    update();
}

void WidthOptions::click(int index)
{
    if (index < 1 || index > count_) {
        return;
    }
    selected_ = index;
    setAccessibleDescription(QStringLiteral("Swath width ") + label(index));
    update();
    emit clicked(index);
}

QPoint WidthOptions::centre(int index) const
{
    if (index < 1 || index > std::ssize(centres_)) {
        return {};
    }
    return {centres_[static_cast<std::size_t>(index - 1)], kSize / 2};
}

QString WidthOptions::label(int index) const
{
    return labeller_ ? labeller_(index) : QString::number(index);
}

int WidthOptions::optionAt(int x) const
{
    // Options overlap when widths are many: the nearest centre wins, anywhere along the strip.
    int best = 0;
    int bestDistance = strip_ ? width() : kSize / 2 + 1;
    if (strip_ && (x < centres_.front() - kSize / 2 || x > centres_.back() + kSize / 2)) {
        return 0;
    }
    for (std::size_t i = 0; i < centres_.size(); ++i) {
        const int distance = std::abs(centres_[i] - x);
        if (distance < bestDistance) {
            best = static_cast<int>(i) + 1;
            bestDistance = distance;
        }
    }
    return best;
}

QPixmap WidthOptions::indicator(bool checked, bool focused) const
{
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(QSize(kSize, kSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = QRect(0, 0, kSize, kSize);
    option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
    if (focused) {
        option.state |= QStyle::State_HasFocus;
    }
    QPainter painter(&pixmap);
    style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &option, &painter, this);
    return pixmap;
}

void WidthOptions::paintStrip(QPainter& painter)
{
    const int left = centres_.front();
    const int right = centres_.back();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawRoundedRect(QRectF(left - 3.5, kSize / 2 - 3.5, right - left + 7, 7), 3, 3);
    painter.restore();
    if (selected_ < 1 || selected_ > std::ssize(centres_)) {
        return;
    }
    const int at = centre(selected_).x();
    painter.drawPixmap(at - kSize / 2, 0, indicator(true, hasFocus()));
    // The label beside the mark, on the side with room, over the strip.
    const QString text = label(selected_);
    const int textWidth = fontMetrics().horizontalAdvance(text) + 6;
    int textLeft = at + kSize / 2 + 1;
    if (textLeft + textWidth > width()) {
        textLeft = at - kSize / 2 - 1 - textWidth;
    }
    const QRect box(textLeft, 0, textWidth, kSize);
    painter.fillRect(box, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter, text);
}

void WidthOptions::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (strip_) {
        paintStrip(painter);
        return;
    }
    if (plain_.isNull()) {
        plain_ = indicator(false, false);
    }
    const int left = event->rect().left() - kSize;
    const int right = event->rect().right() + kSize;
    int lastDrawn = -kSize;
    for (std::size_t i = 0; i < centres_.size(); ++i) {
        const int x = centres_[i];
        // Options on the same pixel look the same; one stamp is enough.
        if (x == lastDrawn || x < left || x > right) {
            continue;
        }
        painter.drawPixmap(x - kSize / 2, 0, plain_);
        lastDrawn = x;
    }
    if (selected_ >= 1 && selected_ <= std::ssize(centres_)) {
        painter.drawPixmap(centre(selected_).x() - kSize / 2, 0, indicator(true, hasFocus()));
    }
}

void WidthOptions::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (const int index = optionAt(event->position().toPoint().x()); index > 0) {
        click(index);
    }
}

void WidthOptions::mouseMoveEvent(QMouseEvent* event)
{
    // The mark follows a drag along the strip.
    if (strip_ && (event->buttons() & Qt::LeftButton) != 0) {
        const int index = optionAt(event->position().toPoint().x());
        if (index > 0 && index != selected_) {
            click(index);
        }
    }
}

void WidthOptions::keyPressEvent(QKeyEvent* event)
{
    int index = selected_;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        index = std::max(1, selected_ - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        index = std::min(count_, selected_ + 1);
        break;
    case Qt::Key_PageUp:
        index = std::min(count_, selected_ + kPageStep);
        break;
    case Qt::Key_PageDown:
        index = std::max(1, selected_ - kPageStep);
        break;
    case Qt::Key_Home:
        index = 1;
        break;
    case Qt::Key_End:
        index = count_;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (index != selected_) {
        click(index);
    }
}

void WidthOptions::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange) {
        plain_ = {};
    }
    QWidget::changeEvent(event);
}

} // namespace pellamar::ui
