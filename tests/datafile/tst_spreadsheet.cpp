// Files the program writes go through a real spreadsheet (LibreOffice Calc, opened and saved
// again as CSV: in Windows-1252 with commas, and as a German locale saves it, in UTF-8 with
// semicolons and decimal commas) and must load back unchanged; an edit made there must show.

#include "datafile/reader.h"
#include "datafile/writer.h"
#include "support.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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

        // Read as English numbers, saved in a German locale's own form.
        arguments.replaceInStrings(QRegularExpression("^--infilter=CSV:44,34,1,1,,0,"),
                                   "--infilter=CSV:44,34,1,1,,1033,");
        arguments.replaceInStrings(QRegularExpression("^csv:(.*):44,34,1,1,,0,"), "csv:\\1:59,34,76,1,,1031,");
        arguments.replaceInStrings(QRegularExpression("/out$"), "/out-de");
        QProcessEnvironment german = QProcessEnvironment::systemEnvironment();
        german.insert("LC_ALL", "de_DE.UTF-8");
        german.insert("LANG", "de_DE.UTF-8");
        office.setProcessEnvironment(german);
        office.start(soffice, arguments);
        QVERIFY2(office.waitForFinished(180000) && office.exitCode() == 0, office.readAllStandardError().constData());
    }

    void convertedFileLoadsTheSame_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        for (const QString& name : std::as_const(names_)) {
            QTest::newRow(qPrintable(name)) << name << "out";
            QTest::newRow(qPrintable(name + ", German")) << name << "out-de";
        }
    }
    void convertedFileLoadsTheSame()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        const QByteArray converted = fileBytes(dir_.filePath(folder + "/" + name + ".csv"));
        if (folder == "out-de")
            QVERIFY(converted.contains("Units:;;") && QRegularExpression(";-?\\d+,\\d+;").match(converted).hasMatch());
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

    // Rows edited as a spreadsheet user edits them, in both saves: what still holds every pan in
    // its place loads as before, anything else is refused at the line at fault.
    void editedRows_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("line"); // 0: loads as the unedited file
        for (const QString folder : {"out", "out-de"}) {
            const auto row = [&](const char* edit, int line) {
                QTest::newRow(qPrintable(folder + ": " + edit)) << folder << QString(edit) << line;
            };
            row("blank row inserted", 0);
            row("empty line inserted", 0);
            row("comment row inserted", 44);
            row("row deleted", 44);
            row("row repeated", 44);
            row("sorted descending", 44);
        }
    }
    void editedRows()
    {
        QFETCH(QString, folder);
        QFETCH(QString, edit);
        QFETCH(int, line);
        const QByteArray file = fileBytes(dir_.filePath(folder + "/metric.csv"));
        QList<QByteArray> lines = file.split('\n');
        const char sep = folder == "out" ? ',' : ';';
        const QByteArray blank = QByteArray(8, sep) + '\r';
        QCOMPARE(lines[42].left(4), QByteArray("-10") + sep); // pans at -10, 0, 10 and 20 m
        if (edit == "blank row inserted") lines.insert(43, blank);
        if (edit == "empty line inserted") lines.insert(43, "\r");
        if (edit == "comment row inserted") lines.insert(43, "spilled" + blank);
        if (edit == "row deleted") lines.removeAt(43);
        if (edit == "row repeated") lines.insert(43, lines[42]);
        if (edit == "sorted descending") std::reverse(lines.begin() + 42, lines.begin() + 46);
        DataSet ds(true);
        const auto outcome = datafile::loadDataSet(ds, lines.join('\n'), QStringLiteral("file.csv"));
        if (line == 0) {
            QVERIFY2(outcome.loaded, qPrintable(outcome.message));
            QCOMPARE(snapshot(ds), snapshot(*loaded(file)));
        } else {
            QVERIFY2(outcome.message.contains(QStringLiteral("\tLine %1: ").arg(line)), qPrintable(outcome.message));
        }
    }
};

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
