#include "core/numbers.h"
#include "datafile/reader.h"

#include <QRandomGenerator>
#include <QTest>

using namespace pellamar;
using namespace pellamar::datafile;

namespace {

using Edits = QList<QPair<int, QByteArray>>; // 1-based line, new content

// The lines of a valid metric file in the writer's layout: "|" ends a line, "=" and "-" stand for
// the equals and dash lines. Sample rows start at line 43, pans at 0, 2 and 4 m.
const char* const kLayout =
    "=|Tovanel Pellamar|=||-|Analysis Parameters|-||Units:,,Metric|"
    "Agency:,,Acme Vector Control|Sprayer:,,Aircraft 7|Release Height:,,30.0,m|"
    "Swath Width:,,50.0,m||Opening Type:,,Square,1|Opening Area:,,0.25,m\xB2|"
    "Position 1:,,0.0,m|Separation:,,2.0,m||Height:,,2.0,m|Air Temp.:,,25.0,\xB0"
    "C|Wind Speed:,,8.0,km/h|Wind Direction:,,90.0,\xB0|Rel. Humidity:,,65.0,%||"
    "Product:,,Granule X|Spray Rate:,,10.00,kg/ha||-|Mortality Control Data|-||"
    "Number in pan:,,20|Time after treatment:,,24|24 hr mortality:,,2||-|Granular Data|-||"
    "Position,Sample Wt,# of Granules,Larvae,Mortality,Deposit,Gran./m\xB2,Gran./g,Corrected|"
    "(m),(g),,,,(kg/ha),,,Mort. (%)|0,1.5,30,20,10,60.000,120.000,20.00,47.37|"
    "2,3,60,,,120.000,240.000,20.00,|4,0.5,12,20,4,20.000,48.000,24.00,11.11||"
    "-|Swath Analysis|-||Position,Deposit,,,Density";

QByteArrayList validLines()
{
    QByteArrayList lines = QByteArray(kLayout).split('|');
    for (QByteArray& line : lines) {
        if (line == "=" || line == "-") {
            line = QByteArray(line == "=" ? 18 : 45, line[0]);
        }
    }
    return lines;
}

QByteArray fileWith(const Edits& edits, const QByteArray& lineEnd = "\r\n")
{
    QByteArrayList lines = validLines();
    for (const auto& [line, content] : edits) {
        lines[line - 1] = content;
    }
    return lines.join(lineEnd) + lineEnd;
}

const SamplerSettings kSampler{0, 1.0f, 5.0f, 10.0f};

// A data set that differs from every test file, so any stray change shows.
std::unique_ptr<DataSet> occupiedDataSet()
{
    auto ds = std::make_unique<DataSet>(false);
    ds->clearDataSet(kSampler);
    ds->parameters().agency = QStringLiteral("Before");
    ds->setFieldText(Field::Agency, QStringLiteral("Before"));
    ds->setControlData({5, 1, 3.5f});
    ds->setCell(1, ColWeight, QStringLiteral("2"));
    ds->setCell(1, ColLarvae, QStringLiteral("7"));
    ds->setCell(2, ColGranules, QStringLiteral("9"));
    ds->calculateResults(0);
    return ds;
}

QStringList snapshot(const DataSet& ds)
{
    const Parameters& p = ds.parameters();
    const ControlData& c = ds.controlData();
    QStringList s{ds.metric() ? "metric" : "us", p.agency, p.sprayer, p.productName};
    for (float v : {p.releaseHeight, p.swathWidth, float(p.openingType), p.openingArea, p.position1,
                    p.separation, p.met[0], p.met[1], p.met[2], p.met[3], p.met[4], p.productRate,
                    float(c.larvae), float(c.dead), c.hours}) {
        s << numbers::formatRoundTrip(v);
    }
    for (int f = 0; f < kFieldCount; ++f) {
        s << ds.fieldText(static_cast<Field>(f));
    }
    s << QString::number(ds.firstDataRow()) << QString::number(ds.lastDataRow());
    for (int r = 1; r <= ds.dataRowCount(); ++r) {
        for (int col = 0; col < kGridColumns; ++col) {
            s << ds.cell(r, col);
        }
    }
    return s;
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT
private slots:
    void fieldTexts_data();
    void fieldTexts();
    void usFileValuesAreNotConverted();
    void rowPlacement_data();
    void rowPlacement();
    void emptyCellsClearOldCells();
    void rejectedFileLeavesDataSet_data();
    void rejectedFileLeavesDataSet();
    void mutatedFilesNeverMisbehave();
};

void TestReader::fieldTexts_data()
{
    QTest::addColumn<Edits>("edits");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");

    auto row = [](const char* name, Edits e, Field f, const QString& text,
                  const QByteArray& lineEnd = "\r\n") {
        QTest::newRow(name) << e << lineEnd << int(f) << text;
    };
    row("header merely contains the name", {{2, "x Tovanel Pellamar 2"}}, Field::Agency,
        "Acme Vector Control");
    row("LF line ends", {}, Field::Sprayer, "Aircraft 7", "\n");
    row("release height 0", {{12, "Release Height:,,0,m"}}, Field::ReleaseHeight, "");
    row("swath width not given", {{13, "Swath Width:,,\t-------- "}}, Field::SwathWidth, "");
    row("humidity not given", {{24, "Rel. Humidity:,,--------"}}, Field::Humidity, "");
    row("rate 0", {{27, "Spray Rate:,,0,kg/ha"}}, Field::ProductRate, "");
    row("humidity general form", {{24, "Rel. Humidity:,,33.333333333,%"}}, Field::Humidity,
        "33.33333");
    row("U.S. rate", {{9, "Units:,,u.s."}, {27, "Spray Rate:,,8.1,lb/ac"}}, Field::ProductRate,
        "8.1");
    row("quoted name", {{10, "Agency:,,\"Smith, Jones \"\"Air\"\"\""}}, Field::Agency,
        "Smith, Jones \"Air\"");
    row("quote inside a name", {{10, "Agency:,,O\"Neil"}}, Field::Agency, "O\"Neil");
    row("unquoted comma cuts the name", {{10, "Agency:,,Smith, Jones"}}, Field::Agency, "Smith");
    row("area", {{16, "Opening Area:,,0.123456,m\xB2"}}, Field::OpeningArea, "0.1235");
}

void TestReader::fieldTexts()
{
    QFETCH(Edits, edits);
    QFETCH(QByteArray, lineEnd);
    QFETCH(int, field);
    QFETCH(QString, text);
    auto ds = occupiedDataSet();
    const LoadOutcome outcome = loadDataSet(*ds, fileWith(edits, lineEnd), "a.csv", kSampler);
    QVERIFY2(outcome.loaded, qPrintable(outcome.message));
    QCOMPARE(ds->fieldText(static_cast<Field>(field)), text);
}

void TestReader::usFileValuesAreNotConverted()
{
    auto ds = std::make_unique<DataSet>(true);
    ds->clearDataSet(kSampler);
    const QByteArray file = fileWith({{9, "Units:,, U.S. "},
                                      {21, "Air Temp.:,,77.0,\xB0"
                                           "F"}});
    QVERIFY(loadDataSet(*ds, file, "us.csv", kSampler).loaded);
    const Units us = Units::forSystem(false);
    QCOMPARE(ds->parameters().separation, numbers::toStored(2.0 / double(us.length)));
    QCOMPARE(ds->parameters().met[1], numbers::toStored((77.0 - 32) / double(us.temperatureScale)));
    QVERIFY(!ds->metric());
    QCOMPARE(ds->fieldText(Field::Separation), "2.0");
    QCOMPARE(ds->fieldText(Field::AirTemperature), "77.0");
    QCOMPARE(ds->controlHeadingColor(), kHeadingBlack);
}

void TestReader::rowPlacement_data()
{
    QTest::addColumn<QByteArray>("position1");
    QTest::addColumn<QByteArray>("firstPosition");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<QString>("field");

    const auto row = [](const char* name, const char* position1, const char* firstPosition,
                        int rows, int firstRow, const char* field) {
        QTest::newRow(name) << QByteArray(position1) << QByteArray(firstPosition) << rows
                            << firstRow << QString(field);
    };
    row("off grid, nearer 5", "0.0", "8.9", 3, 5, "0.0");
    row("half way, even 6", "0.0", "9", 3, 6, "0.0");
    row("half way, even 4", "0.0", "7", 3, 4, "0.0");
    row("negative pan 1", "-5.0", "-3", 3, 2, "-5.0");
    // Rows left of pan 1 move pan 1 rather than being lost.
    row("left of pan 1", "4.0", "-2.5", 3, 1, "-2.5");
    row("grid grows", "0.0", "98", 60, 50, "0.0");
    row("no position", "7.0", "", 3, 1, "7.0");
}

void TestReader::rowPlacement()
{
    QFETCH(QByteArray, position1);
    QFETCH(QByteArray, firstPosition);
    QFETCH(int, rows);
    QFETCH(int, firstRow);
    QFETCH(QString, field);
    QByteArrayList lines = validLines().mid(0, 42);
    lines[16] = "Position 1:,," + position1 + ",m";
    for (int i = 0; i < rows; ++i) {
        lines << (i == 0 ? firstPosition : "x") + "," + QByteArray::number(i + 1) + ",5,3,1";
    }
    auto ds = occupiedDataSet();
    const LoadOutcome outcome = loadDataSet(*ds, lines.join("\r\n"), "a.csv", kSampler);
    QVERIFY2(outcome.loaded, qPrintable(outcome.message));
    QCOMPARE(ds->dataRowCount(), std::max(50, firstRow + rows - 1));
    QCOMPARE(ds->firstDataRow(), firstRow);
    QCOMPARE(ds->lastDataRow(), firstRow + rows - 1);
    QCOMPARE(ds->cell(firstRow + rows - 1, ColWeight), QString::number(rows));
    QCOMPARE(ds->fieldText(Field::Position1), field);
    QCOMPARE(numbers::format(ds->parameters().position1, u"0.0#"), field);
}

void TestReader::emptyCellsClearOldCells()
{
    auto ds = occupiedDataSet();
    QVERIFY(loadDataSet(*ds, fileWith({{43, "0,1.5,,,"}}), "a.csv", kSampler).loaded);
    for (int col : {ColGranules, ColLarvae, ColDead}) {
        QCOMPARE(ds->cell(1, col), QString());
    }
    QCOMPARE(ds->cell(2, ColGranules), "60");
    QCOMPARE(ds->controlData().hours, 24.0f);
}

void TestReader::rejectedFileLeavesDataSet_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line"); // 0: not a data set at all

