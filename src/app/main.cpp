#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovanel"));
    QApplication::setApplicationName(QStringLiteral("Pellamar"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tovanel Pellamar"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
