// Prints the report through a private CUPS scheduler to a PDF queue and looks at what came out.
#include "core/dataset.h"
#include "datafile/reader.h"
#include "ui/previewwindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QTest>
#include <unistd.h>

using namespace pellamar;

namespace {

const QString kQueue = QStringLiteral("PELLAMARCI");
const QString kOut = QStringLiteral("/var/spool/cups-pdf/PELLAMARCI");

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    if (exitCode) {
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

bool schedulerRunning()
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-r")})
        .contains(QStringLiteral("scheduler is running"));
}

} // namespace

class TestCupsPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void printsThreeLetterPages();

private:
    QProcess* scheduler_ = nullptr; // ours, only when none was running
};

void TestCupsPrint::initTestCase()
{
    if (geteuid() != 0) {
        QSKIP("Starting a private CUPS scheduler needs root; not run.");
    }
    if (!QFile::exists(QStringLiteral("/usr/sbin/cupsd")) ||
        !QFile::exists(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"))) {
        QSKIP("cups and printer-driver-cups-pdf are not installed; not run.");
    }
    if (!schedulerRunning()) {
        scheduler_ = new QProcess(this);
        scheduler_->start(QStringLiteral("/usr/sbin/cupsd"), {QStringLiteral("-f")});
        QElapsedTimer waited;
        waited.start();
        while (!schedulerRunning() && waited.elapsed() < 15000) {
            QTest::qWait(100);
        }
        if (!schedulerRunning()) {
            QSKIP("The CUPS scheduler could not be started here; not run.");
        }
    }
    QDir().mkpath(kOut);
    QDir(kOut).removeRecursively();
    QDir().mkpath(kOut);
    QFile conf(QStringLiteral("/etc/cups/cups-pdf-pellamarci.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(("Out " + kOut + "\nTitlePref 1\nLabel 0\nUserUMask 0022\nGrp lpadmin\n").toUtf8());
    conf.close();
    int code = 0;
    const QString output =
        run(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
             QStringLiteral("cups-pdf:/pellamarci"), QStringLiteral("-P"),
             QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd")},
            &code);
    QVERIFY2(code == 0, qPrintable(output));
}

void TestCupsPrint::cleanupTestCase()
{
    if (geteuid() == 0 && schedulerRunning()) {
        run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), kQueue});
    }
    QFile::remove(QStringLiteral("/etc/cups/cups-pdf-pellamarci.conf"));
    if (scheduler_) {
        scheduler_->terminate();
        scheduler_->waitForFinished(10000);
    }
}

void TestCupsPrint::printsThreeLetterPages()
{
    QTRY_VERIFY_WITH_TIMEOUT(QPrinterInfo::availablePrinterNames().contains(kQueue), 10000);

    DataSet ds;
    ds.applyUnits();
    ds.clearDataSet({});
    QFile file(QStringLiteral(PELLAMAR_TEST_DATA "/writer_metric.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(datafile::loadDataSet(ds, file.readAll(), QStringLiteral("x"), {}).loaded);

    QString printer = kQueue;
    ui::PreviewWindow preview({ds, {}}, printer, false);
    preview.show();
    QCOMPARE(preview.printerList()->currentText(), kQueue);
    QVERIFY(preview.print());

    // The queue writes its PDF a little later.
    QString pdf;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QStringList files = QDir(kOut).entryList({QStringLiteral("*.pdf")});
            if (files.isEmpty()) {
                return false;
            }
            pdf = kOut + u'/' + files.first();
            int code = 0;
            run(QStringLiteral("pdfinfo"), {pdf}, &code);
            return code == 0;
        }(),
        30000);
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("612 x 792 pts")), qPrintable(info));

    // Ink on every page.
    const QString prefix = QDir::temp().filePath(QStringLiteral("pellamar-cups-page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), pdf, prefix});
    for (int page = 1; page <= 3; ++page) {
        const QImage image(QStringLiteral("%1-%2.png").arg(prefix).arg(page));
        QVERIFY2(!image.isNull(), qPrintable(QStringLiteral("page %1 missing").arg(page)));
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        QVERIFY2(dark > 20, qPrintable(QStringLiteral("page %1 is blank").arg(page)));
        QFile::remove(QStringLiteral("%1-%2.png").arg(prefix).arg(page));
    }

    // The job as the printing system received it still holds the texts.
    const QFileInfoList spooled =
        QDir(QStringLiteral("/var/spool/cups"))
            .entryInfoList({QStringLiteral("d*-001")}, QDir::Files, QDir::Time);
    QVERIFY(!spooled.isEmpty());
    const QString text =
        run(QStringLiteral("pdftotext"), {spooled.first().absoluteFilePath(), QStringLiteral("-")});
    for (const char* expected :
         {"Tovanel Pellamar", "Analysis Parameters", "Analysis Results", "Deposit Profile",
          "Density Profile", "Vector Control, North", "AT-402", "12.0 m", "Square"}) {
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
