// Prints the report through a private CUPS scheduler to a PDF queue and looks at what came out.
#include "datafile/reader.h"
#include "support.h"
#include "ui/previewwindow.h"

#include <QComboBox>
#include <QDir>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <unistd.h>

using namespace pellamar;

namespace {

const QString kQueue = QStringLiteral("PELLAMARCI");
const QString kOut = QStringLiteral("/var/spool/cups-pdf/PELLAMARCI");
const QString kConf = QStringLiteral("/etc/cups/cups-pdf-pellamarci.conf");

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    if (exitCode) *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

bool schedulerRunning() { return run("lpstat", {"-r"}).contains("scheduler is running"); }

} // namespace

class TestCupsPrint : public QObject {
    Q_OBJECT
    QProcess* scheduler_ = nullptr; // ours, only when none was running

private slots:
    void initTestCase()
    {
        if (geteuid() != 0) QSKIP("Starting a private CUPS scheduler needs root; not run.");
        if (!QFile::exists("/usr/sbin/cupsd") || !QFile::exists("/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"))
            QSKIP("cups and printer-driver-cups-pdf are not installed; not run.");
        if (!schedulerRunning()) {
            scheduler_ = new QProcess(this);
            scheduler_->start("/usr/sbin/cupsd", {"-f"});
            QTRY_VERIFY_WITH_TIMEOUT(schedulerRunning(), 15000);
        }
        QDir(kOut).removeRecursively();
        QVERIFY(QDir().mkpath(kOut));
        QVERIFY(testing::writeFile(kConf,
                                   ("Out " + kOut + "\nTitlePref 1\nLabel 0\nUserUMask 0022\nGrp lpadmin\n").toUtf8()));
        int code = 0;
        const QString output =
            run("lpadmin",
                {"-p", kQueue, "-E", "-v", "cups-pdf:/pellamarci", "-P", "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"},
                &code);
        QVERIFY2(code == 0, qPrintable(output));
    }

    // Everything the test added goes again: the queue, its settings, its output.
    void cleanupTestCase()
    {
        if (geteuid() == 0 && schedulerRunning()) run("lpadmin", {"-x", kQueue});
        QFile::remove(kConf);
        QDir(kOut).removeRecursively();
        if (scheduler_) {
            scheduler_->terminate();
            scheduler_->waitForFinished(10000);
        }
    }

    void printsLetterPages()
    {
        QTRY_VERIFY_WITH_TIMEOUT(QPrinterInfo::availablePrinterNames().contains(kQueue), 10000);
        DataSet ds;
        QVERIFY(datafile::loadDataSet(ds, testing::readTestFile("writer_metric.csv"), "x").loaded);
        QString printer = kQueue;
        ui::PreviewWindow preview({ds, {}}, printer, false);
        preview.show();
        QCOMPARE(preview.printerList()->currentText(), kQueue);
        QVERIFY(preview.print());

        // The queue writes its PDF a little later.
        QString pdf;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList files = QDir(kOut).entryList({"*.pdf"});
                pdf = files.isEmpty() ? QString() : kOut + u'/' + files.first();
                int code = -1;
                if (!pdf.isEmpty()) run("pdfinfo", {pdf}, &code);
                return code == 0;
            }(),
            30000);
        const QString info = run("pdfinfo", {pdf});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+4\\n")) && info.contains("612 x 792 pts"),
                 qPrintable(info));

        // The job as the printing system received it: every page holds its texts.
        const QFileInfoList spooled = QDir("/var/spool/cups").entryInfoList({"d*-001"}, QDir::Files, QDir::Time);
        QVERIFY(!spooled.isEmpty());
        const QStringList pages = run("pdftotext", {spooled.first().absoluteFilePath(), "-"}).split(u'\f');
        const QList<QStringList> expected{
            {"Tovanel Pellamar", "Analysis Parameters", "Vector Control, North", "12.0 m"},
            {"Analysis Results", "Sampler Position (m)"},
            {"Deposit Profile", "Density Profile"},
            {"Sample Data", "Corrected", "44.44"}};
        for (int page = 0; page < 4; ++page)
            for (const QString& text : expected[page])
                QVERIFY2(pages.value(page).contains(text),
                         qPrintable(QStringLiteral("page %1: %2").arg(page + 1).arg(text)));
    }
};

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
