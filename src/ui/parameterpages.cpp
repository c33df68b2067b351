#include "ui/parameterpages.h"

#include "core/fieldcommit.h"
#include "document/editor.h"
#include "ui/feedback.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace pellamar::ui {

namespace {

const QList<Field> kSprayerFields{Field::Agency, Field::Sprayer, Field::ReleaseHeight,
                                  Field::SwathWidth};
const QList<Field> kSamplerFields{Field::OpeningArea, Field::Position1, Field::Separation};
const QList<Field> kMetFields{Field::MetHeight, Field::AirTemperature, Field::WindSpeed,
                              Field::WindDirection, Field::Humidity};
const QList<Field> kProductFields{Field::ProductName, Field::ProductRate};

std::size_t slot(Field field)
{
    return static_cast<std::size_t>(field);
}

// The unit beside a field.
QString unitText(Quantity quantity, const Units& units)
{
    switch (quantity) {
    case Quantity::Area:
        return units.lengthLabel + u' ' + QChar(0x00B2);
    case Quantity::Temperature:
        return units.temperatureLabel;
    default:
        return units.symbol(quantity);
    }
}

// What a number field takes, said when a key or a paste does not fit it.
QString keyHint(Field field)
{
    QString name = fieldInfo(field).caption.toString();
    name.chop(1); // its colon
    return name + (field == Field::Position1
                       ? QStringLiteral(": digits and one decimal point; \"-\" changes the sign")
                       : QStringLiteral(": digits and one decimal point"));
}

NumberRule ruleOf(Field field)
{
    return {0, true, field == Field::Position1};
}

// Why the field's text cannot be committed, empty when it can. While typing (`complete` false)
// only the characters are judged.
QString fieldRefusal(const DataSet& dataSet, Field field, const QString& text, bool complete)
{
    if (fieldInfo(field).entry == Entry::Name) {
        return {};
    }
    QString name = fieldInfo(field).caption.toString();
    name.chop(1); // its colon
    if (!ruleOf(field).follows(text)) {
        return keyHint(field);
    }
    if (!complete) {
        return {};
    }
    switch (checkField(dataSet, field, text)) {
    case FieldVerdict::Accepted:
        return {};
    case FieldVerdict::Missing:
        return name + QStringLiteral(": a value is needed");
    case FieldVerdict::NotANumber:
        return keyHint(field);
    case FieldVerdict::NotAboveZero:
        return name + QStringLiteral(": a number above 0");
    case FieldVerdict::OutOfRange:
        return name + QStringLiteral(": out of range");
    }
    return {};
}

// The "-" key in the position of pan 1 toggles the sign and keeps the caret with its digits.
struct SignToggle {
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
};

SignToggle toggleSign(const QString& text, int selectionStart, int selectionLength)
{
    const auto minus = static_cast<int>(text.indexOf(u'-'));
    if (minus < 0) {
        return {u'-' + text, selectionStart + 1, selectionLength};
    }
    if (minus >= selectionStart && minus < selectionStart + selectionLength) {
        QString result = text;
        result.replace(selectionStart, selectionLength, QStringLiteral("-"));
        return {result, selectionStart + 1, 0};
    }
    // The sign goes, not whatever a pasted text holds before it; the caret keeps its digits.
    QString result = text;
    result.remove(minus, 1);
    return {result, minus < selectionStart ? selectionStart - 1 : selectionStart, selectionLength};
}

} // namespace

ParameterPages::ParameterPages(Editor& editor, QWidget* parent)
    : QWidget(parent)
    , editor_(editor)
    , dataSet_(editor.dataSet())
{
    tabs_ = new QTabBar(this);
    for (const char* name : {"Sprayer", "Sampler", "Meteorology", "Product", "Units"}) {
        tabs_->addTab(QString::fromLatin1(name));
    }
    tabs_->setExpanding(false);
    // A click on a tab keeps the focus there, not in a field of the page, whose text the next
    // keys would replace; the arrows then move between tabs and Tab enters the page.
    tabs_->setFocusPolicy(Qt::StrongFocus);
    tabs_->installEventFilter(this);

    samplerType_ = new QComboBox;
    samplerType_->addItems(openingTypeNames());
    samplerType_->installEventFilter(this);
    connect(samplerType_, &QComboBox::activated, this,
            [this](int index) { editor_.setOpeningType(index); });

    pages_ = new QStackedWidget;
    pages_->addWidget(buildPage(kSprayerFields));
    pages_->addWidget(buildPage(kSamplerFields, samplerType_, 0));
    pages_->addWidget(buildPage(kMetFields));
    pages_->addWidget(buildPage(kProductFields));
    pages_->addWidget(buildUnitsPage());
    connect(tabs_, &QTabBar::currentChanged, pages_, &QStackedWidget::setCurrentIndex);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    auto* frame = new QWidget;
    frame->setObjectName(QStringLiteral("parameterFrame"));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(8, 6, 8, 6);
    frameLayout->addWidget(pages_);
    frame->setAutoFillBackground(true);
    layout->addWidget(frame);

    connect(&dataSet_, &DataSet::fieldTextChanged, this, [this](Field field) {
        QLineEdit* edit = edits_[slot(field)];
        if (edit->text() != dataSet_.fieldText(field)) {
            edit->setText(dataSet_.fieldText(field));
        }
    });
    connect(&dataSet_, &DataSet::stateRestored, this, &ParameterPages::refresh);
    connect(&dataSet_, &DataSet::unitsApplied, this, &ParameterPages::refreshCaptions);
    refresh();
}

