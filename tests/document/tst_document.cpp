#include "document/document.h"
#include "support.h"
#include "swath/swath.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

using namespace pellamar;
using namespace pellamar::testing;

// The document without a window: what Save would write, the file it belongs to and the files
// last used follow each load, edit, save and reset.
class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void followsItsFile_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* name, const char* steps, const char* outcome) {
            QTest::newRow(name) << steps << outcome;
        };
        row("new", "", "the new data set, 2026-12-06: saved, 0 steps, 0 recent");
        row("named for its sprayer", "sprayer", "the new data set, a_b_c 2026-12-06: modified, 1 steps, 0 recent");
        row("load", "load", "pan.csv, pan: saved, 0 steps, 1 recent");
        row("a load clears the history", "edit load", "pan.csv, pan: saved, 0 steps, 1 recent");
        row("a refused load changes nothing", "load edit bad", "pan.csv, pan: modified, 1 steps, 1 recent, refused");
        row("undo back to the file", "load edit undo", "pan.csv, pan: saved, 1 steps, 1 recent");
        row("a swath choice is a change", "load choice", "pan.csv, pan: modified, 0 steps, 1 recent");
        row("save as", "load choice save", "saved.csv, saved: saved, 0 steps, 2 recent");
        row("saved, then undone", "load edit save undo", "saved.csv, saved: modified, 1 steps, 2 recent");
        row("reset names no file", "load choice reset", "the new data set, 2026-12-06: modified, 1 steps, 1 recent");
        row("undo of a reset names the file again", "load reset undo", "pan.csv, pan: saved, 1 steps, 1 recent");
        row("an export that cannot be written says so", "load export",
            "pan.csv, pan: saved, 0 steps, 1 recent, refused");
        row("a missing file is forgotten", "load forget", "pan.csv, pan: saved, 0 steps, 0 recent");
    }
    void followsItsFile()
    {
        QFETCH(QString, steps);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("pan.csv"), readTestFile("writer_metric.csv")));
        QVERIFY(writeFile(dir.filePath("bad.csv"), "hello\r\nworld\r\n"));
        DataSet ds(true);
        ds.clearDataSet({});
        document::Document doc(ds, {}, dir.path() + u'/');
        QString refused;
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"load") QVERIFY(doc.load(dir.filePath("pan.csv")).isEmpty());
            if (step == u"bad") refused = doc.load(dir.filePath("bad.csv")).isEmpty() ? "" : ", refused";
            if (step == u"edit") doc.editor().setCells({{1, ColWeight, "9"}});
            if (step == u"sprayer") doc.editor().commitField(Field::Sprayer, "a/b:c");
            if (step == u"undo") doc.editor().history().undo();
            if (step == u"choice") doc.choiceChanged();
            if (step == u"reset") doc.reset({});
            if (step == u"forget") doc.forgetRecentFile(doc.file());
            if (step == u"export") refused = doc.exportPdf(dir.filePath("none/r.pdf"), {}, {}) ? ", refused" : "";
            if (step == u"save") {
                swath::SwathAnalysis analysis;
                QVERIFY(swath::analyseSwath(analysis, swath::SwathData::from(ds), {}));
                QVERIFY(doc.write(dir.filePath("saved.csv"), {}, analysis).saved);
                doc.saved(dir.filePath("saved.csv"));
            }
        }
        QCOMPARE(doc.folder(), dir.path() + u'/');
        if (!doc.file().isEmpty() && !steps.contains("forget")) QCOMPARE(doc.recentFiles().value(0), doc.file());
        const QString outcome =
            QStringLiteral("%1, %2: %3, %4 steps, %5 recent%6")
                .arg(doc.name(), doc.baseName(QDate(2026, 12, 6)), doc.modified() ? "modified" : "saved")
                .arg(doc.editor().history().count())
                .arg(doc.recentFiles().size())
                .arg(refused);
        QTEST(outcome, "outcome");
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
