#include "core/settings.h"
#include "ui/mainwindow.h"
#include "ui/parameterpages.h"
#include "ui/resultpanel.h"
#include "ui/samplegrid.h"
#include "ui/swathmode.h"
#include "ui/widthoptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace pellamar;
using namespace pellamar::ui;

class TestSwathMode : public QObject {
    Q_OBJECT
private slots:
    void widthsSourcesAndPattern();
    void proposalPerSource();
};

void TestSwathMode::widthsSourcesAndPattern()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    MainWindow window(store, true, 1080);
    window.show();
    window.loadFile(QStringLiteral(PELLAMAR_TEST_DATA "/writer_metric.csv"));
    ResultPanel* results = window.resultPanel();
    SwathMode* swath = window.swathMode();
    QVERIFY(results->swathCheck()->isVisible());
    auto stats = [&] {
        return QStringList{results->statisticText(0), results->statisticText(2),
                           results->statisticText(1)};
    };

    QVERIFY(!window.printButton()->isVisible());
    results->swathCheck()->click();
    QVERIFY(window.printButton()->isVisible());
    // Ctrl+P opens the print preview while the analysis is on.
    bool previewShown = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            previewShown = modal->windowTitle() == QStringLiteral("Pellamar - Print");
            modal->close();
        }
    });
    QTest::keyClick(window.grid(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(previewShown);
    QVERIFY(!window.grid()->isVisible());
    QVERIFY(swath->panel()->isVisible());
    QVERIFY(swath->sourceFrame()->isVisible());
    QVERIFY(!window.parameterPages()->field(Field::Separation)->isEnabled());
    QVERIFY(!window.parameterPages()->unitOption(true)->isEnabled());
    QCOMPARE(swath->widthOptions()->count(), 3);
    // No width has its COV at most 30 % below a wider one above it: the rule proposes 1.
    QCOMPARE(swath->selectedWidth(), (std::array<int, 2>{1, 1}));
    QCOMPARE(swath->widthOptions()->selected(), 1);
    QCOMPARE(stats(), (QStringList{"0.57", "166.7 kg/ha", "233.3 / 100.0"}));

    // Clicked on the screen, where the COV graph put it.
    QWidget* options = swath->widthOptions();
    QTest::mouseClick(options, Qt::LeftButton, {}, swath->widthOptions()->centre(2));
    QCOMPARE(stats(), (QStringList{"0.92", "166.7 kg/ha", "300.0 / 33.3"}));
    // Arrow keys step through the widths and stop at the ends.
    for (auto [key, width] : {std::pair{Qt::Key_Left, 1},
                              {Qt::Key_Left, 1},
                              {Qt::Key_End, 3},
                              {Qt::Key_Right, 3},
                              {Qt::Key_Up, 2}}) {
        QTest::keyClick(options, key);
        QCOMPARE(swath->record().widthIndex, width);
    }
    QCOMPARE(stats(), (QStringList{"0.92", "166.7 kg/ha", "300.0 / 33.3"}));

    swath->sourceOption(swath::Source::Density)->click();
    QCOMPARE(swath->record().widthIndex, 1);
    QCOMPARE(stats(),
             (QStringList{"0.58", QString::fromUtf8("340.0 #/m \u00b2"), "480.0 / 200.0"}));

    swath->sourceOption(swath::Source::Deposit)->click();
    QCOMPARE(swath->record().widthIndex, 2);
    QCOMPARE(swath->selectedWidth(), (std::array<int, 2>{2, 1}));

    // Racetrack recomputes the statistics at the width shown.
    swath->racetrack()->click();
    QCOMPARE(swath->record().widthIndex, 2);
    QCOMPARE(stats(), (QStringList{"0.57", "166.7 kg/ha", "233.3 / 100.0"}));
    QCOMPARE(window.saveButton()->isEnabled(), true);

    results->swathCheck()->click();
    QVERIFY(window.grid()->isVisible());
    QVERIFY(!window.printButton()->isVisible());
    QVERIFY(!swath->panel()->isVisible());
    QCOMPARE(swath->widthOptions()->count(), 0);
    QVERIFY(window.parameterPages()->field(Field::Separation)->isEnabled());
    QVERIFY(window.parameterPages()->unitOption(true)->isEnabled());

    // A reset always leaves the analysis.
    results->swathCheck()->click();
    window.dataSet().clearDataSet({});
    QVERIFY(!results->swathCheck()->isChecked());
    QVERIFY(window.grid()->isVisible());
    QCOMPARE(swath->widthOptions()->count(), 0);
}

void TestSwathMode::proposalPerSource()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    MainWindow window(store, true, 1080);
    DataSet& ds = window.dataSet();
    // A bell-shaped pass whose COV crosses 30 % at different widths for the two sources.
    for (int row = 1; row <= 25; ++row) {
        const double x = -60 + 5 * (row - 1);
        const double weight = 0.1 + 3 * std::exp(-((x - 8) / 25) * ((x - 8) / 25));
        ds.setCell(row, ColWeight, QString::number(weight, 'f', 2));
        const double granules = 2 + 60 * std::exp(-((x + 10) / 12) * ((x + 10) / 12));
        ds.setCell(row, ColGranules, QString::number(std::round(granules)));
    }
    ds.calculateResults(0);
    window.show();

    std::array<int, 2> expected{};
    for (auto [source, slot] :
         {std::pair{swath::Source::Deposit, 0}, {swath::Source::Density, 1}}) {
        swath::SwathRecord record;
        swath::calculateSwathStats(record, ds, source, swath::FlightPattern::BackAndForth);
        const swath::WidthChoice proposal = swath::selectSwathWidth(record.cov);
        QVERIFY(proposal.found);
        expected[static_cast<std::size_t>(slot)] = proposal.width;
    }
    QVERIFY2(expected[0] != expected[1], qPrintable(QString::number(expected[0])));

    window.resultPanel()->swathCheck()->click();
    SwathMode* swath = window.swathMode();
    QCOMPARE(swath->selectedWidth(), expected);
    QCOMPARE(swath->widthOptions()->selected(), expected[0]);
    QCOMPARE(swath->record().widthIndex, expected[0]);
    swath->sourceOption(swath::Source::Density)->click();
    QCOMPARE(swath->widthOptions()->selected(), expected[1]);
    QCOMPARE(window.resultPanel()->statisticText(2).right(5), QString::fromUtf8("#/m \u00b2"));
}

QTEST_MAIN(TestSwathMode)
#include "tst_swathmode.moc"
