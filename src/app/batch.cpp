// pellamar-batch: recomputes data-set files without a window, exactly as the program's own
// "Load Data Set" and "Save Data Set" would.
#include "core/dataset.h"
#include "datafile/cp1252.h"
#include "datafile/reader.h"
#include "datafile/writer.h"
#include "graphics/paintersurface.h"
#include "report/report.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QSaveFile>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

using namespace pellamar;

namespace {

const char* const kUsage =
    "usage: pellamar-batch recompute IN.csv -o OUT.csv [--racetrack]\n"
    "                      [--deposit-width J] [--density-width J]\n"
    "       pellamar-batch report IN.csv -o OUT.pdf [--racetrack]\n"
    "                      [--deposit-width J] [--density-width J]\n"
    "\n"
    "recompute loads IN as Pellamar's \"Load Data Set\" does, recalculates it and writes OUT\n"
    "as \"Save Data Set\" does (\"-o -\" writes to standard output). report writes the\n"
    "three-page printed report of IN as a PDF. J is a swath width index, 1 to the number of\n"
    "pans in the data range less one; without it the 30 % rule chooses. The flight pattern\n"
    "is back-and-forth unless --racetrack is given.\n"
    "\n"
    "Exit status: 0 done; 1 invalid or damaged file, no sample data, or a failed write;\n"
    "2 usage error.\n";

int usageError(const QString& problem)
{
    std::fprintf(stderr, "pellamar-batch: %s\n%s", qPrintable(problem), kUsage);
    return 2;
}

int failure(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

struct Options {
    bool report = false;
    QString input;
    QString output;
    bool racetrack = false;
    std::optional<int> depositWidth;
    std::optional<int> densityWidth;
};

// Parses the arguments after "recompute"; returns the problem, or an empty string.
QString parseOptions(const QStringList& args, Options& options)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size()) {
                return false;
            }
            into = args[++i];
            return true;
        };
        auto width = [&](std::optional<int>& into) {
            QString text;
            bool ok = false;
            if (!value(text)) {
                return false;
            }
            const int j = text.toInt(&ok);
            into = ok ? std::optional<int>(j) : std::optional<int>(0);
            return true;
        };
        if (arg == u"-o") {
            if (!value(options.output)) {
                return QStringLiteral("-o needs a file name");
            }
        } else if (arg == u"--racetrack") {
            options.racetrack = true;
        } else if (arg == u"--deposit-width") {
            if (!width(options.depositWidth)) {
                return QStringLiteral("--deposit-width needs a width index");
            }
        } else if (arg == u"--density-width") {
            if (!width(options.densityWidth)) {
                return QStringLiteral("--density-width needs a width index");
            }
        } else if (arg.startsWith(u'-') && arg != u"-") {
            return QStringLiteral("unknown option %1").arg(arg);
        } else if (options.input.isEmpty()) {
            options.input = arg;
        } else {
            return QStringLiteral("more than one input file");
        }
    }
    if (options.input.isEmpty()) {
        return QStringLiteral("no input file");
    }
    if (options.output.isEmpty()) {
        return options.report
                   ? QStringLiteral("no output file (-o OUT.pdf)")
                   : QStringLiteral("no output file (-o OUT.csv, or -o - for standard output)");
    }
    return {};
}

// The report as a PDF, through the same drawing as the printer's, written atomically.
int writeReport(const Options& options, const DataSet& dataSet, const swath::SwathChoice& choice)
{
    QSaveFile file(options.output);
    if (options.output == u"-" || !file.open(QIODevice::WriteOnly)) {
        return failure(QStringLiteral("There was an error printing:\n\n") +
                       (options.output == u"-" ? QStringLiteral("A PDF needs a file name.")
                                               : file.errorString()));
    }
    QString error;
    {
        QPdfWriter pdf(&file);
        report::setUpPdf(pdf);
        graphics::PainterSurface surface(pdf);
        if (!report::printReport(surface, true, 0, {dataSet, choice}, &error)) {
            file.cancelWriting();
            return failure(error);
        }
    }
    if (!file.commit()) {
        return failure(QStringLiteral("There was an error printing:\n\n") + file.errorString());
    }
    return 0;
}

int recompute(const Options& options)
{
    QFile in(options.input);
    if (!in.open(QIODevice::ReadOnly)) {
        return failure(datafile::damagedFileMessage(in.errorString()));
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        return failure(datafile::damagedFileMessage(in.errorString()));
    }

    // The file carries its own sampler line, so the user's settings play no part.
    DataSet dataSet;
    dataSet.applyUnits();
    dataSet.clearDataSet(SamplerSettings{});
    const datafile::LoadOutcome loaded =
        datafile::loadDataSet(dataSet, bytes, QFileInfo(options.input).fileName(), {});
    if (!loaded.loaded) {
        return failure(loaded.message);
    }
    if (dataSet.lastDataRow() == 0) {
        return failure(
            QStringLiteral("'%1' holds no sample data.").arg(QFileInfo(options.input).fileName()));
    }

    const int widths = std::max(dataSet.lastDataRow() - dataSet.firstDataRow(), 1);
    swath::SwathChoice choice;
    choice.pattern =
        options.racetrack ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth;
    for (auto [requested, source] : {std::pair{options.depositWidth, swath::Source::Deposit},
                                     std::pair{options.densityWidth, swath::Source::Density}}) {
        if (!requested) {
            continue;
        }
        if (*requested < 1 || *requested > widths) {
            return usageError(
                QStringLiteral("a width index must lie between 1 and %1 for this file")
                    .arg(widths));
        }
        choice.width(source) = *requested;
    }

    if (options.report) {
        return writeReport(options, dataSet, choice);
    }
    if (options.output == u"-") {
        const QByteArray out = datafile::encodeCp1252(datafile::dataSetText(dataSet, choice)).bytes;
        if (std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout) !=
                static_cast<std::size_t>(out.size()) ||
            std::fflush(stdout) != 0) {
            return failure(
                datafile::saveErrorMessage(QStringLiteral("Could not write to standard output.")));
        }
        return 0;
    }
    const datafile::SaveOutcome saved = datafile::saveDataSet(options.output, dataSet, choice);
    if (!saved.saved) {
        return failure(saved.message);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // The tool speaks through its own messages and exit status; the toolkit's notes (about
    // the runtime folder and the like) would only muddle standard error.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    const bool report = argc > 1 && std::strcmp(argv[1], "report") == 0;
    // Fonts need a GUI application for the report, though nothing is shown.
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> app = report ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.isEmpty() || (args.first() != u"recompute" && args.first() != u"report")) {
        return usageError(args.isEmpty() ? QStringLiteral("no command")
                                         : QStringLiteral("unknown command %1").arg(args.first()));
    }
    Options options;
    options.report = args.first() == u"report";
    if (const QString problem = parseOptions(args.mid(1), options); !problem.isEmpty()) {
        return usageError(problem);
    }
    return recompute(options);
}
