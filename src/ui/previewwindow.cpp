#include "ui/previewwindow.h"

#include "graphics/paintersurface.h"
#include "report/pdf.h"
#include "report/sampledata.h"
#include "ui/feedback.h"
#include "ui/onscreen.h"
#include "ui/savedialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace pellamar::ui {

namespace {

const QString kCaption = QStringLiteral("Pellamar - Print");
// A step past any page: Home and End go to the first and the last page.
constexpr int kLastPage = 1 << 30;

// A name the print queue can tell apart from the jobs sent before it.
QString jobName()
{
    return QStringLiteral("Pellamar report ") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

} // namespace

QString pdfFailureMessage(const QString& path, const report::PdfFailure& failure)
{
    return failure.inFile ? notSaved(QStringLiteral("The report"), path, failure.message)
                          : failure.message;
}

bool writeReportPdf(const QString& path, const report::ReportInputs& inputs, QString* error,
                    const std::function<void(const QString& caption)>& progress)
{
    const std::optional<report::PdfFailure> failure =
        report::writeReportPdf(path, inputs, progress);
    if (failure && error) {
        *error = pdfFailureMessage(path, *failure);
    }
    return !failure;
}

PreviewWindow::PreviewWindow(const report::ReportInputs& inputs, QString& currentPrinter,
                             bool compact, QWidget* parent)
    : QDialog(parent)
    , inputs_(inputs)
    , currentPrinter_(currentPrinter)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(kCaption);

    auto* label = new QLabel(QStringLiteral("Printer:"), this);
    printers_ = new QComboBox(this);
    printers_->setMinimumContentsLength(20);
    label->setBuddy(printers_);
    print_ = new QPushButton(QStringLiteral("Print"), this);
    pdf_ = new QPushButton(QStringLiteral("Save as PDF\u2026"), this);
    // Enter in the list must not start a print job by itself.
    print_->setAutoDefault(false);
    pdf_->setAutoDefault(false);

    buildPageChoice();

    picture_ = new PagePicture(compact ? QSize(kCompactPictureWidth, kCompactPictureHeight)
                                       : QSize(kPictureWidth, kPictureHeight),
                               this);
    connect(picture_, &PagePicture::resized, this, [this] {
        if (drawnPage_ > 0) {
            drawPage(drawnPage_);
        }
    });

    auto* pageLabel = new QLabel(QStringLiteral("Pa&ge:"), this);
    pageLabel->setBuddy(pageBox_);
    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(printers_, 1);
    top->addWidget(print_);
    top->addWidget(pdf_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(5);
    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(tabs_, 1);
    pageRow->addWidget(pageLabel);
    pageRow->addWidget(pageBox_);
    layout->addLayout(pageRow);
    layout->setSpacing(0);
    layout->addWidget(picture_, 1);
    // The full default size, as far as the screen has room for it.
    resize(sizeHint().boundedTo(screen()->availableSize()));

    // The last entry matching the current printer is chosen; the first one when none does.
    const QStringList names = QPrinterInfo::availablePrinterNames();
    int chosen = 0;
    for (int i = 0; i < names.size(); ++i) {
        printers_->addItem(names.at(i));
        if (names.at(i).compare(currentPrinter_, Qt::CaseInsensitive) == 0) {
            chosen = i;
        }
    }
    if (!names.isEmpty()) {
        printers_->setCurrentIndex(chosen);
        printerChosen(chosen);
    } else {
        // Without a printer the pages are still worth seeing: they are the ones "Save as PDF"
        // writes.
        drawPage(1);
    }

    connect(printers_, &QComboBox::activated, this, &PreviewWindow::printerChosen);
    // A click on the tab already selected still draws it when it was never drawn by a click.
    connect(tabs_, &QTabBar::tabBarClicked, this, &PreviewWindow::tabChosen);
    connect(tabs_, &QTabBar::currentChanged, this, &PreviewWindow::tabChosen);
    connect(print_, &QPushButton::clicked, this, &PreviewWindow::print);
    connect(pdf_, &QPushButton::clicked, this, &PreviewWindow::saveAsPdf);
}

// A tab for each of the three pages and one for the pans' pages, which may run to thousands (a
// tab bar of thousands of tabs takes seconds to build); the page box reaches every page.
void PreviewWindow::buildPageChoice()
{
    pageCount_ = report::reportPageCount(inputs_.dataSet);
    tabs_ = new QTabBar(this);
    for (int n = 1; n <= report::kFixedPages; ++n) {
        tabs_->addTab(QStringLiteral("Page %1").arg(n));
    }
    if (pageCount_ > report::kFixedPages) {
        tabs_->addTab(QStringLiteral("Sample Data"));
    }
    tabs_->setExpanding(false);
    pageBox_ = new QSpinBox(this);
    pageBox_->setRange(1, pageCount_);
    pageBox_->setSuffix(QStringLiteral(" of %1").arg(pageCount_));
    // A page number being typed is drawn once it is complete, not digit by digit.
    pageBox_->setKeyboardTracking(false);
    connect(pageBox_, &QSpinBox::valueChanged, this, &PreviewWindow::showPage);
    // Whatever has the focus, the page keys turn the pages; the printer list would otherwise
    // take them as a change of printer.
    const std::array<std::pair<Qt::Key, int>, 4> keys{{{Qt::Key_PageUp, -1},
                                                       {Qt::Key_PageDown, 1},
                                                       {Qt::Key_Home, -kLastPage},
                                                       {Qt::Key_End, kLastPage}}};
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] {
            showPage(std::clamp(std::max(drawnPage_, 1) + step, 1, pageCount_));
        });
    }
}

