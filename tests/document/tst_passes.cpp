#include "datafile/passes.h"
#include "datafile/writer.h"
#include "document/document.h"
#include "support.h"

using namespace pellamar;
using namespace pellamar::testing;

namespace {

// Two passes over the test files' pan line: a blank pan, a 0 pan, a pan only the first caught,
// a weight in exponent form (its sum shows no decimals to keep).
const QList<SampleRow> kFirst = fourPans();
const QList<SampleRow> kSecond{{"25e-1", "50", "20", "14"}, {"0", "0", "", ""}};

QString passFile(const QTemporaryDir& dir, const QString& name, DataSet& dataSet)
{
    dataSet.calculateResults(0);
    const QString path = dir.filePath(name);
    datafile::saveText(path, datafile::dataSetText(dataSet, {}));
    return path;
}

QString passFile(const QTemporaryDir& dir, const QString& name, const QList<SampleRow>& rows)
{
    return passFile(dir, name, *makeDataSet(true, rows));
}

QStringList row(const DataSet& dataSet, int r)
{
    QStringList cells;
    for (int c = 1; c < kGridColumns; ++c) cells << shown(dataSet, r, c);
    return cells;
}

} // namespace

class TestPasses : public QObject {
    Q_OBJECT
private slots:
    // Deposit and density the passes' means, granules per gram and mortality pooled (control
    // 40 larvae, 4 dead), the spread the CV of the passes' weights.
    void averaged_data()
    {
        QTest::addColumn<int>("pan");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<float>("spread");
        QTest::newRow("both") << 1 << "4,80,40,24,200.000,400.000,20.00,55.56" << 35.355339f;
        QTest::newRow("a 0 pan") << 2 << "3,60,,,150.000,300.000,20.00," << 141.42136f;
        QTest::newRow("blank in both") << 3 << ",,,,,,," << -1.0f;
        QTest::newRow("blank in one") << 4 << "0.5,12,20,4,25.000,60.000,24.00,11.11" << 141.42136f;
    }
    void averaged()
    {
        QFETCH(int, pan);
        QFETCH(QString, cells);
        QFETCH(float, spread);
        QTemporaryDir dir;
        DataSet dataSet;
        document::Document document(dataSet, {}, dir.path());
        QCOMPARE(document.average({passFile(dir, "a.csv", kFirst), passFile(dir, "b.csv", kSecond)}), QString());
        QCOMPARE(row(dataSet, pan).join(u','), cells);
        QCOMPARE(document.passSpread(pan), spread);
        QVERIFY(document.modified() && document.file().isEmpty());
        QCOMPARE(dataSet.fieldText(Field::Agency), "Vector Control, North (2 passes averaged)");
    }

    void refused_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("one file") << 0 << "2 to 10 data-set files to average; 1 was chosen";
        QTest::newRow("eleven files") << 1 << "11 were chosen";
        QTest::newRow("not a data set") << 2 << "'b.csv' does not appear to be a valid data set";
        QTest::newRow("units") << 3 << "b.csv: U.S. units where the first pass has metric units";
        QTest::newRow("separation") << 4 << "b.csv: separation 20 m where the first pass has 10 m";
        QTest::newRow("pan 1") << 5 << "b.csv: position of pan 1 -20 m where the first pass has -10 m";
        QTest::newRow("area") << 6 << "b.csv: opening area 0.2 m² where the first pass has 0.1 m²";
        QTest::newRow("no data in common") << 7 << "b.csv: no pan with data where the first pass has data";
    }
    // The open data set and the files stay as they were.
    void refused()
    {
        QFETCH(int, change);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString a = passFile(dir, "a.csv", kFirst);
        auto second = makeDataSet(change != 3, change == 7 ? QList<SampleRow>{{}, {}, {"1", "", "", ""}} : kSecond);
        Parameters& p = second->parameters();
        (change == 4 ? p.separation : change == 5 ? p.position1 : change == 6 ? p.openingArea : p.swathWidth) *= 2;
        QString b = passFile(dir, "b.csv", *second);
        if (change == 2) writeFile(b, "Pan weights\r\n");
        const QByteArray bytes = fileBytes(b);
        auto open = makeDataSet(true, weights({7}));
        document::Document document(*open, {}, dir.path());
        const QStringList before = snapshot(*open);
        const QStringList paths = change == 0 ? QStringList{a} : change == 1 ? QStringList(11, a) : QStringList{a, b};
        const QString refusal = document.average(paths);
        QVERIFY2(refusal.contains(message), qPrintable(refusal));
        QCOMPARE(snapshot(*open), before);
        QCOMPARE(fileBytes(b), bytes);
    }

    // The saved average loads back to the same figures, the area of three U.S. passes included.
    void roundTrip()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (const QString name : {"a.csv", "b.csv", "c.csv"}) {
            auto pass = makeDataSet(false, name == "b.csv" ? kSecond : kFirst);
            pass->parameters().openingArea = 0.1f;
            paths << passFile(dir, name, *pass);
        }
        DataSet averaged;
        document::Document document(averaged, {}, dir.path());
        QCOMPARE(document.average(paths), QString());
        QCOMPARE(averaged.fieldText(Field::OpeningArea), "3.2292");
        DataSet loaded;
        QVERIFY(document::Document(loaded, {}, dir.path()).load(passFile(dir, "avg.csv", averaged)).isEmpty());
        QCOMPARE(snapshot(loaded), snapshot(averaged));
    }
};

QTEST_GUILESS_MAIN(TestPasses)
#include "tst_passes.moc"
