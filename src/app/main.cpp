#include "core/settings.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char* const kUsage =
    "usage: pellamar [FILE.csv]\n"
    "       pellamar --version | --help\n"
    "\n"
    "Starts Pellamar; a FILE.csv named here is opened as \"Load Data Set\" would open it.\n"
    "Qt's own options, such as -platform NAME or -style NAME, may be given as well.\n";

// Answered before any window system is reached, so they work without a display.
std::optional<int> answerWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("Pellamar " PELLAMAR_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    return std::nullopt;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/" PELLAMAR_APP_ID ".png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const std::optional<int> answered = answerWithoutWindow(argc, argv)) {
        return *answered;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovanel"));
    QApplication::setApplicationName(QStringLiteral("Pellamar"));
    QApplication::setApplicationVersion(QStringLiteral(PELLAMAR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PELLAMAR_APP_ID));
    QApplication::setWindowIcon(applicationIcon());

    pellamar::IniSettingsStore settings;
    const bool metric = pellamar::readMetric(settings);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (screen.height() < 600) {
        // There is no display settings page to open here: OK simply goes on.
        const auto answer =
            QMessageBox::warning(nullptr, QStringLiteral("Pellamar"),
                                 pellamar::ui::screenWarningText(screen.width(), screen.height()),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
        if (answer != QMessageBox::Ok) {
            return 0;
        }
    }

    pellamar::ui::MainWindow window(settings, metric, screen.height());
    window.show();
    if (const QStringList args = QApplication::arguments(); args.size() > 1) {
        window.loadFile(args.at(1));
    }
    if (screen.height() < pellamar::ui::MainWindow::kCompactBelow) {
        window.move(window.x(), screen.top());
    }
    return app.exec();
}