QWidget* ParameterPages::buildPage(const QList<Field>& fields, QWidget* extra, int extraRow)
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(4);
    int row = 0;
    for (Field field : fields) {
        if (row == extraRow) {
            grid->addWidget(new QLabel(kOpeningTypeCaption), row, 0);
            grid->addWidget(extra, row, 1);
            ++row;
        }
        auto* caption = new QLabel(fieldInfo(field).caption.toString());
        auto* edit = new QLineEdit;
        auto* unit = new QLabel;
        caption->setBuddy(edit);
        edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(field)));
        edit->installEventFilter(this);
        // A file dropped anywhere on the window opens it; here it would become text.
        edit->setAcceptDrops(false);
        // Any change the operator makes, typed or pasted, has to be committed; a text that
        // breaks the field's rule is kept as typed and shown refused.
        connect(edit, &QLineEdit::textEdited, this, [this, edit, field](const QString& text) {
            const bool wasRefused = edit->property("refused").toBool();
            markEdited(field);
            const QString refusal = fieldRefusal(dataSet_, field, text, false);
            if (!refusal.isEmpty() || wasRefused) {
                markRefusal(edit, refusal);
            }
            if (wasRefused && refusal.isEmpty()) {
                clearHint();
            }
        });
        edits_[slot(field)] = edit;
        units_[slot(field)] = unit;
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(unit, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 40);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* ParameterPages::buildUnitsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    usOption_ = new QRadioButton(QStringLiteral("U.S."));
    metricOption_ = new QRadioButton(QStringLiteral("Metric"));
    layout->addWidget(usOption_);
    layout->addWidget(metricOption_);
    layout->addStretch();
    for (QRadioButton* option : {usOption_, metricOption_}) {
        option->installEventFilter(this);
        connect(option, &QRadioButton::clicked, this, [this, option] {
            if (editor_.switchUnits(option == metricOption_)) {
                emit unitsSwitched();
            }
        });
    }
    return page;
}

void ParameterPages::selectPage(Page page)
{
    tabs_->setCurrentIndex(page);
}

void ParameterPages::refresh()
{
    for (int i = 0; i < kFieldCount; ++i) {
        edits_[static_cast<std::size_t>(i)]->setText(dataSet_.fieldText(static_cast<Field>(i)));
        markRefusal(edits_[static_cast<std::size_t>(i)], {});
    }
    samplerType_->setCurrentIndex(dataSet_.parameters().openingType);
    (dataSet_.metric() ? metricOption_ : usOption_)->setChecked(true);
    parameterEdited_ = false;
    refreshCaptions();
}

void ParameterPages::refreshCaptions()
{
    for (int i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        units_[slot(field)]->setText(unitText(fieldInfo(field).quantity, dataSet_.units()));
    }
    (dataSet_.metric() ? metricOption_ : usOption_)->setChecked(true);
}

void ParameterPages::setSwathLocked(bool locked)
{
    samplerType_->setEnabled(!locked);
    for (Field field : kSamplerFields) {
        edits_[slot(field)]->setEnabled(!locked);
    }
    edits_[slot(Field::SwathWidth)]->setEnabled(!locked);
    usOption_->setEnabled(!locked);
    metricOption_->setEnabled(!locked);
}

Field ParameterPages::fieldOf(const QObject* edit) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (edits_[static_cast<std::size_t>(i)] == edit) {
            return static_cast<Field>(i);
        }
    }
    return Field::Agency;
}

bool ParameterPages::commitEdit()
{
    return commit(editedField_);
}

bool ParameterPages::commit(Field field)
{
    if (!parameterEdited_ || field != editedField_) {
        return true;
    }
    QLineEdit* edit = edits_[slot(field)];
    // Refused, the field keeps every key typed until it is corrected or Escape drops it.
    const QString refusal = fieldRefusal(dataSet_, field, edit->text(), true);
    if (!refusal.isEmpty()) {
        markRefusal(edit, refusal);
        return false;
    }
    parameterEdited_ = false;
    markRefusal(edit, {});
    editor_.commitField(field, edit->text());
    edit->setText(dataSet_.fieldText(field));
    return true;
}

void ParameterPages::cancelEdit(Field field)
{
    parameterEdited_ = false;
    QLineEdit* edit = edits_[slot(field)];
    edit->setText(dataSet_.fieldText(field));
    edit->selectAll();
    markRefusal(edit, {});
    clearHint();
}

