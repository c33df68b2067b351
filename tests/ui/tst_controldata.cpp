#include "ui/controldatadialog.h"
#include "ui/feedback.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace pellamar;
using pellamar::ui::ControlDataDialog;

class TestControlData : public QObject {
    Q_OBJECT

    std::unique_ptr<ControlDataDialog> dialog_;

    bool open(const ControlData& data)
    {
        dialog_ = std::make_unique<ControlDataDialog>(data);
        dialog_->show();
        dialog_->activateWindow();
        return QTest::qWaitForWindowActive(dialog_.get());
    }
    QLineEdit* box(int i) const { return dialog_->box(i); }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(Qt::Key k) { QTest::keyClick(focus(), k); }
    // Replaces a box's text as the operator would: focus, select, type.
    void enter(int i, const QString& keys)
    {
        box(i)->setFocus();
        box(i)->selectAll();
        QTest::keyClicks(box(i), keys.isEmpty() ? QStringLiteral("\b") : keys);
    }

private slots:
    // Opening (hours > 0: with 20 larvae and 2 dead, else without control data), entering the
    // keys box by box (a null entry leaves the box alone), then "Accept" clicked straight away
    // (stored {-1}: it refuses, the dialog stays open with the hint, nothing lowered).
    void scenario_data()
    {
        QTest::addColumn<float>("hours");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("boxes");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QList<float>>("stored"); // larvae, hours, dead
        const auto row = [](const char* name, float hours, const QStringList& keys, const QStringList& shown,
                            bool boxes, bool accept, const QList<float>& stored) {
            QTest::newRow(name) << hours << keys << shown << boxes << accept << stored;
        };
        const QString k; // keep
        row("no control data", 0, {k, k, k}, {"", "", ""}, false, false, {});
        row("reopened", 24, {k, k, k}, {"20", "24", "2"}, true, true, {20, 24, 2});
        row("larvae only", 0, {"5", k, k}, {"5", "", ""}, true, true, {5, 0, 0});
        row("zero removes", 24, {"0", k, k}, {"0", "", ""}, false, true, {0, 0, 0});
        row("dead above larvae refused", 0, {"20", "", "25"}, {"20", "0", "25"}, true, true, {-1});
        row("dead of 20 taken", 0, {"20", "", "20"}, {"20", "0", "20"}, true, true, {20, 0, 20});
        row("lone point refused", 1.5f, {k, ".", k}, {"20", ".", "2"}, true, true, {-1});
        row("20.5 larvae kept, refused", 24, {"20.5", k, k}, {"20.5", "24", "2"}, true, true, {-1});
    }
    void scenario()
    {
        QFETCH(float, hours);
        QFETCH(QStringList, keys);
        QFETCH(bool, boxes);
        QFETCH(QList<float>, stored);
        QVERIFY(open(hours > 0 ? ControlData{20, 2, hours} : ControlData{0, 3, 12.0f}));
        for (int i = 0; i < 3; ++i)
            if (!keys.at(i).isNull()) enter(i + 1, keys.at(i));
        QTEST((QStringList{box(1)->text(), box(2)->text(), box(3)->text()}), "shown");
        for (QLabel* caption : dialog_->findChildren<QLabel*>())
            QCOMPARE(caption->isEnabled(), caption->buddy() == box(1) || boxes);
        for (int i : {2, 3}) QCOMPARE(box(i)->isEnabled(), boxes);
        QTEST(dialog_->acceptButton()->isEnabled(), "accept");
        if (stored == QList<float>{-1}) {
            dialog_->acceptButton()->click();
            QVERIFY(dialog_->isVisible());
            QVERIFY(!ui::shownHint().isEmpty() && ui::shownHint().front().isUpper());
            QVERIFY(QApplication::focusWidget()->property("refused").toBool());
        } else if (!stored.isEmpty()) {
            dialog_->acceptButton()->click();
            QCOMPARE(dialog_->QDialog::result(), int(QDialog::Accepted));
            const ControlData data = dialog_->result();
            QCOMPARE((QList<float>{float(data.larvae), data.hours, float(data.dead)}), stored);
        }
    }

    void enterChainAndSelection()
    {
        QVERIFY(open({20, 2, 24.0f}));
        QTest::mouseClick(box(3), Qt::LeftButton);
        QTRY_COMPARE(box(3)->selectedText(), "2");
        box(1)->setFocus();
        key(Qt::Key_Return);
        QTRY_COMPARE(box(2)->selectedText(), "24");
        key(Qt::Key_Backspace);
        key(Qt::Key_Enter); // an empty box keeps the focus
        QCOMPARE(focus(), box(2));
        QTest::keyClicks(box(2), "48");
        key(Qt::Key_Return);
        QTRY_COMPARE(box(3)->selectedText(), "2");
        QTest::keyClicks(box(3), "25");
        key(Qt::Key_Return); // refused, never lowered: the box keeps it and the focus
        QCOMPARE(box(3)->text(), "25");
        QCOMPARE(focus(), box(3));
        QCOMPARE(ui::shownHint(), "Mortality: at most 20, the larvae in pan");
        key(Qt::Key_Backspace);
        key(Qt::Key_Return);
        QCOMPARE(focus(), dialog_->acceptButton());
        QCOMPARE(ui::shownHint(), "");
        key(Qt::Key_Return);
        QCOMPARE(dialog_->QDialog::result(), int(QDialog::Accepted));
        QCOMPARE(dialog_->result().hours, 48.0f);
        QVERIFY(open({20, 2, 24.0f}));
        enter(1, "0");
        key(Qt::Key_Return); // no enabled box left
        QCOMPARE(focus(), dialog_->acceptButton());
        key(Qt::Key_Escape); // cancels what was typed
        QVERIFY(!dialog_->isVisible() && dialog_->QDialog::result() == QDialog::Rejected);
    }
};

QTEST_MAIN(TestControlData)
#include "tst_controldata.moc"
