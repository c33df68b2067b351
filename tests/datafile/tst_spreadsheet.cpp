// Files the program writes go through a real spreadsheet (LibreOffice Calc, opened and saved
// again as CSV in Windows-1252) and must load back unchanged; an edit made there must show.

#include "datafile/reader.h"
#include "datafile/writer.h"
#include "support.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

using namespace pellamar;
using namespace pellamar::testing;

namespace {

std::unique_ptr<DataSet> loaded(const QByteArray& bytes)
{
    auto ds = std::make_unique<DataSet>(true);
    const auto outcome = datafile::loadDataSet(*ds, bytes, QStringLiteral("file.csv"));
    return outcome.loaded ? std::move(ds) : nullptr;
}

} // namespace

class TestSpreadsheet : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QStringList names_;

private slots:
    void initTestCase()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty()) QSKIP("LibreOffice (libreoffice-calc-nogui) is not installed; not run.");

        const QList<SampleRow> gaps{{"0.5", "", "", ""}, {}, {"1.25", "12", "", ""}, {"", "7", "40", "3"}};
        std::vector<std::pair<QString, std::unique_ptr<DataSet>>> cases;
        cases.emplace_back("metric", makeDataSet(true, fourPans()));
        cases.emplace_back("us", makeDataSet(false, fourPans()));
        cases.emplace_back("gaps", lineOfPans(gaps, 3.0f, 2.5f, true, 2));
        cases.emplace_back("negative", lineOfPans(bell(13), -12.5f, 0.75f, false));
        cases.emplace_back("thousand", lineOfPans(bell(1000), -500.0f, 1.0f));
        cases[0].second->setFieldText(Field::Agency, QStringLiteral("Vector Control, North"));
        cases[0].second->setFieldText(Field::Sprayer, QStringLiteral("\"Blue\" AT-402, Müller é"));
        cases[1].second->setFieldText(Field::Agency, QStringLiteral("O'Brien; \"Ñandú\""));

        QVERIFY(QDir(dir_.path()).mkpath("in"));
        QStringList arguments{"-env:UserInstallation=file://" + dir_.filePath("profile"), "--headless",
                              // As Calc's dialog offers it: comma, quote, Windows-1252, formulas as text.
                              "--infilter=CSV:44,34,1,1,,0,false,false,false,false,false,,false", "--convert-to",
                              "csv:Text - txt - csv (StarCalc):44,34,1,1,,0,false,true,true,false,false", "--outdir",
                              dir_.filePath("out")};
        for (const auto& [name, ds] : cases) {
            const QString path = dir_.filePath("in/" + name + ".csv");
            QVERIFY(datafile::saveDataSet(path, *ds, {}).saved);
            arguments << path;
            names_ << name;
        }
        QProcess office;
        office.start(soffice, arguments);
        QVERIFY2(office.waitForFinished(180000) && office.exitCode() == 0, office.readAllStandardError().constData());
    }

    void convertedFileLoadsTheSame_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : std::as_const(names_)) QTest::newRow(qPrintable(name)) << name;
    }
    void convertedFileLoadsTheSame()
    {
        QFETCH(QString, name);
        const QByteArray converted = fileBytes(dir_.filePath("out/" + name + ".csv"));
        QVERIFY(!converted.isEmpty() && converted != fileBytes(dir_.filePath("in/" + name + ".csv")));
        const auto original = loaded(fileBytes(dir_.filePath("in/" + name + ".csv")));
        const auto again = loaded(converted);
        QVERIFY(original && again);
        QCOMPARE(snapshot(*again), snapshot(*original));
    }

    // A weight corrected in the spreadsheet shows in the deposit once loaded.
    void editedWeightShows()
    {
        QList<QByteArray> lines = fileBytes(dir_.filePath("out/metric.csv")).split('\n');
        const auto units = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.startsWith("(m),(g),"); });
        QVERIFY(units != lines.end());
        QList<QByteArray> row = units[1].split(',');
        row[1] = "2.5";
        units[1] = row.join(',');
        const auto ds = loaded(lines.join('\n'));
        QVERIFY(ds);
        QCOMPARE(shown(*ds, 1, 1), "2.5");
        QCOMPARE(ds->result(1).value(Result::Deposit), 250.0f);
    }
};

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
