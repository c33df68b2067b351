#pragma once

#include "report/report.h"

#include <QString>
#include <functional>
#include <optional>

namespace pellamar::report {

// Why the report's PDF file was not written: the file's own reason when it could not be opened
// or completed (each caller words it for its reader), or the drawing's message for the user.
struct PdfFailure {
    bool inFile = false;
    QString message;
};

// Writes the report's pages as a PDF file, through the drawing the printer gets; the file
// is replaced only when the whole document was written. Nothing on success.
std::optional<PdfFailure>
writeReportPdf(const QString& path, const ReportInputs& inputs,
               const std::function<void(const QString& caption)>& progress = {});

} // namespace pellamar::report
