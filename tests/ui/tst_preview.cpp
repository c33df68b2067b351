#include "datafile/reader.h"
#include "ui/previewwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace pellamar;
using pellamar::ui::PreviewWindow;

class TestPreview : public QObject {
    Q_OBJECT

    DataSet dataSet_;
    QString printer_ = QPrinterInfo::defaultPrinterName();
    std::unique_ptr<PreviewWindow> window_;

    void clickTab(int index)
    {
        QTest::mouseClick(window_->tabBar(), Qt::LeftButton, {},
                          window_->tabBar()->tabRect(index).center());
    }
    // Answers the next message box with OK and hands back its text.
    static void answerBox(QString* text)
    {
        QTimer::singleShot(0, [text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box) {
                *text = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
    }

private slots:
    void initTestCase()
    {
        QFile file(QStringLiteral(PELLAMAR_TEST_DATA "/writer_metric.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(datafile::loadDataSet(dataSet_, file.readAll(), "writer_metric", {}).loaded);
        // The no-printer case is what this machine offers.
        QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
    }
    void init()
    {
        window_ =
            std::make_unique<PreviewWindow>(report::ReportInputs{dataSet_, {}}, printer_, false);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void opensBlankWithoutPrinter()
    {
        QCOMPARE(window_->windowTitle(), "Pellamar - Print");
        QCOMPARE(window_->printerList()->count(), 0);
        QCOMPARE(window_->picture()->size(), QSize(427, 552));
        QImage white(window_->pageImage().size(), window_->pageImage().format());
        white.fill(Qt::white);
        QCOMPARE(window_->pageImage(), white);
        QCOMPARE(
            PreviewWindow(report::ReportInputs{dataSet_, {}}, printer_, true).picture()->size(),
            QSize(363, 469));
    }

    void tabsDrawTheirPage()
    {
        std::array<QImage, 3> pages;
        for (int index : {1, 0, 2}) {
            clickTab(index);
            QCOMPARE(window_->shownPage(), index + 1);
            pages.at(static_cast<std::size_t>(index)) = window_->pageImage();
        }
        QVERIFY(pages[0] != pages[1] && pages[1] != pages[2] && pages[0] != pages[2]);
        clickTab(0);
        QCOMPARE(window_->pageImage(), pages[0]);
        QCOMPARE(window_->windowTitle(), "Pellamar - Print");
    }

    void escapeCloses()
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window_.get(), Qt::Key_Escape);
        QVERIFY(!window_->isVisible());
    }

    void printWithoutPrinterFails()
    {
        QString message;
        answerBox(&message);
        window_->printButton()->click();
        QVERIFY2(message.startsWith("There was an error printing:\n\n"), qPrintable(message));
        QVERIFY(window_->isVisible());
    }

    void savePdf_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("written") << true;
        QTest::newRow("missing folder") << false;
    }
    void savePdf()
    {
        QFETCH(bool, folderExists);
        QTemporaryDir dir;
        const QString path =
            dir.path() + (folderExists ? QString() : QStringLiteral("/missing")) + "/report.pdf";
        window_->setFileChooser([path] { return path; });
        QString message;
        answerBox(&message);
        window_->pdfButton()->click();
        QFile file(path);
        if (!folderExists) {
            QVERIFY(message.startsWith("The report could not be saved as PDF:"));
            QVERIFY(!file.exists());
            return;
        }
        QVERIFY(message.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString pdf = QString::fromLatin1(file.readAll());
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count(QRegularExpression("/Type\\s*/Page\\b")), 3);
        QCOMPARE(pdf.count(QRegularExpression("/MediaBox \\[0 0 612(\\.0*)? 792(\\.0*)?\\]")), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.pdf"});
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
