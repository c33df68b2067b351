#include "core/numbers.h"
#include "datafile/cp1252.h"
#include "datafile/panline.h"
#include "datafile/reader.h"
#include "support.h"

#include <cmath>

using namespace pellamar;
using namespace pellamar::datafile;
using namespace pellamar::testing;

namespace {

using Edits = QList<QPair<int, QByteArray>>; // 1-based line, new content (may hold more lines)

// The lines of a valid metric file in the writer's layout: "|" ends a line, "=" and "-" stand for
// the equals and dash lines. Sample rows start at line 43, pans at 0, 2 and 4 m.
const char* const kLayout = "=|Tovanel Pellamar|=||-|Analysis Parameters|-||Units:,,Metric|"
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
    for (QByteArray& line : lines)
        if (line == "=" || line == "-") line = QByteArray(line == "=" ? 18 : 45, line[0]);
    return lines;
}

QByteArray fileWith(const Edits& edits, const QByteArray& lineEnd = "\r\n")
{
    QByteArrayList lines = validLines();
    for (const auto& [line, content] : edits) lines[line - 1] = content;
    return lines.join(lineEnd) + lineEnd;
}

// Sample rows from the given position on, `step` m apart, weights 1, 2, ...
QByteArray sampleRows(double position, int count, double step = 2)
{
    QByteArrayList rows;
    for (int i = 0; i < count; ++i)
        rows << QByteArray::number(position + step * i) + ',' + QByteArray::number(i + 1) + ",5,3,1";
    return rows.join("\r\n");
}

// The file as a spreadsheet in a locale with a decimal comma saves it: numbers with a comma,
// fields separated by `separator`.
QByteArray european(const QByteArray& file, char separator, bool decimalComma = true)
{
    QByteArrayList lines = file.split('\n');
    for (QByteArray& line : lines) {
        QByteArrayList fields = line.chopped(line.endsWith('\r') ? 1 : 0).split(',');
        for (QByteArray& f : fields)
            if (decimalComma && numbers::isNumber(QString::fromLatin1(f))) f.replace('.', ',');
        line = fields.join(separator) + (line.endsWith('\r') ? "\r" : "");
    }
    return lines.join('\n');
}

QByteArray utf16(const QByteArray& file, bool littleEndian)
{
    const QString text = decodeCp1252(file);
    QByteArray out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        out += littleEndian ? QByteArray{&lo, 1} + hi : QByteArray{&hi, 1} + lo;
    }
    return out;
}

const SamplerSettings kSampler{0, 1.0f, 5.0f, 10.0f};

// A data set that differs from every test file, so that any stray change shows.
std::unique_ptr<DataSet> occupiedDataSet()
{
    auto ds = std::make_unique<DataSet>(false);
    ds->clearDataSet(kSampler);
    ds->parameters().agency = QStringLiteral("Before");
    ds->setFieldText(Field::Agency, QStringLiteral("Before"));
    ds->setControlData({5, 1, 3.5f});
    ds->setInput(1, ColWeight, QStringLiteral("2"));
    ds->setInput(1, ColLarvae, QStringLiteral("7"));
    ds->setInput(2, ColGranules, QStringLiteral("9"));
    ds->calculateResults(0);
    return ds;
}

// What a case looks at after the load: a field's text, or one of these.
enum Probe { kControl = -1, kRows = -2, kType = -3, kFirstRow = -4, kUnits = -5 };

