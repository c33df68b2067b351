#include "ui/controldatadialog.h"

#include "core/numbers.h"
#include "ui/feedback.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {

// Four digits always fit the 16-bit counts; nine characters of hours stay well inside a float.
constexpr int kCountDigits = 4;
constexpr int kHoursLength = 9;

const QStringList kHints{
    QStringLiteral("Larvae in pan: a whole number of up to 4 digits"),
    QStringLiteral("Time after treatment: hours, digits and one decimal point"),
    QStringLiteral("Mortality: a whole number of up to 4 digits")};

NumberRule ruleOf(int index)
{
    return index == 2 ? NumberRule{kHoursLength, true} : NumberRule{kCountDigits, false};
}

} // namespace

ControlDataDialog::ControlDataDialog(const ControlData& current, QWidget* parent)
    : QDialog(parent)
    , current_(current)
    , result_(current)
{
    setWindowTitle(QStringLiteral("Control Data"));

    auto* frame = new QGroupBox(QStringLiteral("Mortality Control Data"), this);
    auto* grid = new QGridLayout(frame);
    const QStringList captions{QStringLiteral("Larvae in pan:"),
                               QStringLiteral("Time after\ntreatment (hrs):"),
                               QStringLiteral("Mortality:")};
    const QString larvae = QString::number(current_.larvae);
    const QString hours = numbers::formatGeneral(current_.hours);
    const QString dead = QString::number(current_.dead);
    const bool shown = current_.larvae > 0;
    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12;
    for (int i = 0; i < 3; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        auto* box = new QLineEdit(frame);
        connect(box, &QLineEdit::textEdited, this, [this, i] { showRefusal(i + 1, false); });
        box->setFixedWidth(boxWidth);
        box->installEventFilter(this);
        auto* caption = new QLabel(captions.at(i), frame);
        caption->setBuddy(box);
        grid->addWidget(caption, i, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(box, i, 1, Qt::AlignVCenter);
        boxes_[slot] = box;
        captions_[slot] = caption;
    }

    accept_ = new QPushButton(QStringLiteral("Accept"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(boxes_[0], &QLineEdit::textChanged, this, &ControlDataDialog::larvaeChanged);
    connect(accept_, &QPushButton::clicked, this, &ControlDataDialog::acceptData);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    larvaeChanged();
    if (shown) {
        opened_ = {larvae, hours, dead};
        boxes_[0]->setText(larvae);
        boxes_[1]->setText(hours);
        boxes_[2]->setText(dead);
        accept_->setEnabled(true);
    }
    boxes_[0]->setFocus();
}

QLineEdit* ControlDataDialog::box(int index) const
{
    return boxes_.at(static_cast<std::size_t>(index - 1));
}

int ControlDataDialog::indexOf(const QObject* object) const
{
    for (int i = 0; i < 3; ++i) {
        if (boxes_[static_cast<std::size_t>(i)] == object) {
            return i + 1;
        }
    }
    return 0;
}

void ControlDataDialog::larvaeChanged()
{
    const QString text = boxes_[0]->text();
    // A text being corrected leaves the other boxes as they are.
    if (!ruleOf(1).follows(text)) {
        accept_->setEnabled(true);
        return;
    }
    const std::optional<double> larvae = numbers::parseDouble(text);
    const bool counted = larvae && *larvae >= 1.0;
    for (std::size_t i = 1; i < 3; ++i) {
        boxes_[i]->setEnabled(counted);
        captions_[i]->setEnabled(counted);
        if (!counted) {
            boxes_[i]->clear();
        }
    }
    // 0 is a valid entry: accepting it removes the control data.
    accept_->setEnabled(larvae.has_value());
    if (counted) {
        showRefusal(3, false);
    }
}

QString ControlDataDialog::refusal(int index, bool complete) const
{
    const QString text = box(index)->text();
    // What the dialog opened with stands, even in a form no key gives (a value from a file).
    if (text == opened_.at(static_cast<std::size_t>(index - 1)) && !text.isEmpty() && index < 3) {
        return {};
    }
    if (!ruleOf(index).follows(text) || (complete && text == u'.')) {
        return kHints.at(index - 1);
    }
    if (index == 1 && complete && text.isEmpty()) {
        return QStringLiteral("Larvae in pan: a count is needed (0 removes the control data)");
    }
    return index == 3 ? mortalityRefusal(text, boxes_[0]->text(), u"pan") : QString();
}

bool ControlDataDialog::showRefusal(int index, bool complete)
{
    QLineEdit* edit = box(index);
    const QString why = edit->isEnabled() ? refusal(index, complete) : QString();
    if (why.isEmpty() && edit->property("refused").toBool()) {
        clearHint();
    }
    if (!why.isEmpty() || edit->property("refused").toBool()) {
        markRefusal(edit, why);
    }
    return why.isEmpty();
}

bool ControlDataDialog::commit(int index)
{
    if (boxes_[0]->text().isEmpty()) {
        return true;
    }
    QLineEdit* edit = box(index);
    if (index > 1 && edit->text().isEmpty()) {
        edit->setText(QStringLiteral("0"));
    }
    // A refused count is never lowered or replaced: it stays as typed until corrected.
    return showRefusal(index, true);
}

void ControlDataDialog::acceptData()
{
    for (int index = 1; index <= 3; ++index) {
        if (box(index)->isEnabled() && !commit(index)) {
            box(index)->setFocus(Qt::OtherFocusReason);
            showRefusal(index, true);
            return;
        }
    }
    ControlData entered;
    entered.larvae = numbers::roundToInt16(numbers::parseDouble(boxes_[0]->text()).value_or(0.0));
    if (entered.larvae > 0) {
        entered.hours = numbers::parseFloat(boxes_[1]->text()).value_or(0.0f);
        entered.dead = numbers::roundToInt16(numbers::parseDouble(boxes_[2]->text()).value_or(0.0));
    }
    result_ = entered;
    accept();
}

bool ControlDataDialog::handleKey(int index, QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!box(index)->text().isEmpty()) {
            if (!commit(index)) {
                return true;
            }
            for (int next = index + 1; next <= 3; ++next) {
                if (box(next)->isEnabled()) {
                    box(next)->setFocus(Qt::TabFocusReason);
                    return true;
                }
            }
            accept_->setFocus(Qt::TabFocusReason);
        }
        return true;
    }
    // Every other key goes into the box, to be judged by what it leaves.
    return false;
}

bool ControlDataDialog::eventFilter(QObject* watched, QEvent* event)
{
    const int index = indexOf(watched);
    if (index == 0) {
        return QDialog::eventFilter(watched, event);
    }
    QLineEdit* edit = box(index);
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(index, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        // After the click that gave the focus has placed the caret.
        QTimer::singleShot(0, edit, [edit] {
            if (edit->hasFocus()) {
                edit->selectAll();
            }
        });
        return false;
    case QEvent::FocusOut:
        // A context menu (to paste) or a switch to another window is no leaving of the box.
        if (leftForAnotherControl(static_cast<QFocusEvent*>(event))) {
            commit(index);
        }
        return false;
    default:
        return false;
    }
}

} // namespace pellamar::ui