    auto cut = [](int lines) { return validLines().mid(0, lines).join("\r\n") + "\r\n"; };
    QTest::newRow("other program") << fileWith({{2, "Tovanel Other"}}) << 0;
    QTest::newRow("one line") << cut(1) << 0;
    QTest::newRow("file ends") << cut(20) << 21;
    QTest::newRow("no sample heading") << cut(40) << 41;
    QTest::newRow("unclosed quote") << fileWith({{10, "Agency:,,\"Acme"}}) << 10;
    QTest::newRow("units compacted away") << fileWith({{9, ",,Metric"}}) << 9;
    QTest::newRow("negative height") << fileWith({{12, "Release Height:,,-1,m"}}) << 12;
    QTest::newRow("opening type 4") << fileWith({{15, "Opening Type:,,X,4"}}) << 15;
    QTest::newRow("area underflows") << fileWith({{16, "Opening Area:,,1e-60,m\xB2"}}) << 16;
    QTest::newRow("speed beyond single")
        << fileWith({{22, "Wind Speed:,,3e38,km/h"}, {9, "Units:,,US"}}) << 22;
    QTest::newRow("number in pan, blank mark")
        << fileWith({{33, "Number in pan:,,-------- "}}) << 33;
    QTest::newRow("hours text") << fileWith({{34, "Time after treatment:,,a"}}) << 34;
    QTest::newRow("dead beyond 16 bits") << fileWith({{35, "24 hr mortality:,,-32769"}}) << 35;
    QTest::newRow("sample weight text") << fileWith({{44, "2,3g,60,,"}}) << 44;
    QTest::newRow("short sample row") << fileWith({{45, "4,0.5,12,20"}}) << 45;
    QTest::newRow("first position far away") << fileWith({{43, "1e30,1.5,30,,"}}) << 43;
}

