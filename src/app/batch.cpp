// pellamar-batch: recomputes and summarises data-set files without a window, exactly as the
// program's own "Load Data Set" and "Save Data Set" would.
#include "batchfiles.h"
#include "core/dataset.h"
#include "datafile/passes.h"
#include "datafile/writer.h"
#include "report/pdf.h"
#include "summary.h"
#include "widths.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <variant>

using namespace pellamar;

namespace {

const char* const kUsage =
    "usage: pellamar-batch recompute IN.csv -o OUT.csv [--racetrack]\n"
    "                      [--deposit-width W] [--density-width W]\n"
    "       pellamar-batch report IN.csv -o OUT.pdf [--racetrack]\n"
    "                      [--deposit-width W] [--density-width W]\n"
    "       pellamar-batch summary FILE.csv... [-o OUT.csv]\n"
    "       pellamar-batch average PASS.csv PASS.csv... -o OUT.csv\n"
    "\n"
    "recompute loads IN as Pellamar's \"Load Data Set\" does, recalculates it and writes OUT\n"
    "as \"Save Data Set\" does (\"-o -\" writes to standard output). report writes the\n"
    "printed report of IN, pans listed, as a PDF. W is a swath width: a width index, 1 to the\n"
    "number of pans in the data range less one, or a length in the file's own unit (m or\n"
    "ft: 30m, 98.4ft) that is a whole number of pan separations; without it the 30 % rule\n"
    "chooses. The flight pattern is back-and-forth unless --racetrack is given.\n"
    "A file with more than 250000 pans in its data range is refused: its swath statistics\n"
    "would take many minutes.\n"
    "\n"
    "summary writes a header and one CSV line per file (Windows-1252, CR LF; atomically to\n"
    "OUT, to standard output without -o or with \"-o -\"): file, units, pans, separation,\n"
    "entered swath width, then for deposit and density, back-and-forth and racetrack, the\n"
    "width the 30 % rule proposes with its COV and mean (empty below 3 pans), then the\n"
    "effective swath at COV limits of 10 to 30 % in the same order (\"Deposit B&F 10 %\"\n"
    "... \"Density Racetrack 30 %\": the widest width meeting each limit, \"none\" where\n"
    "none does); a file that cannot be read gets its message in the last column, Error.\n"
    "\n"
    "average writes the average of 2 to 10 passes over one pan line (the same units, pan 1,\n"
    "separation and opening area) as \"Average Passes\" makes it: per pan the sums of the\n"
    "passes' weights, granules, larvae and dead over the passes' total opening area, so that\n"
    "deposit and density are the passes' means; written as recompute writes.\n"
    "\n"
    "Exit status: 0 done; 1 invalid or damaged file, no sample data, too many pans, or a\n"
    "failed write (summary: any file not read, the others still listed; average: passes\n"
    "that differ); 2 usage error, a width that is not one of the file's, or fewer than 2 or\n"
    "more than 10 passes among them.\n";

int usageError(const QString& problem)
{
    std::fprintf(stderr, "pellamar-batch: %s\n%s", problem.toLocal8Bit().constData(), kUsage);
    return 2;
}

int failure(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

enum class Command { Recompute, Report, Summary, Average };

struct Options {
    Command command = Command::Recompute;
    QStringList inputs;
    QString output;
    bool racetrack = false;
    std::optional<batch::WidthArgument> depositWidth;
    std::optional<batch::WidthArgument> densityWidth;
};

// What the arguments after the command leave unsaid or contradict; empty when nothing.
QString checkOptions(const Options& options)
{
    if (options.inputs.isEmpty()) {
        return QStringLiteral("no input file");
    }
    // Recomputing a file in place is fine; a report or a summary over it would lose it.
    for (const QString& input : options.inputs) {
        if (options.command != Command::Recompute && batch::sameFile(input, options.output)) {
            return QStringLiteral("-o %1 would replace an input file").arg(options.output);
        }
    }
    if (options.command == Command::Summary) {
        return options.racetrack || options.depositWidth || options.densityWidth
                   ? QStringLiteral("summary lists both flight patterns at the widths the 30 % "
                                    "rule proposes; it takes no --racetrack or width")
                   : QString();
    }
    if (options.command == Command::Average) {
        if (options.racetrack || options.depositWidth || options.densityWidth) {
            return QStringLiteral("average takes no --racetrack or width");
        }
        if (options.inputs.size() < datafile::kMinPasses ||
            options.inputs.size() > datafile::kMaxPasses) {
            return QStringLiteral("average takes %1 to %2 passes, not %3")
                .arg(datafile::kMinPasses)
                .arg(datafile::kMaxPasses)
                .arg(options.inputs.size());
        }
    } else if (options.inputs.size() > 1) {
        return QStringLiteral("more than one input file");
    }
    if (options.output.isEmpty()) {
        return options.command == Command::Report
                   ? QStringLiteral("no output file (-o OUT.pdf)")
                   : QStringLiteral("no output file (-o OUT.csv, or -o - for standard output)");
    }
    return {};
}

// Parses the arguments after the command; returns the problem, or an empty string.
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
        auto width = [&](std::optional<batch::WidthArgument>& into) {
            QString text;
            if (!value(text)) {
                return QStringLiteral("%1 needs a swath width").arg(arg);
            }
            into = batch::parseWidthArgument(text);
            return into ? QString()
                        : QStringLiteral("%1 takes a width index or a width with its unit (30m, "
                                         "98.4ft), not %2")
                              .arg(arg, text);
        };
        if (arg == u"-o") {
            if (!value(options.output)) {
                return QStringLiteral("-o needs a file name");
            }
        } else if (arg == u"--racetrack") {
            options.racetrack = true;
        } else if (arg == u"--deposit-width" || arg == u"--density-width") {
            if (QString problem =
                    width(arg == u"--deposit-width" ? options.depositWidth : options.densityWidth);
                !problem.isEmpty()) {
                return problem;
            }
        } else if (arg.startsWith(u'-') && arg != u"-") {
            return QStringLiteral("unknown option %1").arg(arg);
        } else {
            options.inputs << arg;
        }
    }
    return checkOptions(options);
}

