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
    // Box 2 may get the stored hours back from its commit even without control data.
    const bool shown = current_.larvae > 0;
    const std::array<QStringList, 3> kept{shown ? QStringList{larvae} : QStringList{},
                                          QStringList{hours},
                                          shown ? QStringList{dead, larvae} : QStringList{}};
    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12;
    for (int i = 0; i < 3; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        auto* box = new QLineEdit(frame);
        auto* validator = new NumberValidator({i == 1 ? kHoursLength : kCountDigits, i == 1}, box);
        validator->keep(kept[slot]);
        box->setValidator(validator);
        hintOnRefusal(box, kHints.at(i));
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
        boxes_[0]->setText(larvae);
        boxes_[1]->setText(hours);
        boxes_[2]->setText(dead);
        commit(2);
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
    const std::optional<double> larvae = numbers::parseDouble(boxes_[0]->text());
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
}

void ControlDataDialog::commit(int index)
{
    if (boxes_[0]->text().isEmpty()) {
        return;
    }
    QLineEdit* edit = box(index);
    if (edit->text().isEmpty()) {
        edit->setText(QStringLiteral("0"));
    } else if (!numbers::isNumber(edit->text())) {
        edit->setText(index == 2 ? numbers::formatGeneral(current_.hours)
                                 : QString::number(current_.dead));
    }
    if (index == 3) {
        const std::optional<double> larvae = numbers::parseDouble(boxes_[0]->text());
        const std::optional<double> dead = numbers::parseDouble(edit->text());
        if (larvae && dead && *dead > *larvae) {
            edit->setText(QString::number(numbers::roundToInt16(*larvae)));
        }
    }
}

void ControlDataDialog::acceptData()
{
    ControlData entered;
    entered.larvae = numbers::roundToInt16(numbers::parseDouble(boxes_[0]->text()).value_or(0.0));
    if (entered.larvae > 0) {
        // "Accept" may be clicked without the last box ever losing the focus.
        commit(2);
        commit(3);
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
            if (index > 1) {
                commit(index);
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
    // The validator judges what every other key leaves.
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
        if (index > 1 && leftForAnotherControl(static_cast<QFocusEvent*>(event))) {
            commit(index);
        }
        return false;
    default:
        return false;
    }
}

} // namespace pellamar::ui