void TestReader::rejectedFileLeavesDataSet()
{
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    auto ds = occupiedDataSet();
    const QStringList before = snapshot(*ds);
    const LoadOutcome outcome = loadDataSet(*ds, file, "Pans.csv", kSampler);
    QVERIFY(!outcome.loaded);
    if (line == 0) {
        QCOMPARE(outcome.message, "'Pans.csv' does not appear to be a valid data set.");
    } else {
        QVERIFY2(outcome.message.startsWith(QStringLiteral("There was an error opening this "
                                                           "file:\n\n\tLine %1: ")
                                                .arg(line)),
                 qPrintable(outcome.message));
        QVERIFY(outcome.message.endsWith("\n\nThis was most likely caused by modifying this\n"
                                         "CSV file in another program (such as Excel)."));
    }
    QCOMPARE(snapshot(*ds), before);
}

void TestReader::mutatedFilesNeverMisbehave()
{
    QByteArrayList seedB = validLines(), seedC = validLines();
    seedB[8] = "Units:,,U.S.";
    seedB[10] = "Sprayer:,,\"Air, \"\"Fast\"\"\"";
    seedC[32] = "Number in pan:,,--------";
    const QList<QByteArray> seeds{fileWith({}), seedB.join("\n"), seedC.join("\r\n")};
    QRandomGenerator rng(20240611);
    int loaded = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray file = seeds[i % seeds.size()];
        for (int m = 1 + rng.bounded(3); m > 0; --m) {
            QByteArrayList lines = file.split('\n');
            const int a = rng.bounded(int(lines.size())), b = rng.bounded(int(lines.size()));
            const int at = rng.bounded(int(file.size()) + 1);
            const int kind = rng.bounded(6);
            if (kind == 0 && !file.isEmpty()) {
                file[rng.bounded(int(file.size()))] = char(rng.bounded(256));
            } else if (kind == 1) {
                file.truncate(at);
            } else if (kind == 2) {
                file.insert(at, rng.bounded(2) ? ',' : '"');
            } else {
                if (kind == 3) {
                    lines.removeAt(a);
                } else if (kind == 4) {
                    lines.insert(a, QByteArray(lines[b]));
                } else {
                    lines.swapItemsAt(a, b);
                }
                file = lines.join('\n');
            }
        }
        auto ds = occupiedDataSet();
        const QStringList before = snapshot(*ds);
        const LoadOutcome outcome = loadDataSet(*ds, file, "f.csv", kSampler);
        QVERIFY(outcome.loaded != !outcome.message.isEmpty());
        if (outcome.loaded) {
            ++loaded;
        } else {
            QCOMPARE(snapshot(*ds), before);
        }
    }
    QVERIFY(loaded > 100);
}

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
