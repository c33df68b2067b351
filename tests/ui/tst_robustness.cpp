#include "../datafile/readonly_folder.h"
#include "core/settings.h"
#include "datafile/writer.h"
#include "graphics/paintersurface.h"
#include "graphics/recordingsurface.h"
#include "report/report.h"
#include "ui/mainwindow.h"
#include "ui/parameterpages.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace pellamar;
using namespace pellamar::ui;

namespace {

const QList<Field> kTextFields{Field::Agency, Field::Sprayer, Field::ProductName};

// Answers every message box that opens while it lives, and remembers each one.
class BoxWatcher {
public:
    BoxWatcher()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                boxes << QStringLiteral("%1: %2").arg(int(box->icon())).arg(box->text());
                box->buttons().constFirst()->click();
            }
        });
        timer_.start();
    }
    QStringList boxes; // "icon: text"

private:
    QTimer timer_;
};

QString boxText(QMessageBox::Icon icon, const QString& text)
{
    return QStringLiteral("%1: %2").arg(int(icon)).arg(text);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList allCells(const DataSet& ds)
{
    QStringList cells;
    for (int r = 1; r <= ds.dataRowCount(); ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            cells << ds.cell(r, c);
        }
    }
    for (int f = 0; f < kFieldCount; ++f) {
        cells << ds.fieldText(static_cast<Field>(f));
    }
    return cells;
}

// Pastes into a parameter field as the operator would, then leaves it so that it is taken.
void paste(MainWindow& window, Field field, const QString& text)
{
    ParameterPages* pages = window.parameterPages();
    pages->selectPage(field == Field::ProductName ? ParameterPages::ProductPage
                                                  : ParameterPages::SprayerPage);
    QLineEdit* edit = pages->field(field);
    edit->setFocus();
    QCoreApplication::processEvents();
    edit->selectAll();
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Tab);
}

enum class Settings { None, RandomBytes, HugeLine, InvalidUtf8, Nonsense, FolderInPlace };

} // namespace

Q_DECLARE_METATYPE(Settings)

class TestRobustness : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void replacedCharactersToldOnce_data();
    void replacedCharactersToldOnce();
    void longTexts();
    void startsFromUnusableSettings_data();
    void startsFromUnusableSettings();

private:
    void openWindow(SettingsStore& store);
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<IniSettingsStore> store_;
    std::unique_ptr<MainWindow> window_;
    QString nextFile_;
};

void TestRobustness::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<IniSettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
}

void TestRobustness::cleanup()
{
    window_.reset();
}

void TestRobustness::openWindow(SettingsStore& store)
{
    window_ = std::make_unique<MainWindow>(store, readMetric(store), 1080);
    window_->setFileChooser([this](const MainWindow::FileRequest&) { return nextFile_; });
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    DataSet& ds = window_->dataSet();
    ds.setCell(1, ColWeight, QStringLiteral("2"));
    ds.setCell(2, ColGranules, QStringLiteral("40"));
    ds.calculateResults(0);
}

void TestRobustness::failedSaveIsReported_data()
{
    QTest::addColumn<bool>("fullDevice");
    QTest::newRow("read-only folder") << false;
    QTest::newRow("full disk") << true;
}

void TestRobustness::failedSaveIsReported()
{
    QFETCH(bool, fullDevice);
    openWindow(*store_);
    testing::ReadOnlyFolder folder;
    if (fullDevice) {
        nextFile_ = folder.filePath(QStringLiteral("full"));
        if (::mknod(QFile::encodeName(nextFile_).constData(), S_IFCHR | 0600, makedev(1, 7)) != 0) {
            QSKIP("only root may make device nodes");
        }
    } else {
        nextFile_ = folder.filePath(QStringLiteral("set.csv"));
        if (const QString why = folder.lock(); !why.isEmpty()) {
            QSKIP(qPrintable(why));
        }
    }
    const QStringList entries = folder.entries();
    const QStringList before = allCells(window_->dataSet());

    BoxWatcher watcher;
    window_->saveDataSet();
    const QStringList entriesAfter = folder.entries();
    folder.unlock();
    QCOMPARE(entriesAfter, entries);
    QCOMPARE(watcher.boxes.size(), 1);
    const QString reason = fullDevice ? QStringLiteral("No space left on device") : QString();
    QVERIFY2(watcher.boxes[0].startsWith(
                 boxText(QMessageBox::Critical, datafile::saveErrorMessage(reason))),
             qPrintable(watcher.boxes[0]));
    QCOMPARE(allCells(window_->dataSet()), before);
    QVERIFY(window_->saveButton()->isEnabled());
}

