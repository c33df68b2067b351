#include "datafile/reader.h"
#include "support.h"
#include "ui/previewwindow.h"
#include "window.h"

#include <QComboBox>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSpinBox>

using namespace pellamar;
using namespace pellamar::testing;
using pellamar::ui::PreviewWindow;

class TestPreview : public QObject {
    Q_OBJECT
    DataSet dataSet_;
    QString printer_ = QPrinterInfo::defaultPrinterName();
    std::unique_ptr<PreviewWindow> window_;
    bool noPrinter_ = QPrinterInfo::availablePrinterNames().isEmpty();

    void clickTab(int index)
    {
        QTest::mouseClick(window_->tabBar(), Qt::LeftButton, {}, window_->tabBar()->tabRect(index).center());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(datafile::loadDataSet(dataSet_, readTestFile("writer_metric.csv"), "writer_metric").loaded);
    }
    void init()
    {
        window_ = std::make_unique<PreviewWindow>(report::ReportInputs{dataSet_, {}}, printer_, false);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    // Each tab draws its page, with or without a printer; the page scales with the window.
    void tabsDrawTheirPage()
    {
        QImage white(window_->pageImage().size(), window_->pageImage().format());
        white.fill(Qt::white);
        QVERIFY(window_->pageImage() != white);
        QCOMPARE(window_->windowTitle(), "Pellamar - Print");
        QCOMPARE(window_->printerList()->count(), QPrinterInfo::availablePrinterNames().size());
        QCOMPARE(window_->pageImage().size(), QSize(425, 550));
        QCOMPARE(PreviewWindow(report::ReportInputs{dataSet_, {}}, printer_, true).picture()->sizeHint(),
                 QSize(363, 469));
        window_->resize(window_->size() + QSize(300, 300));
        QTRY_COMPARE(window_->pageImage().size(), QSize(657, 850));
        std::array<QImage, 3> pages;
        for (int index : {1, 0, 2}) {
            clickTab(index);
            QCOMPARE(window_->shownPage(), index + 1);
            pages.at(std::size_t(index)) = window_->pageImage();
        }
        QVERIFY(pages[0] != pages[1] && pages[1] != pages[2] && pages[0] != pages[2]);
        // The page keys turn the pages even from the printer list, which would take them; the
        // pans' pages share one tab.
        QCOMPARE(window_->tabBar()->tabText(3), "Sample Data");
        QCOMPARE(window_->pageBox()->maximum(), 4);
        window_->printerList()->setFocus();
        const std::pair<Qt::Key, int> keys[] = {{Qt::Key_End, 4},  {Qt::Key_PageDown, 4}, {Qt::Key_PageUp, 3},
                                                {Qt::Key_Home, 1}, {Qt::Key_PageUp, 1},   {Qt::Key_PageDown, 2}};
        for (auto [key, page] : keys) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QCOMPARE(window_->shownPage(), page);
            QCOMPARE(window_->pageBox()->value(), page);
        }
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QVERIFY(!window_->isVisible());
    }

    void printWithoutPrinterFails()
    {
        if (!noPrinter_) QSKIP("a printer is installed here");
        BoxWatcher boxes;
        window_->printButton()->click();
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.boxes[0].contains("There was an error printing:\n\n"), qPrintable(boxes.boxes[0]));
        QVERIFY(window_->isVisible());
    }

    // Four US-letter pages (the pans on the fourth); a folder that does not exist is said, and nothing is left behind.
    void savePdf()
    {
        QTemporaryDir dir;
        for (const QString& path : {dir.filePath("missing/report.pdf"), dir.filePath("report.pdf")}) {
            window_->setFileChooser([path] { return path; });
            BoxWatcher boxes;
            window_->pdfButton()->click();
            QCOMPARE(boxes.boxes.size(), path.contains("missing") ? 1 : 0);
            QVERIFY(boxes.boxes.isEmpty() || boxes.boxes[0].contains("The report could not be saved as \""));
        }
        QVERIFY(!QFile::exists(dir.filePath("missing")));
        const QString pdf = QString::fromLatin1(fileBytes(dir.filePath("report.pdf")));
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count(QRegularExpression("/Type\\s*/Page\\b")), 4);
        QCOMPARE(pdf.count(QRegularExpression("/MediaBox \\[0 0 612(\\.0*)? 792(\\.0*)?\\]")), 4);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.pdf"});
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
