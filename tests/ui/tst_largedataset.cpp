#include "datafile/reader.h"
#include "ui/samplegrid.h"
#include "window.h"

#include <QProgressDialog>

using namespace pellamar;
using namespace pellamar::testing;

namespace {

constexpr int kPans = 100000;

// The metric sample file's parameters and headings, then a line of pans 10 m apart.
QByteArray largeFile()
{
    const QByteArray text = readTestFile("writer_metric.csv");
    const QByteArray units = "(m),(g),,,,(kg/ha),,,Mort. (%)\r\n";
    QByteArray bytes = text.left(text.indexOf(units) + units.size());
    for (int i = 0; i < kPans; ++i) {
        bytes += QByteArray::number(-10 + 10 * i) + ',' + QByteArray::number(1 + (i % 7) * 0.25) + ',' +
                 QByteArray::number(20 + i % 13) + ",20," + QByteArray::number(i % 5) + "\r\n";
    }
    return bytes + "\r\n";
}

} // namespace

class TestLargeDataSet : public QObject {
    Q_OBJECT
private slots:
    // Loads, takes an edit, and saves a line of 100,000 pans. The swath statistics of the save
    // grow with the square of the pans, so they run behind a progress dialog while the window
    // keeps answering, and stopping them leaves no file behind.
    void hundredThousandPans()
    {
        WindowFixture f;
        QVERIFY(writeFile(f.file("large.csv"), largeFile()));
        f.window->loadFile(f.file("large.csv"));
        QCOMPARE((QList<int>{f.ds().firstDataRow(), f.ds().lastDataRow()}), (QList<int>{1, kPans}));

        // An edit at the far end recalculates through the grid as the operator's would.
        ui::SampleGrid* grid = f.window->grid();
        grid->setFocus();
        grid->setCurrentCell(kPans, ColWeight);
        QTest::keyClicks(grid, "4");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(f.ds().result(kPans).value(Result::Deposit), 400.0f); // 4 g on 0.1 m²

        // The progress dialog is seen by a timer: the event loop turns while the statistics run.
        int dialogsSeen = 0;
        QTimer watcher;
        watcher.setInterval(50);
        connect(&watcher, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (dialog && !dialog->property("seen").toBool()) {
                dialog->setProperty("seen", true);
                if (++dialogsSeen == 1) dialog->cancel();
            }
        });
        watcher.start();
        // Saved to the file it came from, without a dialog.
        f.window->saveDataSet();
        QCOMPARE(dialogsSeen, 1);
        QVERIFY2(fileBytes(f.file("large.csv")) == largeFile(), "a stopped save wrote the file");
        f.window->saveDataSet();
        QCOMPARE(dialogsSeen, 2);

        DataSet reloaded;
        QVERIFY(datafile::loadDataSet(reloaded, fileBytes(f.file("large.csv")), "large.csv").loaded);
        QCOMPARE(reloaded.lastDataRow(), kPans);
        QCOMPARE(reloaded.input(kPans, ColWeight), "4");
    }
};

QTEST_MAIN(TestLargeDataSet)
#include "tst_largedataset.moc"
