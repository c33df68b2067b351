#include "ui/feedback.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QToolTip>

namespace pellamar::ui {

namespace {

// Not a QToolTip: a tool tip closes when the refused key is released, before anyone reads it.
QPointer<QLabel>& hintLabel()
{
    static QPointer<QLabel> label;
    return label;
}

} // namespace

void refuseInput(QWidget* widget, const QRect& place, const QString& hint)
{
    QApplication::beep();
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
    label->adjustSize();
    label->move(widget->mapToGlobal(place.bottomLeft()) + QPoint(0, 2));
    label->show();
    label->findChild<QTimer*>(QStringLiteral("hideTimer"))->start();
}

QString shownHint()
{
    const QPointer<QLabel>& label = hintLabel();
    return label && label->isVisible() ? label->text() : QString();
}

bool leftForAnotherControl(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

void hintOnRefusal(QLineEdit* edit, const QString& hint)
{
    QObject::connect(edit, &QLineEdit::inputRejected, edit,
                     [edit, hint] { refuseInput(edit, edit->rect(), hint); });
}

QValidator::State NumberValidator::validate(QString& input, int& /*pos*/) const
{
    return kept_.contains(input) || follows(input, rule_) ? Acceptable : Invalid;
}

bool NumberValidator::follows(QStringView input, Rule rule)
{
    if (rule.maxLength > 0 && input.size() > rule.maxLength) {
        return false;
    }
    int points = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c == u'.' && rule.point) {
            if (++points > 1) {
                return false;
            }
        } else if (!(c == u'-' && rule.sign && i == 0) && (c < u'0' || c > u'9')) {
            return false;
        }
    }
    return true;
}

} // namespace pellamar::ui