// The report as a PDF, through the same drawing as the printer's, written atomically.
int writeReport(const Options& options, const DataSet& dataSet, const swath::SwathChoice& choice)
{
    const QString printing = QStringLiteral("There was an error printing:\n\n");
    if (options.output == u"-") {
        return failure(printing + QStringLiteral("A PDF needs a file name."));
    }
    const std::optional<report::PdfFailure> pdf =
        report::writeReportPdf(options.output, {dataSet, choice});
    if (pdf) {
        return failure(pdf->inFile ? printing + pdf->message : pdf->message);
    }
    return 0;
}

int recompute(const Options& options)
{
    DataSet dataSet;
    if (const QString problem = batch::loadDataFile(options.inputs.first(), dataSet);
        !problem.isEmpty()) {
        return failure(problem);
    }
    swath::SwathChoice choice;
    choice.pattern =
        options.racetrack ? swath::FlightPattern::Racetrack : swath::FlightPattern::BackAndForth;
    for (const auto& [requested, source] :
         {std::pair{options.depositWidth, swath::Source::Deposit},
          std::pair{options.densityWidth, swath::Source::Density}}) {
        if (!requested) {
            continue;
        }
        const std::variant<int, QString> width = batch::resolveWidth(*requested, dataSet);
        if (const QString* problem = std::get_if<QString>(&width)) {
            return usageError(*problem);
        }
        choice.width(source) = std::get<int>(width);
    }

    if (options.command == Command::Report) {
        return writeReport(options, dataSet, choice);
    }
    const QString problem =
        batch::writeOutput(options.output, datafile::dataSetText(dataSet, choice));
    return problem.isEmpty() ? 0 : failure(problem);
}

int average(const Options& options)
{
    auto averaged = datafile::averagePassFiles(options.inputs);
    if (const QString* problem = std::get_if<QString>(&averaged)) {
        return failure(*problem);
    }
    DataSet dataSet;
    datafile::applyDataSet(dataSet, std::get<datafile::AveragedPasses>(averaged).averaged);
    const QString problem =
        batch::writeOutput(options.output, datafile::dataSetText(dataSet, swath::SwathChoice{}));
    return problem.isEmpty() ? 0 : failure(problem);
}

int summary(const Options& options)
{
    const batch::Summary summary = batch::summarise(options.inputs);
    const QString problem = batch::writeOutput(
        options.output.isEmpty() ? QStringLiteral("-") : options.output, summary.text);
    if (!problem.isEmpty()) {
        return failure(problem);
    }
    return summary.failed > 0 ? 1 : 0;
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
    const QStringList commands{QStringLiteral("recompute"), QStringLiteral("report"),
                               QStringLiteral("summary"), QStringLiteral("average")};
    if (args.isEmpty() || !commands.contains(args.first())) {
        return usageError(args.isEmpty() ? QStringLiteral("no command")
                                         : QStringLiteral("unknown command %1").arg(args.first()));
    }
    Options options;
    options.command = static_cast<Command>(commands.indexOf(args.first()));
    if (const QString problem = parseOptions(args.mid(1), options); !problem.isEmpty()) {
        return usageError(problem);
    }
    switch (options.command) {
    case Command::Summary:
        return summary(options);
    case Command::Average:
        return average(options);
    default:
        return recompute(options);
    }
}
