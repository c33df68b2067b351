// Start-up to the first shown window, as the operator waits for it: a fresh process each time.
#include "core/settings.h"
#include "fixtures.h"
#include "startup.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace pellamar::bench {

namespace {

// Ends the event loop on the pass after the window's first exposure, once it has been painted.
class FirstExposure : public QObject {
public:
    explicit FirstExposure(const QWidget& window)
        : window_(window)
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!seen_ && event->type() == QEvent::Expose && watched == window_.windowHandle() &&
            window_.windowHandle()->isExposed()) {
            seen_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    const QWidget& window_;
    bool seen_ = false;
};

} // namespace

void useOffscreenScreen()
{
    const QString config = scratchPath(QStringLiteral("offscreen-screen.json"));
    QFile file(config);
    if (!file.exists()) {
        const QByteArray json = QStringLiteral(R"({"screens": [{"name": "Bench", "x": 0, "y": 0,
            "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                                    .arg(kScreen.width())
                                    .arg(kScreen.height())
                                    .toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size()) {
            qFatal("pellamar-bench: cannot write %s", qPrintable(config));
        }
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
}

int runStartupChild(int argc, char* argv[])
{
    // As the program's own main(), up to the first shown window.
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovanel"));
    QApplication::setApplicationName(QStringLiteral("Pellamar"));

    IniSettingsStore settings;
    const bool metric = readMetric(settings);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ui::MainWindow window(settings, metric, screen.height());
    FirstExposure watch(window);
    app.installEventFilter(&watch);
    window.show();
    // A window that never shows must not hang the run.
    QTimer::singleShot(30000, &app, [] {
        std::fputs("pellamar-bench: the window was never exposed\n", stderr);
        QCoreApplication::exit(3);
    });
    return app.exec();
}

namespace {

void BM_StartupToFirstWindow(benchmark::State& state)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A settings folder of its own, as on a first start, never the user's.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratchPath(QStringLiteral("startup")));
    const QString program = QCoreApplication::applicationFilePath();
    for (auto _ : state) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProgram(program);
        child.setArguments({QString::fromLatin1(kStartupChildArgument)});
        QElapsedTimer clock;
        clock.start();
        child.start();
        const bool finished = child.waitForFinished(60000);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "%s\n", child.readAllStandardError().constData());
            state.SkipWithError("the start-up child failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StartupToFirstWindow)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pellamar::bench
