// pellamar-bench: timings of the operator's actions and of the engines behind them.
#include "fixtures.h"
#include "startup.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], pellamar::bench::kStartupChildArgument) == 0) {
        return pellamar::bench::runStartupChild(argc, argv);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    // The platform's notes (size hints it cannot pass on and the like) would break up the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    pellamar::bench::useOffscreenScreen();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovanel"));
    QApplication::setApplicationName(QStringLiteral("Pellamar"));

    benchmark::RunSpecifiedBenchmarks();
    pellamar::bench::releaseWindow();
    benchmark::Shutdown();
    return 0;
}
