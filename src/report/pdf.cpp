#include "report/pdf.h"

#include "graphics/paintersurface.h"

#include <QPdfWriter>
#include <QSaveFile>

namespace pellamar::report {

std::optional<PdfFailure> writeReportPdf(const QString& path, const ReportInputs& inputs,
                                         const std::function<void(const QString&)>& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return PdfFailure{true, file.errorString()};
    }
    QString failure;
    bool drawn = false;
    {
        // The writer finishes the document when it goes, before the file is committed.
        QPdfWriter writer(&file);
        setUpPdf(writer);
        graphics::PainterSurface surface(writer);
        drawn = printReport(surface, true, 0, inputs, &failure, progress);
    }
    if (!drawn) {
        file.cancelWriting();
        return PdfFailure{false, failure};
    }
    if (!file.commit()) {
        return PdfFailure{true, file.errorString()};
    }
    return std::nullopt;
}

} // namespace pellamar::report
