#pragma once

#include "report/pdf.h"
#include "report/report.h"

#include <QDialog>
#include <QImage>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabBar;

namespace pellamar::ui {

// The page picture: the page keeps the letter page's proportions at whatever size the window
// gives it, inside a one-pixel frame.
class PagePicture : public QWidget {
    Q_OBJECT
public:
    PagePicture(QSize defaultSize, QWidget* parent);
    QSize sizeHint() const override { return default_; }
    // The page's pixels at the current size, frame excluded.
    QSize pageSize() const;
    void setImage(const QImage& image);

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize default_;
    QImage image_;
};

// What the operator is told when the report's PDF file was not written.
QString pdfFailureMessage(const QString& path, const report::PdfFailure& failure);

// Writes the report as a PDF file, which is replaced only when the whole document was written;
// false with the message for the operator in error.
bool writeReportPdf(const QString& path, const report::ReportInputs& inputs, QString* error,
                    const std::function<void(const QString& caption)>& progress = {});

// The print window: shows the report one page at a time (tabs for the three pages and the pans'
// pages, a page box for any page; Page Up, Page Down, Home and End turn them), chooses the
// printer, prints, and saves the same pages as a PDF file.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    // The picture's default size, border included: the page at 50 pixels per inch plus a
    // one-pixel frame. The window may be resized; the page scales with it.
    static constexpr int kPictureWidth = 427;
    static constexpr int kPictureHeight = 552;
    static constexpr int kCompactPictureWidth = 363;
    static constexpr int kCompactPictureHeight = 469;

    // currentPrinter is the printer kept for the run; choosing one in the list replaces it.
    PreviewWindow(const report::ReportInputs& inputs, QString& currentPrinter, bool compact,
                  QWidget* parent = nullptr);

    // Asks for the PDF file's name; empty when the operator cancels. Tests put their own here.
    using FileChooser = std::function<QString()>;
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // The file the PDF dialog proposes.
    void setPdfName(const QString& path) { pdfName_ = path; }

    // Prints all pages to the chosen printer; the window closes only when that succeeded.
    bool print();
    // Asks for a file name and writes the report there; false when cancelled or failed.
    bool saveAsPdf();
    // Writes the report as PDF; the file is replaced only when the whole document was written.
    bool writePdf(const QString& path, QString* error);

    QComboBox* printerList() const { return printers_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* pdfButton() const { return pdf_; }
    QTabBar* tabBar() const { return tabs_; }
    QSpinBox* pageBox() const { return pageBox_; }
    PagePicture* picture() const { return picture_; }
    const QImage& pageImage() const { return image_; }
    int shownPage() const { return shownPage_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildPageChoice();
    int tabOf(int page) const;
    void showPage(int page);
    void printerChosen(int index);
    void tabChosen(int index);
    void drawPage(int page);
    void showMessage(const QString& text);
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    report::ReportInputs inputs_;
    QString& currentPrinter_;
    QComboBox* printers_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* pdf_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    int pageCount_ = 0;
    PagePicture* picture_ = nullptr;
    QImage image_;
    int shownPage_ = 0;
    int drawnPage_ = 0;
    FileChooser chooser_;
    QString pdfName_;
};

} // namespace pellamar::ui