void TestRobustness::replacedCharactersToldOnce_data()
{
    QTest::addColumn<QStringList>("texts"); // agency, sprayer, product
    QTest::addColumn<QByteArray>("agencyLine");
    QTest::addColumn<bool>("told");

    QTest::newRow("code page only")
        << QStringList{"é ü ñ ° ² µ € „ ‰ Œ ™", "Ärger ß", "½ × ÷"}
        << QByteArray("Agency:,,\xe9 \xfc \xf1 \xb0 \xb2 \xb5 \x80 \x84 \x89 \x8c \x99") << false;
    QTest::newRow("one character") << QStringList{"Ω", "", ""} << QByteArray("Agency:,,?") << true;
    // A character beyond the basic plane is two UTF-16 units but one "?".
    QTest::newRow("many, in every field")
        << QStringList{"Ω中\U0001F600\U0001F600x", "中文", "\U0001F33E ok"}
        << QByteArray("Agency:,,????x") << true;
}

void TestRobustness::replacedCharactersToldOnce()
{
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, agencyLine);
    QFETCH(bool, told);

    openWindow(*store_);
    for (qsizetype i = 0; i < kTextFields.size(); ++i) {
        paste(*window_, kTextFields[i], texts[i]);
        QCOMPARE(window_->dataSet().fieldText(kTextFields[i]), texts[i]);
    }
    nextFile_ = dir_->filePath(QStringLiteral("names.csv"));
    BoxWatcher watcher;
    window_->saveDataSet();
    const QString replaced =
        boxText(QMessageBox::Information,
                QStringLiteral("Some characters of the names cannot be stored in the data-set "
                               "file and were written as \"?\"."));
    QCOMPARE(watcher.boxes, told ? QStringList{replaced} : QStringList{});
    QVERIFY(fileBytes(nextFile_).contains("\r\n" + agencyLine + "\r\n"));
}

void TestRobustness::longTexts()
{
    openWindow(*store_);
    QString text;
    while (text.size() < 10000) {
        text += QStringLiteral("Zürich – 50 µm, \"fine\"; %1 ").arg(text.size());
    }
    // The typed end stays ASCII: key clicks carry no other characters.
    text = text.left(9990) + QStringLiteral("typed end.");
    for (Field f : kTextFields) {
        // Most of it pasted, the rest typed.
        paste(*window_, f, text.left(9990));
        QLineEdit* edit = window_->parameterPages()->field(f);
        edit->setFocus();
        QCoreApplication::processEvents();
        edit->end(false);
        QTest::keyClicks(edit, text.right(10));
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(window_->dataSet().fieldText(f), text);
    }

    nextFile_ = dir_->filePath(QStringLiteral("long.csv"));
    BoxWatcher watcher;
    window_->saveDataSet();
    window_->dataSet().clearDataSet({});
    window_->loadDataSet();
    QCOMPARE(watcher.boxes, QStringList{});
    for (Field f : kTextFields) {
        QCOMPARE(window_->dataSet().fieldText(f), text);
        QCOMPARE(window_->parameterPages()->field(f)->text(), text);
    }

    // The report's first page shows the texts; they may run off the paper, but quickly.
    const report::ReportInputs inputs{window_->dataSet(), {}};
    QElapsedTimer timer;
    timer.start();
    graphics::RecordingSurface recording(816, 1056, 96);
    QVERIFY(report::printReport(recording, false, 1, inputs));
    QVERIFY(recording.findText(text));
    QImage paper(816, 1056, QImage::Format_RGB32);
    {
        graphics::PainterSurface painted(paper);
        QVERIFY(report::printReport(painted, false, 1, inputs));
    }
    QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
}

