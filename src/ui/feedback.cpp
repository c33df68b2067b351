#include "ui/feedback.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

namespace pellamar::ui {

namespace {

// Not a QToolTip: a tool tip closes when the refused key is released, before anyone reads it.
QPointer<QLabel>& hintLabel()
{
    static QPointer<QLabel> label;
    return label;
}

class EnterPressesButton : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button ||
            !(qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button)) ||
            !button->isEnabled() || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        button->click();
        return true;
    }
};

} // namespace

QString notSaved(const QString& what, const QString& path, const QString& reason)
{
    const QFileInfo file(path);
    return QStringLiteral("%1 could not be saved as \"%2\" in the folder %3.\n\n%4")
        .arg(what, file.fileName(), QDir::toNativeSeparators(file.absolutePath()), reason);
}

void pressButtonsOnEnter()
{
    static EnterPressesButton* filter = nullptr;
    if (filter == nullptr) {
        filter = new EnterPressesButton;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
}

void refuseInput(QWidget* widget, const QRect& place, const QString& hint)
{
    QApplication::beep();
    showHint(widget, place, hint);
}

void showHint(QWidget* widget, const QRect& place, const QString& hint)
{
    QPointer<QLabel>& label = hintLabel();
    if (!label || label->parentWidget() != widget->window()) {
        delete label;
        label = new QLabel(widget->window(), Qt::ToolTip);
        label->setPalette(QToolTip::palette());
        label->setFont(QToolTip::font());
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setMargin(3);
        label->setTextFormat(Qt::PlainText);
        auto* timer = new QTimer(label);
        timer->setObjectName(QStringLiteral("hideTimer"));
        timer->setSingleShot(true);
        timer->setInterval(4000);
        QObject::connect(timer, &QTimer::timeout, label, &QWidget::hide);
    }
    label->setText(hint);
    // A long hint wraps rather than run past the window's right edge on a small screen.
    const QRect window = widget->window()->geometry();
    label->setWordWrap(false);
    label->adjustSize();
    if (label->width() > window.width() - 16) {
        label->setWordWrap(true);
        label->setFixedWidth(window.width() - 16);
        label->setFixedHeight(label->heightForWidth(label->width()));
    } else {
        label->setMinimumSize(0, 0);
        label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        label->adjustSize();
    }
    QPoint at = widget->mapToGlobal(place.bottomLeft()) + QPoint(0, 2);
    at.setX(std::clamp(at.x(), window.left() + 8, window.right() - 8 - label->width()));
    label->move(at);
    label->show();
    label->findChild<QTimer*>(QStringLiteral("hideTimer"))->start();
}

void clearHint()
{
    if (QLabel* label = hintLabel()) {
        label->hide();
    }
}

QString shownHint()
{
    const QPointer<QLabel>& label = hintLabel();
    return label && label->isVisible() ? label->text() : QString();
}

bool leftForAnotherControl(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason && event->reason() != Qt::MenuBarFocusReason;
}

void markRefusal(QLineEdit* edit, const QString& refusal)
{
    // Only the text colour is set; everything else stays inherited.
    QPalette palette;
    if (!refusal.isEmpty()) {
        palette.setColor(QPalette::Text, QColor(200, 0, 0));
    }
    edit->setPalette(palette);
    edit->setProperty("refused", !refusal.isEmpty());
    if (!refusal.isEmpty()) {
        refuseInput(edit, edit->rect(), refusal);
    }
}

bool NumberRule::follows(QStringView input) const
{
    if (maxLength > 0 && input.size() > maxLength) {
        return false;
    }
    int points = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c == u'.' && point) {
            if (++points > 1) {
                return false;
            }
        } else if (!(c == u'-' && sign && i == 0) && (c < u'0' || c > u'9')) {
            return false;
        }
    }
    return true;
}

} // namespace pellamar::ui
