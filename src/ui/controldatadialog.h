#pragma once

#include "core/dataset.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QLabel;
class QPushButton;

namespace pellamar::ui {

// "Control Data": the untreated control pan's larvae, time after treatment and dead larvae.
class ControlDataDialog : public QDialog {
    Q_OBJECT
public:
    explicit ControlDataDialog(const ControlData& current, QWidget* parent = nullptr);

    // The control data to store after "Accept".
    ControlData result() const { return result_; }

    // For tests and the window's placement.
    QLineEdit* box(int index) const; // 1 larvae, 2 hours, 3 dead
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(int index, QKeyEvent* event);
    void larvaeChanged();
    // Empties become 0; false, with the hint, when the box's text is refused.
    bool commit(int index);
    // Why the box's text cannot be taken, empty when it can (`complete`: as it stands).
    QString refusal(int index, bool complete) const;
    // Marks the box refused or not; true when it is fine.
    bool showRefusal(int index, bool complete);
    void acceptData();
    int indexOf(const QObject* object) const;

    ControlData current_;
    ControlData result_;
    std::array<QLineEdit*, 3> boxes_{};
    std::array<QString, 3> opened_;
    std::array<QLabel*, 3> captions_{};
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace pellamar::ui
