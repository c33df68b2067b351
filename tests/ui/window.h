#pragma once
// The window tests' fixture: a main window on a private settings file, its file dialogs answered
// by the test, and every message box answered and remembered.

#include "core/settings.h"
#include "support.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace pellamar::testing {

// Answers every message box that opens while it lives with the given button (the first one
// when the box has none such), and remembers each as "icon: text". A box nobody expected thus
// fails a comparison instead of waiting for ever.
class BoxWatcher {
public:
    explicit BoxWatcher(QMessageBox::StandardButton answer = QMessageBox::NoButton)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                boxes << text(box->icon(), box->text());
                QAbstractButton* button = box->button(answer);
                (button ? button : box->buttons().constFirst())->click();
            }
        });
        timer_.start();
    }
    static QString text(QMessageBox::Icon icon, const QString& message)
    {
        return QStringLiteral("%1: %2").arg(int(icon)).arg(message);
    }
    QStringList boxes;

private:
    QTimer timer_;
};

struct WindowFixture {
    QTemporaryDir dir;
    std::unique_ptr<IniSettingsStore> store;
    std::unique_ptr<ui::MainWindow> window;
    QString nextFile;         // what the next file dialog answers
    QStringList dialogTitles; // the file dialogs asked for, in order
    ui::MainWindow::FileRequest lastRequest;

    explicit WindowFixture(const QString& settingsFile = {}, int screenHeight = 1080)
        : store(std::make_unique<IniSettingsStore>(settingsFile.isEmpty() ? dir.filePath(QStringLiteral("settings.ini"))
                                                                          : settingsFile))
    {
        open(screenHeight);
    }
    void open(int screenHeight = 1080)
    {
        window = std::make_unique<ui::MainWindow>(*store, readMetric(*store), screenHeight);
        window->setFileChooser([this](const ui::MainWindow::FileRequest& request) {
            dialogTitles << request.title;
            lastRequest = request;
            return nextFile;
        });
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    DataSet& ds() { return window->dataSet(); }
    // A weight in row 1 and a granule count in row 3.
    void fillSomeData()
    {
        ds().setInput(1, ColWeight, QStringLiteral("2"));
        ds().setInput(3, ColGranules, QStringLiteral("40"));
        ds().calculateResults(0);
    }
    QString file(const QString& name) const { return dir.filePath(name); }
};

// Types into whatever has the focus, then presses Enter.
inline void typeAndEnter(const QString& text)
{
    QCoreApplication::processEvents();
    if (!text.isEmpty()) QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

} // namespace pellamar::testing
