#include "core/settings.h"
#include "datafile/reader.h"
#include "ui/mainwindow.h"
#include "ui/samplegrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace pellamar;
using namespace pellamar::ui;

namespace {

constexpr int kPans = 100000;

// The metric sample file's parameters and headings, then a line of pans 10 m apart.
QByteArray largeFile()
{
    QFile sample(QStringLiteral(PELLAMAR_TEST_DATA "/writer_metric.csv"));
    if (!sample.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = sample.readAll();
    const QByteArray units = "(m),(g),,,,(kg/ha),,,Mort. (%)\r\n";
    QByteArray bytes = text.left(text.indexOf(units) + units.size());
    for (int i = 0; i < kPans; ++i) {
        bytes += QByteArray::number(-10 + 10 * i) + ',' + QByteArray::number(1 + (i % 7) * 0.25) +
                 ',' + QByteArray::number(20 + i % 13) + ",20," + QByteArray::number(i % 5) +
                 "\r\n";
    }
    return bytes + "\r\n";
}

} // namespace

class TestLargeDataSet : public QObject {
    Q_OBJECT
private slots:
    void hundredThousandPans();
};

// Loads, takes an edit, and saves a line of 100,000 pans. The swath statistics of the save grow
// with the square of the pans (seconds here), so they must run while the window keeps answering,
// and stopping them must leave no file behind.
void TestLargeDataSet::hundredThousandPans()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("large.csv"));
    const QString out = dir.filePath(QStringLiteral("saved.csv"));
    {
        QFile file(in);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(largeFile());
    }
    IniSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    MainWindow window(store, true, 1080);
    window.setFileChooser([&](const MainWindow::FileRequest&) { return out; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QElapsedTimer clock;
    clock.start();
    window.loadFile(in);
    qInfo("load of %d pans: %lld ms", kPans, clock.elapsed());
    DataSet& ds = window.dataSet();
    QCOMPARE(ds.firstDataRow(), 1);
    QCOMPARE(ds.lastDataRow(), kPans);

    // An edit at the far end recalculates through the grid as the operator's would.
    SampleGrid* grid = window.grid();
    grid->setFocus();
    grid->setCurrentCell(kPans, ColWeight);
    clock.restart();
    QTest::keyClicks(grid, "4");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    qInfo("commit of one cell: %lld ms", clock.elapsed());
    QCOMPARE(ds.cell(kPans, ColWeight), QStringLiteral("4"));
    QCOMPARE(ds.result(kPans).value(1), 400.0f); // 4 g on 0.1 m²

    // The event loop keeps turning while the statistics run: a timer measures its longest pause.
    qint64 longestPause = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout,
            [&] { longestPause = std::max(longestPause, sinceTick.restart()); });
    int dialogsSeen = 0;
    bool cancelFirst = true;
    QTimer watcher;
    watcher.setInterval(50);
    connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("seen").toBool()) {
            return;
        }
        dialog->setProperty("seen", true);
        ++dialogsSeen;
        if (cancelFirst) {
            cancelFirst = false;
            dialog->cancel();
        }
    });
    ticker.start();
    watcher.start();

    window.saveDataSet();
    QCOMPARE(dialogsSeen, 1);
    QVERIFY2(!QFile::exists(out), "a stopped save wrote a file");

    clock.restart();
    sinceTick.restart();
    longestPause = 0;
    window.saveDataSet();
    qInfo("save of %d pans: %lld ms, longest pause of the window %lld ms", kPans, clock.elapsed(),
          longestPause);
    ticker.stop();
    watcher.stop();
    QCOMPARE(dialogsSeen, 2);
    QVERIFY2(longestPause < 1000, qPrintable(QString::number(longestPause)));

    QFile saved(out);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    DataSet reloaded;
    const datafile::LoadOutcome outcome =
        datafile::loadDataSet(reloaded, saved.readAll(), QStringLiteral("saved.csv"), {});
    QVERIFY2(outcome.loaded, qPrintable(outcome.message));
    QCOMPARE(reloaded.lastDataRow(), kPans);
    QCOMPARE(reloaded.cell(kPans, ColWeight), QStringLiteral("4"));
}

QTEST_MAIN(TestLargeDataSet)
#include "tst_largedataset.moc"
