#pragma once

#include "core/dataset.h"

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QTabBar;

namespace pellamar::document {
class Editor;
}

namespace pellamar::ui {

using document::Editor;

// The tabbed parameter pages: "Sprayer", "Sampler", "Meteorology", "Product", "Units". Every
// field routes its keys and its focus loss to the field rules; the data set holds the values
// and the texts the fields show, and every commit is a step of the editor's history.
class ParameterPages : public QWidget {
    Q_OBJECT
public:
    explicit ParameterPages(Editor& editor, QWidget* parent = nullptr);

    enum Page { SprayerPage, SamplerPage, MeteorologyPage, ProductPage, UnitsPage };

    QLineEdit* field(Field field) const { return edits_[static_cast<std::size_t>(field)]; }
    QComboBox* samplerType() const { return samplerType_; }
    QRadioButton* unitOption(bool metric) const { return metric ? metricOption_ : usOption_; }
    QTabBar* tabBar() const { return tabs_; }
    QLabel* unitCaption(Field field) const { return units_[static_cast<std::size_t>(field)]; }
    void selectPage(Page page);

    // Shows what the data set holds after a reset or a load.
    void refresh();
    // Commits the field being typed into, if any, as leaving it would; false when its text is
    // refused (the field then keeps it, with the hint).
    bool commitEdit();
    // Locks the sampler line, the swath width and the units while swath analysis is on.
    void setSwathLocked(bool locked);

signals:
    // The unit system changed through the "Units" page (the data set is already recalculated).
    void unitsSwitched();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildPage(const QList<Field>& fields, QWidget* extra = nullptr, int extraRow = -1);
    QWidget* buildUnitsPage();
    bool handleFieldKey(QLineEdit* edit, Field field, QKeyEvent* event);
    void moveAfter(Field field);
    bool commit(Field field);
    // Escape: the field shows its stored value again.
    void cancelEdit(Field field);
    // A refused field is not left until it is corrected or dropped.
    void takeFocusBack(Field field);
    void markEdited(Field field);
    void refreshCaptions();
    Field fieldOf(const QObject* edit) const;

    Editor& editor_;
    DataSet& dataSet_;
    QTabBar* tabs_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    std::array<QLineEdit*, kFieldCount> edits_{};
    std::array<QLabel*, kFieldCount> units_{};
    QComboBox* samplerType_ = nullptr;
    QRadioButton* usOption_ = nullptr;
    QRadioButton* metricOption_ = nullptr;
    bool parameterEdited_ = false;
    Field editedField_ = Field::Agency;
};

} // namespace pellamar::ui
