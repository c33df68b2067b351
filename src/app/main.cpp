#include "core/settings.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovanel"));
    QApplication::setApplicationName(QStringLiteral("Pellamar"));

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