void ParameterPages::takeFocusBack(Field field)
{
    for (int page = 0; page < pages_->count(); ++page) {
        if (pages_->widget(page)->isAncestorOf(edits_[slot(field)])) {
            selectPage(static_cast<Page>(page));
        }
    }
    edits_[slot(field)]->setFocus(Qt::OtherFocusReason);
}

void ParameterPages::moveAfter(Field field)
{
    auto focus = [this](Page page, QWidget* widget) {
        selectPage(page);
        widget->setFocus(Qt::TabFocusReason);
    };
    switch (field) {
    case Field::Agency:
    case Field::Sprayer:
    case Field::ReleaseHeight:
        edits_[slot(field) + 1]->setFocus(Qt::TabFocusReason);
        break;
    case Field::SwathWidth:
        focus(SamplerPage, samplerType_);
        break;
    case Field::OpeningArea:
    case Field::Position1:
        edits_[slot(field) + 1]->setFocus(Qt::TabFocusReason);
        break;
    case Field::Separation:
        focus(MeteorologyPage, edits_[slot(Field::MetHeight)]);
        break;
    case Field::MetHeight:
    case Field::AirTemperature:
    case Field::WindSpeed:
    case Field::WindDirection:
        edits_[slot(field) + 1]->setFocus(Qt::TabFocusReason);
        break;
    case Field::Humidity:
        focus(ProductPage, edits_[slot(Field::ProductName)]);
        break;
    case Field::ProductName:
        edits_[slot(Field::ProductRate)]->setFocus(Qt::TabFocusReason);
        break;
    case Field::ProductRate:
        focus(UnitsPage, dataSet_.metric() ? metricOption_ : usOption_);
        break;
    }
}

void ParameterPages::markEdited(Field field)
{
    parameterEdited_ = true;
    editedField_ = field;
}

bool ParameterPages::handleFieldKey(QLineEdit* edit, Field field, QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (commit(field)) {
            moveAfter(field);
        }
        return true;
    }
    if (key == Qt::Key_Escape && parameterEdited_ && editedField_ == field) {
        cancelEdit(field);
        return true;
    }
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        markEdited(field);
        return false;
    }
    // Navigation and the editing shortcuts work as usual; what they bring in (a paste) meets
    // the field's validator, as every typed character does after this.
    if (fieldInfo(field).entry == Entry::Name || event->text().isEmpty() ||
        !event->text().front().isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return false;
    }
    const QChar typed = event->text().front();
    if (field == Field::Position1 && typed == u'-') {
        const int start =
            edit->selectionStart() >= 0 ? edit->selectionStart() : edit->cursorPosition();
        const int length = static_cast<int>(edit->selectedText().size());
        const SignToggle toggled = toggleSign(edit->text(), start, length);
        edit->setText(toggled.text);
        edit->setSelection(toggled.selectionStart, toggled.selectionLength);
        if (toggled.selectionLength == 0) {
            edit->setCursorPosition(toggled.selectionStart);
        }
        markEdited(field);
        return true;
    }
    return false;
}

bool ParameterPages::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabs_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Right && tabs_->currentIndex() == tabs_->count() - 1) {
            tabs_->setCurrentIndex(0);
            return true;
        }
        if (key == Qt::Key_Left && tabs_->currentIndex() == 0) {
            tabs_->setCurrentIndex(tabs_->count() - 1);
            return true;
        }
        return false;
    }
    if (watched == samplerType_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            edits_[slot(Field::OpeningArea)]->setFocus(Qt::TabFocusReason);
            return true;
        }
        return false;
    }
    if ((watched == usOption_ || watched == metricOption_) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            selectPage(SprayerPage);
            edits_[slot(Field::Agency)]->setFocus(Qt::TabFocusReason);
            return true;
        }
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) {
        return QWidget::eventFilter(watched, event);
    }
    const Field field = fieldOf(edit);
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleFieldKey(edit, field, static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride: {
        // Undo and redo belong to the field only while it holds typing of its own.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool history = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                             (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier);
        const bool typing = parameterEdited_ && editedField_ == field;
        if (key->key() == Qt::Key_Escape && typing) {
            event->accept(); // the field's, not a dialog's
            return true;
        }
        // Ctrl+Delete deletes all data, as everywhere in the window, not the next word.
        const bool deleteAll =
            key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier;
        return (history && !typing) || deleteAll;
    }
    case QEvent::FocusIn: {
        // Reached on purpose: its whole text is selected, to be typed over. Coming back from
        // another window or a popup leaves the caret where it was.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason) {
            // After the click that gave the focus has placed the caret.
            QTimer::singleShot(0, edit, [edit] {
                if (edit->hasFocus()) {
                    edit->selectAll();
                }
            });
        }
        return false;
    }
    case QEvent::FocusOut:
        if (leftForAnotherControl(static_cast<QFocusEvent*>(event)) && !commit(field)) {
            // After the focus has settled where the operator sent it.
            QTimer::singleShot(0, this, [this, field] { takeFocusBack(field); });
        }
        return false;
    default:
        return false;
    }
}

} // namespace pellamar::ui