void TestRobustness::startsFromUnusableSettings_data()
{
    QTest::addColumn<Settings>("kind");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("warning"); // when the window closes, after the file's name

    const QString notWritten = "could not write settings file %1";
    QTest::newRow("random bytes") << Settings::RandomBytes << false << QString();
    QTest::newRow("random bytes, read-only folder") << Settings::RandomBytes << true << notWritten;
    QTest::newRow("one huge line") << Settings::HugeLine << false << QString();
    QTest::newRow("invalid UTF-8") << Settings::InvalidUtf8 << false << QString();
    QTest::newRow("nonsense values") << Settings::Nonsense << false << QString();
    QTest::newRow("folder in place of the file") << Settings::FolderInPlace << false << notWritten;
    QTest::newRow("read-only folder") << Settings::None << true << notWritten;
}

void TestRobustness::startsFromUnusableSettings()
{
    QFETCH(Settings, kind);
    QFETCH(bool, readOnly);
    QFETCH(QString, warning);

    testing::ReadOnlyFolder folder;
    const QString path = folder.filePath(QStringLiteral("Pellamar.ini"));
    QByteArray content;
    switch (kind) {
    case Settings::RandomBytes: {
        QRandomGenerator random(7);
        for (int i = 0; i < 65536; ++i) {
            content.append(static_cast<char>(random.bounded(256)));
        }
        break;
    }
    case Settings::HugeLine:
        content = "[Settings]\nMetric=False" + QByteArray(4 << 20, '7');
        break;
    case Settings::InvalidUtf8:
        content = "[Settings]\nMetric=\xc3\x28\nSampler.Type=\xff\nSampler.Area=\xe2\x82\n"
                  "Sampler.Separation=1\xc0\xaf\nSampler.Pos1=\xed\xa0\x80\n"
                  "InitialDir=/\xfe\xff\n";
        break;
    case Settings::Nonsense:
        content = "[Settings]\nMetric=maybe\nSampler.Type=banana\nSampler.Area=inf\n"
                  "Sampler.Pos1=nan\nSampler.Separation=-0\n";
        break;
    case Settings::FolderInPlace:
        QVERIFY(QDir().mkpath(path));
        break;
    case Settings::None:
        break;
    }
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    if (const QString why = readOnly ? folder.lock() : QString(); !why.isEmpty()) {
        QSKIP(qPrintable(why));
    }

    QElapsedTimer timer;
    timer.start();
    store_ = std::make_unique<IniSettingsStore>(path);
    openWindow(*store_);
    QVERIFY(timer.elapsed() < 3000);
    const DataSet& ds = window_->dataSet();
    QVERIFY(ds.metric());
    QCOMPARE(ds.parameters().openingType, std::uint8_t(0));
    QCOMPARE(ds.parameters().openingArea, 1.0f);
    QCOMPARE(ds.parameters().position1, 0.0f);
    QCOMPARE(ds.parameters().separation, 10.0f);
    QCOMPARE(ds.cell(1, ColDeposit).trimmed(), QStringLiteral("20.000"));

    BoxWatcher watcher;
    window_->close();
    QCOMPARE(watcher.boxes, warning.isEmpty()
                                ? QStringList{}
                                : QStringList{boxText(QMessageBox::Warning,
                                                      "The settings could not be saved:\n\n" +
                                                          warning.arg(path))});
    folder.unlock();
    if (warning.isEmpty()) {
        // What the window stored is read back on the next start.
        IniSettingsStore reread(path);
        QCOMPARE(readSamplerSettings(reread).separation, 10.0f);
        QVERIFY(readMetric(reread));
    }
}

QTEST_MAIN(TestRobustness)
#include "tst_robustness.moc"