int PreviewWindow::tabOf(int page) const
{
    return page < 1 ? -1 : std::min(page, tabs_->count()) - 1;
}

void PreviewWindow::showPage(int page)
{
    if (page == shownPage_ && page == drawnPage_) {
        return;
    }
    shownPage_ = page;
    const QSignalBlocker tabsQuiet(tabs_);
    const QSignalBlocker boxQuiet(pageBox_);
    tabs_->setCurrentIndex(tabOf(page));
    pageBox_->setValue(page);
    drawPage(page);
}

void PreviewWindow::printerChosen(int index)
{
    if (index < 0) {
        return;
    }
    currentPrinter_ = printers_->itemText(index);
    drawPage(std::max(drawnPage_, 1));
}

void PreviewWindow::tabChosen(int index)
{
    if (index < 0 || index == tabOf(shownPage_)) {
        return;
    }
    showPage(index + 1);
}

void PreviewWindow::drawPage(int page)
{
    drawnPage_ = page;
    if (image_.size() != picture_->pageSize()) {
        image_ = QImage(picture_->pageSize(), QImage::Format_RGB32);
        // The screen's resolution, so that the report's fonts shrink as they would on screen.
        const auto dotsPerMeter = static_cast<int>(std::lround(logicalDpiX() / 0.0254));
        image_.setDotsPerMeterX(dotsPerMeter);
        image_.setDotsPerMeterY(dotsPerMeter);
    }
    image_.fill(Qt::white);
    QString error;
    bool drawn = true;
    {
        graphics::PainterSurface surface(image_);
        drawn = report::printReport(surface, false, page, inputs_, &error,
                                    [this](const QString& caption) { setCaption(caption); });
    }
    picture_->setImage(image_);
    if (!drawn) {
        showMessage(error);
    }
}

bool PreviewWindow::print()
{
    QString error;
    bool printed = false;
    if (printers_->currentIndex() < 0) {
        // Without a printer the job would vanish unseen; say so instead.
        error = QStringLiteral("There was an error printing:\n\nNo printer is installed.");
        setCaption(kCaption);
    } else {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printers_->currentText());
        printer.setFullPage(true);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setDocName(jobName());
        graphics::PainterSurface surface(printer);
        printed = report::printReport(surface, true, 0, inputs_, &error,
                                      [this](const QString& caption) { setCaption(caption); });
    }
    if (!printed) {
        showMessage(error);
        return false;
    }
    accept();
    return true;
}

bool PreviewWindow::saveAsPdf()
{
    QString path;
    if (chooser_) {
        path = chooser_();
    } else {
        path = askSaveFile(this, QStringLiteral("Save Report as PDF"),
                           {QStringLiteral("PDF files (*.pdf)")}, pdfName_);
    }
    if (path.isEmpty()) {
        return false;
    }
    QString error;
    if (!writePdf(path, &error)) {
        showMessage(error);
        return false;
    }
    return true;
}

bool PreviewWindow::writePdf(const QString& path, QString* error)
{
    const bool written = writeReportPdf(path, inputs_, error,
                                        [this](const QString& caption) { setCaption(caption); });
    setCaption(kCaption);
    return written;
}

PagePicture::PagePicture(QSize defaultSize, QWidget* parent)
    : QWidget(parent)
    , default_(defaultSize)
{
    setMinimumSize(defaultSize / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize PagePicture::pageSize() const
{
    const QSize room = size() - QSize(2, 2);
    const int width = std::min(room.width(), int(std::lround(room.height() * 8.5 / 11.0)));
    return {std::max(width, 1),
            std::clamp(int(std::lround(width * 11.0 / 8.5)), 1, std::max(room.height(), 1))};
}

void PagePicture::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void PagePicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QPoint corner((width() - image_.width() - 2) / 2, 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(QRect(corner, image_.size() + QSize(1, 1)));
    painter.drawImage(corner + QPoint(1, 1), image_);
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The title bar comes on top of the size the window was given.
    keepOnScreen(this);
}

void PagePicture::resizeEvent(QResizeEvent*)
{
    emit resized();
}

void PreviewWindow::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, kProgramName, text, QMessageBox::Ok, this);
    box.exec();
}

} // namespace pellamar::ui
