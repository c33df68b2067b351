#include "ui/controldatadialog.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace pellamar;
using pellamar::ui::ControlDataDialog;

class TestControlData : public QObject {
    Q_OBJECT

    std::unique_ptr<ControlDataDialog> dialog_;

    bool open(int larvae = 0, float hours = 0.0f, int dead = 0)
    {
        dialog_ = std::make_unique<ControlDataDialog>(
            ControlData{static_cast<std::int16_t>(larvae), static_cast<std::int16_t>(dead), hours});
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
    // keys box by box (a null entry leaves the box alone), then "Accept" clicked straight away.
    void scenario_data()
    {
        QTest::addColumn<float>("hours");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("boxes");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QList<float>>("stored"); // larvae, hours, dead
        const auto row = [](const char* name, float hours, const QStringList& keys,
                            const QStringList& shown, bool boxes, bool accept,
                            const QList<float>& stored) {
            QTest::newRow(name) << hours << keys << shown << boxes << accept << stored;
        };
        const QString k; // keep
        row("no control data", 0, {k, k, k}, {"", "", ""}, false, false, {});
        row("reopened", 24, {k, k, k}, {"20", "24", "2"}, true, true, {20, 24, 2});
        row("larvae only", 0, {"5", k, k}, {"5", "", ""}, true, true, {5, 0, 0});
        row("larvae emptied", 24, {"", k, k}, {"", "", ""}, false, false, {});
        row("zero removes", 24, {"0", k, k}, {"0", "", ""}, false, true, {0, 0, 0});
        row("larvae lowered", 24, {"1", k, k}, {"1", "24", "2"}, true, true, {1, 24, 1});
        row("typed", 0, {"20", "24", "2"}, {"20", "24", "2"}, true, true, {20, 24, 2});
        row("dead clamped", 0, {"20", "", "25"}, {"20", "0", "25"}, true, true, {20, 0, 20});
        row("lone point", 1.5f, {k, ".", k}, {"20", ".", "2"}, true, true, {20, 1.5f, 2});
        row("all dead", 24, {k, k, "20"}, {"20", "24", "20"}, true, true, {20, 24, 20});
        row("huge hours", 1.5e7f, {k, k, k}, {"20", "1.5E+07", "2"}, true, true, {20, 1.5e7f, 2});
    }
    void scenario()
    {
        QFETCH(float, hours);
        QFETCH(QStringList, keys);
        QFETCH(bool, boxes);
        QFETCH(QList<float>, stored);
        QVERIFY(hours > 0 ? open(20, hours, 2) : open(0, 12.0f, 3));
        for (int i = 0; i < 3; ++i) {
            if (!keys.at(i).isNull()) {
                enter(i + 1, keys.at(i));
            }
        }
        QTEST((QStringList{box(1)->text(), box(2)->text(), box(3)->text()}), "shown");
        for (QLabel* caption : dialog_->findChildren<QLabel*>()) {
            QCOMPARE(caption->isEnabled(), caption->buddy() == box(1) || boxes);
        }
        QCOMPARE(box(2)->isEnabled(), boxes);
        QCOMPARE(box(3)->isEnabled(), boxes);
        QTEST(dialog_->acceptButton()->isEnabled(), "accept");
        if (!stored.isEmpty()) {
            dialog_->acceptButton()->click();
            QCOMPARE(dialog_->QDialog::result(), int(QDialog::Accepted));
            const ControlData data = dialog_->result();
            QCOMPARE((QList<float>{float(data.larvae), data.hours, float(data.dead)}), stored);
        }
    }

    // Typed keys (over the whole text), an optional paste, then leaving the box with Tab.
    void entry_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("left");
        QTest::addColumn<float>("hours");
        const auto row = [](const char* name, int index, const char* typed, const char* pasted,
                            const char* shown, const char* left, float hours = 24.f) {
            QTest::newRow(name) << index << QString(typed) << QString(pasted) << QString(shown)
                                << QString(left) << hours;
        };
        row("larvae digits only", 1, "1a-2 .3", "", "123", "123");
        row("dead capped, clamped", 3, "99999", "", "9999", "20");
        row("one point", 2, "1.5.2x", "", "1.52", "1.52");
        row("hours 9 chars", 2, "12345678901", "", "123456789", "123456789");
        row("lone point", 2, ".", "", ".", "24");
        row("paste digits", 1, "12", "34", "1234", "1234");
        row("paste over cap", 1, "12", "345", "12", "12");
        row("paste fraction", 3, "", "1.5", "", "0");
        row("paste hours", 2, "", "12.5", "12.5", "12.5");
        row("paste 2nd point", 2, "1.5", ".2", "1.5", "1.5");
        row("paste negative", 2, "", "-4", "", "0");
        // Stored hours in exponent form: shown as they are, but replaced only by valid text.
        row("kept text", 2, "x", "ab", "1.5E+07", "1.5E+07", 1.5e7f);
    }
    void entry()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(float, hours);
        QVERIFY(open(20, hours, 2));
        enter(index, typed);
        if (!pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(box(index), Qt::Key_V, Qt::ControlModifier);
        }
        QTEST(box(index)->text(), "shown");
        key(Qt::Key_Tab);
        QVERIFY(!box(index)->hasFocus());
        QTEST(box(index)->text(), "left");
    }

    void enterChainAndSelection()
    {
        QVERIFY(open(20, 24.0f, 2));
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
        key(Qt::Key_Return);
        QCOMPARE(box(3)->text(), "20");
        QCOMPARE(focus(), dialog_->acceptButton());
        key(Qt::Key_Return);
        QCOMPARE(dialog_->QDialog::result(), int(QDialog::Accepted));
        QCOMPARE(dialog_->result().hours, 48.0f);
        QVERIFY(open(20, 24.0f, 2));
        enter(1, "0");
        key(Qt::Key_Return); // no enabled box left
        QCOMPARE(focus(), dialog_->acceptButton());
    }

    void cancel()
    {
        for (const bool escape : {false, true}) {
            QVERIFY(open(20, 24.0f, 2));
            enter(1, "5");
            enter(3, "1");
            escape ? key(Qt::Key_Escape) : dialog_->cancelButton()->click();
            QVERIFY(!dialog_->isVisible());
            QCOMPARE(dialog_->QDialog::result(), int(QDialog::Rejected));
        }
    }
};

QTEST_MAIN(TestControlData)
#include "tst_controldata.moc"