QString probe(const DataSet& ds, int what)
{
    const ControlData& c = ds.controlData();
    const int first = ds.firstDataRow();
    switch (what) {
    case kControl:
        return QStringLiteral("%1 %2 %3").arg(c.larvae).arg(double(c.hours)).arg(c.dead);
    case kRows:
        return QStringLiteral("%1-%2 of %3, pan 1 at %4")
            .arg(first)
            .arg(ds.lastDataRow())
            .arg(ds.dataRowCount())
            .arg(ds.fieldText(Field::Position1));
    case kType:
        return QString::number(ds.parameters().openingType);
    case kUnits:
        return ds.metric() ? "metric" : "U.S.";
    case kFirstRow:
        return QStringList{ds.input(first, 1), ds.input(first, 2), ds.input(first, 3), ds.input(first, 4),
                           ds.input(first + 1, 2)}
            .join(u'|');
    default:
        return ds.fieldText(static_cast<Field>(what));
    }
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT
private slots:
    void accepted_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("what");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const Edits& e, int what, const char* expected) {
            QTest::newRow(name) << fileWith(e) << what << QString::fromUtf8(expected);
        };
        const auto f = [](Field field) { return static_cast<int>(field); };
        // clang-format off
        row("header merely contains the name", {{2, "x Tovanel Pellamar 2"}}, f(Field::Agency), "Acme Vector Control");
        row("release height 0", {{12, "Release Height:,,0,m"}}, f(Field::ReleaseHeight), "");
        row("swath width not given", {{13, "Swath Width:,,\t-------- "}}, f(Field::SwathWidth), "");
        row("humidity general form", {{24, "Rel. Humidity:,,33.333333333,%"}}, f(Field::Humidity), "33.33333");
        row("direction general form", {{23, "Wind Direction:,,90.04,\xb0"}}, f(Field::WindDirection), "90.04");
        row("U.S. rate", {{9, "Units:,, u.S. "}, {27, "Spray Rate:,,8.1,lb/ac"}}, f(Field::ProductRate), "8.1");
        row("units, blanks and case", {{9, "Units:,, mEtRiC\t"}}, kUnits, "metric");
        row("units, blanks inside", {{9, "Units:,,U. S."}}, kUnits, "U.S.");
        row("U.S. temperature", {{9, "Units:,,U.S."}, {21, "Air Temp.:,,-40,\xb0" "F"}}, f(Field::AirTemperature), "-40.0");
        row("quoted name", {{10, "Agency:,,\"Smith, Jones \"\"Air\"\"\""}}, f(Field::Agency), "Smith, Jones \"Air\"");
        row("unquoted comma cuts the name", {{10, "Agency:,,Smith, Jones"}}, f(Field::Agency), "Smith");
        // Lines with quotes are split apart from the plain ones; the hand-over keeps every line in place.
        row("name across two lines", {{10, "Agency:,,\"Acme\nVector\""}}, f(Field::Agency), "Acme\nVector");
        row("quote inside a bare name", {{10, "Agency:,,Acme \"Air\""}}, f(Field::Agency), "Acme \"Air\"");
        row("quoted cell among the rows", {{44, "\"2\",3,60,,"}}, kRows, "1-3 of 50, pan 1 at 0.0");
        row("area", {{16, "Opening Area:,,0.123456,m\xB2"}}, f(Field::OpeningArea), "0.1235");
        row("opening type 3", {{15, "Opening Type:,,X,3.4"}}, kType, "3");
        row("opening type 0", {{15, "Opening Type:,,X,0"}}, kType, "0");
        row("counts at their limits", {{33, "Number in pan:,,-32768.5"}, {34, "Time after treatment:,,1.5e7"}, {35, "24 hr mortality:,,32767"}}, kControl, "-32768 1.5e+07 32767");
        row("no control data", {{33, "Number in pan:,,--------"}, {34, "x"}}, kControl, "0 3.5 0");
        row("cells trimmed, empty cells clear old ones", {{43, "0, 1.5 ,,\t,"}}, kFirstRow, "1.5||||60");
        row("off grid, nearer 5", {{18, "Separation:,,10,m"}, {43, sampleRows(38.9, 3, 10)}, {44, ""}, {45, ""}}, kRows, "5-7 of 50, pan 1 at 0.0");
        row("half way, even 6", {{18, "Separation:,,10,m"}, {43, sampleRows(45, 3, 10)}, {44, ""}, {45, ""}}, kRows, "6-8 of 50, pan 1 at 0.0");
        row("negative pan 1", {{17, "Position 1:,,-5.0,m"}, {43, sampleRows(-3, 3)}, {44, ""}, {45, ""}}, kRows, "2-4 of 50, pan 1 at -5.0");
        // Rows left of pan 1 move pan 1 rather than being lost.
        row("left of pan 1", {{17, "Position 1:,,4.0,m"}, {43, sampleRows(-2.5, 3)}, {44, ""}, {45, ""}}, kRows, "1-3 of 50, pan 1 at -2.5");
        // Rounding never adds up: 0.333 m apart, shown to the centimetre, over 2,000 pans.
        row("positions rounded", {{18, "Separation:,,0.33,m"}, {43, [] { QByteArrayList r; for (int i = 0; i < 2000; ++i) r << QByteArray::number(i / 3.0 + 0.0049, 'f', 2) + ",1,,,"; return r.join("\r\n"); }()}, {44, ""}, {45, ""}}, kRows, "1-2000 of 2000, pan 1 at 0.0");
        row("grid grows", {{43, sampleRows(196, 60)}, {44, ""}, {45, ""}}, kRows, "99-158 of 158, pan 1 at 0.0");
        row("heading a line lower", {{40, "\r\n"}}, kRows, "1-3 of 50, pan 1 at 0.0");
        // What spreadsheets write back: padded, quoted, reformatted, trailing fields dropped.
        row("padded end of the rows", {{46, ",, ,,\t,,,,"}, {47, "-----,,,,"}}, kRows, "1-3 of 50, pan 1 at 0.0");
        // A blank or empty line among the pans is passed over; the pans after it keep their places.
        row("blank row between rows", {{46, ",,,,"}, {47, "6,1,5,3,1"}}, kRows, "1-4 of 50, pan 1 at 0.0");
        row("empty lines between rows", {{44, "\r\n\r\n2,3,60,,"}}, kRows, "1-3 of 50, pan 1 at 0.0");
        row("note below the last pan", {{46, "checked by J.,,,,"}}, kRows, "1-3 of 50, pan 1 at 0.0");
        row("trailing fields dropped", {{10, "Agency:"}, {43, "0,1.5,30"}}, kFirstRow, "1.5|30|||60");
        row("quoted and padded", {{16, "\"Opening Area:\",,\"0.25\",\"m\xB2\",,,"}}, f(Field::OpeningArea), "0.25");
        row("number reformatted", {{12, "Release Height:,,30,m,,,,,"}}, f(Field::ReleaseHeight), "30.0");
        QTest::newRow("UTF-8") << decodeCp1252(fileWith({})).replace("Acme Vector Control", "Müller ✓").toUtf8()
                               << f(Field::Agency) << "Müller ✓";
        row("not UTF-8: Windows-1252", {{10, "Agency:,,M\xFCller \xC3"}}, f(Field::Agency), "Müller Ã");
        row("UTF-8 with a stray Windows-1252 byte", {{10, "Agency:,,M\xC3\xBCller \xE2\x9C\x93 Ren\xE9"}}, f(Field::Agency), "Müller ✓ René");
        QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF" + fileWith({{10, "Agency:,,\xC3\xA9"}}) << f(Field::Agency) << "é";
        QTest::newRow("LF line ends") << fileWith({}, "\n") << int(kRows) << "1-3 of 50, pan 1 at 0.0";
        QTest::newRow("CR line ends") << fileWith({}, "\r") << int(kRows) << "1-3 of 50, pan 1 at 0.0";
        // clang-format on
    }
    void accepted()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, what);
        auto ds = occupiedDataSet();
        const LoadOutcome outcome = loadDataSet(*ds, file, "a.csv");
        QVERIFY2(outcome.loaded, qPrintable(outcome.message));
        QTEST(probe(*ds, what), "expected");
    }

    // Half a unit of a position's last shown digit: the room its value was rounded from.
    void halfUnitOfPosition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        // clang-format off
        for (const auto& [text, decimals] : std::initializer_list<std::pair<const char*, int>>{
                 {"12", 0}, {"-1.25", 2}, {"1,5", 1}, {"1.25,3", 4}, {"1.5e3", -2}, {"2E-2", 2},
                 {"1.5e", 1}, {"1e2,5", 0}, {"0.5e-999", 400}, {".", 0}, {"", 0}})
            QTest::newRow(text) << QString::fromLatin1(text) << decimals;
        // clang-format on
    }
    void halfUnitOfPosition()
    {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QCOMPARE(pellamar::datafile::halfUnit(text), 0.5 * std::pow(10.0, -double(decimals)));
    }

    // A file that cannot be had is named with the real cause.
    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("gone") << "gone/pan-test.csv"
                              << "'pan-test.csv' was not found in %1/gone.";
        QTest::newRow("folder") << "pans.csv"
                                << "'pans.csv' is a folder, not a data-set file.";
        // Write-only even for root, so no permission to read it whoever runs the test.
        QTest::newRow("no permission") << "/proc/sys/vm/drop_caches"
                                       << "'drop_caches' cannot be opened: you have no permission to read it.";
        QTest::newRow("read") << "read.csv"
                              << "";
    }
    void unreadableFiles()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("pans.csv") && writeFile(dir.filePath("read.csv"), "x"));
        const FileBytes read = readDataSetFile(path.startsWith(u'/') ? path : dir.filePath(path));
        QFETCH(QString, message);
        QCOMPARE(read.message, message.contains("%1") ? message.arg(dir.path()) : message);
        QCOMPARE(read.bytes, read.message.isEmpty() ? QByteArray("x") : QByteArray());
    }

    // A spreadsheet's save in another locale or as Unicode text loads as the comma file it came
    // from; the separator is the file's own, whatever its names hold.
    void separatorsLoadTheSame_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray base = fileWith({{16, "Opening Area:,,0.1235,m\xB2"}, {34, "Time after treatment:,,1.5"}});
        const QByteArray semicolon = european(base, ';').replace("Acme Vector Control", "\"Smith, Jones; Tab\"");
        const QByteArray tab = european(base, '\t').replace("Acme Vector Control", "Smith, Jones; Tab");
        QTest::newRow("comma") << QByteArray(base).replace("Acme Vector Control", "\"Smith, Jones; Tab\"");
        QTest::newRow("semicolon, decimal comma") << semicolon;
        QTest::newRow("tab, decimal comma") << tab;
        QTest::newRow("tab, decimal point")
            << european(base, '\t', false).replace("Acme Vector Control", "Smith, Jones; Tab");
        QTest::newRow("UTF-16, little-endian, tab") << utf16(tab, true);
        QTest::newRow("UTF-16, big-endian, semicolon") << utf16(semicolon, false);
    }
    void separatorsLoadTheSame()
    {
        QFETCH(QByteArray, file);
        DataSet comma(false), other(false);
        QVERIFY(loadDataSet(comma,
                            fileWith({{10, "Agency:,,\"Smith, Jones; Tab\""},
                                      {16, "Opening Area:,,0.1235,m\xB2"},
                                      {34, "Time after treatment:,,1.5"}}),
                            "a.csv")
                    .loaded);
        const LoadOutcome outcome = loadDataSet(other, file, "b.csv");
        QVERIFY2(outcome.loaded, qPrintable(outcome.message));
        QCOMPARE(snapshot(other), snapshot(comma));
        QCOMPARE(other.fieldText(Field::Agency), "Smith, Jones; Tab");
    }

    // Values in the file's units become metric stored values; the fields show the file's text.
    void usFileValuesAreConverted()
    {
        DataSet ds(true);
        const QByteArray file = fileWith({{9, "Units:,,U.S."},
                                          {21, "Air Temp.:,,77.0,\xB0"
                                               "F"}});
        QVERIFY(loadDataSet(ds, file, "us.csv").loaded);
        const Units us = Units::forSystem(false);
        QVERIFY(sameBits(ds.parameters().separation, numbers::toStored(2.0 / double(us.length))));
        QVERIFY(
            sameBits(ds.parameters().met.airTemperature, numbers::toStored((77.0 - 32) / double(us.temperatureScale))));
        QVERIFY(!ds.metric());
        QCOMPARE(ds.fieldText(Field::Separation) + ds.fieldText(Field::AirTemperature), "2.077.0");
        QCOMPARE(ds.controlData().larvae, 20);
    }

    // A damaged file names its line; nothing of the data set changes.
    void rejectedFileLeavesDataSet_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");     // 0: not a data set at all
        QTest::addColumn<QString>("says"); // what the message says after the line, when given
        const auto cut = [](int lines) { return validLines().mid(0, lines).join("\r\n") + "\r\n"; };
        const auto row = [](const char* name, const Edits& e, int line, const char* says = "") {
            QTest::newRow(name) << fileWith(e) << line << QString::fromUtf8(says);
        };
        const QByteArray sorted = sampleRows(4, 3, -2);
        // clang-format off
        row("other program", {{2, "Tovanel Other"}}, 0);
        QTest::newRow("one line") << cut(1) << 0 << "";
        QTest::newRow("one line, quote left open") << QByteArray("\"==\r") << 0 << "";
        row("quote in line 1 swallows the rest", {{1, "\"=="}}, 1);
        QTest::newRow("file ends") << cut(20) << 21 << "";
        QTest::newRow("no sample heading") << cut(40) << 41 << "";
        QTest::newRow("no units under the heading") << cut(41) << 42 << "";
        row("unclosed quote", {{10, "Agency:,,\"Acme"}}, 10);
        const int last = int(validLines().size());
        QTest::newRow("doubled quote ends the file") << fileWith({{last, "\"Density\"\""}}).chopped(2) << last
                                                     << "a quoted field is not closed";
        row("unclosed quote below a name across lines", {{10, "Agency:,,\"A\nB\""}, {26, "Product:,,\"X"}}, 27);
        row("units compacted away", {{9, ",,Metric"}}, 9);
        row("negative height", {{12, "Release Height:,,-1,m"}}, 12);
        row("opening type 3.5", {{15, "Opening Type:,,X,3.5"}}, 15);
        row("opening type -1", {{15, "Opening Type:,,X,-1"}}, 15);
        row("no opening type", {{15, "Opening Type:,,X"}}, 15);
        row("area 0", {{16, "Opening Area:,,0,m\xB2"}}, 16);
        row("area underflows", {{16, "Opening Area:,,1e-60,m\xB2"}}, 16);
        row("position beyond single", {{17, "Position 1:,,-3.5e38,m"}}, 17);
        row("separation negative", {{18, "Separation:,,-2,m"}}, 18);
        row("speed beyond single", {{22, "Wind Speed:,,3e38,km/h"}, {9, "Units:,,U.S."}}, 22);
        row("negative rate", {{27, "Spray Rate:,,-1,kg/ha"}}, 27);
        row("number in pan, blank mark", {{33, "Number in pan:,,-------- "}}, 33);
        row("hours text", {{34, "Time after treatment:,,a"}}, 34);
        row("dead beyond 16 bits", {{35, "24 hr mortality:,,32767.5"}}, 35);
        row("larvae below 16 bits", {{33, "Number in pan:,,-32769"}}, 33);
        row("sample weight text", {{44, "2,3g,60,,"}}, 44);
        // Unit names the program never wrote.
        row("units Metrisch", {{9, "Units:,,Metrisch"}}, 9, "unknown unit system 'Metrisch' (Metric or U.S.)");
        row("units SI", {{9, "Units:,,SI"}}, 9);
        row("units Metric (SI)", {{9, "Units:,,Metric (SI)"}}, 9);
        row("units US", {{9, "Units:,,US"}}, 9);
        // Lines added to the parameter block are named themselves.
        row("comment for a value", {{12, "my note\r\nRelease Height:,,30.0,m"}}, 12, "'Release Height:' was expected here, not 'my note'");
        row("comment in an empty line", {{14, "my note\r\n"}}, 14, "an empty line was expected here, not 'my note'");
        row("comment above the units", {{8, "my note\r\n"}}, 8);
        row("line removed", {{12, "Swath Width:,,50.0,m"}, {13, ""}, {14, "Opening Type:,,Square,1"}}, 12, "'Release Height:' was expected");
        // Values typing refuses.
        row("negative weight", {{44, "2,-3,60,,"}}, 44, "the sample weight (Sample Wt) is below 0");
        row("negative granules", {{44, "2,3,-60,,"}}, 44, "the number of granules (# of Granules) is below 0");
        row("negative larvae", {{44, "2,3,60,-1,"}}, 44, "the number of larvae (Larvae) is below 0");
        row("negative dead", {{44, "2,3,60,5,-1"}}, 44, "the mortality (Mortality) is below 0");
        // Pan rows edited out of their places.
        row("row deleted", {{17, "Position 1:,,-25.0,m"}, {18, "Separation:,,5.0,m"}, {43, "-25,1,5,3,1"}, {44, "-15,1,5,3,1"}, {45, "-10,1,5,3,1"}}, 44,
            "position -15 where -20 was expected (a pan row is missing or out of order)");
        row("row repeated", {{44, "0,3,60,,"}}, 44, "position 0 where 2 was expected");
        row("sorted by position, descending", {{43, sorted}, {44, ""}, {45, ""}}, 44);
        row("sorted by deposit", {{43, "4,0.5,12,20,4"}, {45, "0,1.5,30,20,10"}}, 44);
        row("row of another line", {{45, "5,0.5,12,20,4"}}, 45, "position 5 where 4 was expected");
        row("row between pans", {{44, "3,3,60,,"}}, 44);
        row("last row off by 3 cm", {{18, "Separation:,,0.5,m"}, {43, "0.00,1,,,"}, {44, "0.50,1,,,"}, {45, "1.03,1,,,"}}, 45, "position 1.03 where 1.00 was expected");
        QTest::newRow("decimal comma, row deleted") << european(fileWith({{17, "Position 1:,,0.5,m"}, {43, "0.5,1,,,"}, {44, "4.5,1,,,"}, {45, "6.5,1,,,"}}), ';') << 44 << "position 4,5 where 2,5 was expected";
        // Rows among the pans that are no pans.
        row("comment among the pans", {{44, "spilled,,,,\r\n2,3,60,,"}}, 44, "'spilled' is not a position");
        row("position cleared", {{44, ",3,60,,"}}, 44, "the pan row has no position");
        row("no position, last row", {{45, ",0.5,12,20,4"}}, 45);
        row("no position, first row", {{43, ",1,5,3,1"}}, 43);
        row("first position far away", {{43, "1e30,1.5,30,,"}}, 43);
        // clang-format on
    }
    void rejectedFileLeavesDataSet()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QString, says);
        auto ds = occupiedDataSet();
        const QStringList before = snapshot(*ds);
        const LoadOutcome outcome = loadDataSet(*ds, file, "Pans.csv");
        QVERIFY(!outcome.loaded);
        if (line == 0) {
            QCOMPARE(outcome.message, "'Pans.csv' does not appear to be a valid data set.");
        } else {
            QVERIFY2(outcome.message.startsWith(
                         QStringLiteral("There was an error opening this file:\n\n\tLine %1: ").arg(line)),
                     qPrintable(outcome.message));
            QVERIFY(outcome.message.endsWith("\n\nThis was most likely caused by modifying this\n"
                                             "CSV file in another program (such as Excel)."));
            QVERIFY2(outcome.message.contains(QStringLiteral("Line %1: ").arg(line) + says),
                     qPrintable(outcome.message));
        }
        QCOMPARE(snapshot(*ds), before);
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
