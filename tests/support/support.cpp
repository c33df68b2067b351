#include "support.h"

#include "core/numbers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace pellamar::testing {

namespace {

// Recorded pictures hold text widths, so every machine must measure with the same fonts: the
// report's family and the toolkit's default one come from the fonts beside the tests, whatever
// the system has installed.
void useBundledFonts()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    const QDir fonts(QStringLiteral(PELLAMAR_TEST_FONTS));
    for (const QString& file : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name))
        QFontDatabase::addApplicationFont(fonts.filePath(file));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Sans Serif"), QStringLiteral("DejaVu Sans"));
}
Q_COREAPP_STARTUP_FUNCTION(useBundledFonts)

void enterRows(DataSet& ds, const QList<SampleRow>& rows, int firstRow)
{
    ds.ensureDataRows(firstRow + static_cast<int>(rows.size()) - 1);
    int row = firstRow;
    for (const SampleRow& r : rows) enterRow(ds, row++, r);
    ds.calculateResults(0);
}

} // namespace

void enterRow(DataSet& ds, int row, const SampleRow& r)
{
    int column = ColWeight;
    for (const QString* text : {&r.weight, &r.granules, &r.larvae, &r.dead}) ds.setInput(row, column++, *text);
}

void enterParameters(DataSet& ds)
{
    Parameters& p = ds.parameters();
    p.agency = QStringLiteral("Vector Control, North");
    p.sprayer = QStringLiteral("AT-402");
    p.releaseHeight = 12.0f;
    p.swathWidth = 30.0f;
    p.met = {2.0f, 25.0f, 8.0f, 90.0f, kNotEntered};
    p.productName = QStringLiteral("Granule G");
    p.productRate = 11.2f;
    ds.setFieldText(Field::Agency, p.agency);
    ds.setFieldText(Field::Sprayer, p.sprayer);
    ds.setFieldText(Field::ProductName, p.productName);
    ds.setFieldText(Field::WindDirection, QStringLiteral("90.0"));
    ds.applyUnits();
    ds.setControlData({20, 2, 24.0f});
}

std::unique_ptr<DataSet> makeDataSet(bool metric, const QList<SampleRow>& rows, int firstRow)
{
    auto ds = std::make_unique<DataSet>(metric);
    ds->applyUnits();
    ds->clearDataSet({1, 0.1f, -10.0f, 10.0f});
    enterParameters(*ds);
    enterRows(*ds, rows, firstRow);
    return ds;
}

QList<SampleRow> fourPans() { return {{"1.5", "30", "20", "10"}, {"3", "60", "", ""}, {}, {"0.5", "12", "20", "4"}}; }

std::unique_ptr<DataSet> lineOfPans(const QList<SampleRow>& rows, float position1, float separation, bool metric,
                                    int firstRow)
{
    auto ds = std::make_unique<DataSet>(metric);
    ds->applyUnits();
    ds->clearDataSet({0, 1.0f, position1, separation});
    enterRows(*ds, rows, firstRow);
    return ds;
}

QList<SampleRow> weights(const QList<double>& grams)
{
    QList<SampleRow> rows;
    for (double g : grams) rows.append({QString::number(g), {}, {}, {}});
    return rows;
}

QList<SampleRow> bell(int pans)
{
    const double shape[] = {0.1, 0.5, 1, 2, 3, 3.5, 3, 2, 1, 0.5, 0.2, 0.1};
    QList<SampleRow> rows;
    for (int i = 0; i < pans; ++i) {
        rows.append({QString::number(shape[i % 12]), QString::number(30 * shape[(i + 2) % 12]), "100",
                     QString::number(i * 13 % 100)});
    }
    return rows;
}

QStringList snapshot(const DataSet& ds)
{
    const Parameters& p = ds.parameters();
    const ControlData& c = ds.controlData();
    QStringList s{ds.metric() ? "metric" : "us", p.agency, p.sprayer, p.productName};
    for (float v : {p.releaseHeight, p.swathWidth, float(p.openingType), p.openingArea, p.position1, p.separation,
                    p.met.height, p.met.airTemperature, p.met.windSpeed, p.met.windDirection, p.met.humidity,
                    p.productRate, float(c.larvae), float(c.dead), c.hours})
        s << numbers::formatRoundTrip(v);
    for (int f = 0; f < kFieldCount; ++f) s << ds.fieldText(static_cast<Field>(f));
    s << QString::number(ds.firstDataRow()) << QString::number(ds.lastDataRow());
    for (int r = 1; r <= ds.dataRowCount(); ++r) {
        for (int col = 0; col < kGridColumns; ++col) s << cellText(ds, r, col);
        for (float v : ds.result(r).v) s << numbers::formatRoundTrip(v);
    }
    return s;
}

QString shown(const DataSet& ds, int row, int column) { return cellText(ds, row, column); }

QByteArray readTestFile(const QString& name) { return fileBytes(QStringLiteral(PELLAMAR_TEST_DATA "/") + name); }

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

namespace {

QString describe(const graphics::DrawCall& call)
{
    using graphics::Op;
    static const char* const kOps[] = {"clear",  "line", "rectangle", "circle", "polygon",
                                       "pixels", "text", "page",      "end"};
    QStringList f{QString::fromLatin1(kOps[static_cast<int>(call.op)])};
    // Seven digits: a position to well under a printer dot, free of last-bit noise.
    for (double v : call.numbers) f << QString::number(v, 'g', 7);
    if (call.op == Op::Text) {
        f << u'"' + call.text + u'"' << call.font.family << QString::number(call.font.pointSize, 'g', 4)
          << QString::fromLatin1(call.font.bold ? "bold" : "-")
          << QString::fromLatin1(call.font.underline ? "underline" : "-");
    }
    if (call.color.isValid()) f << call.color.name();
    if (call.fillColor.isValid()) f << QStringLiteral("fill") << call.fillColor.name();
    if (call.op == Op::Rectangle && call.box == graphics::Box::Filled) f << QStringLiteral("filled");
    f << QStringLiteral("w%1").arg(call.lineWidth);
    return f.join(u' ');
}

} // namespace

QString comparePicture(const graphics::RecordingSurface& surface, const QString& name, const QStringList& notes)
{
    QStringList actual;
    for (const graphics::DrawCall& call : surface.calls()) actual << describe(call);
    for (const QString& note : notes) actual << "note " + note;
    const QString path = QStringLiteral(PELLAMAR_TEST_DATA "/pictures/") + name + ".txt";
    if (qEnvironmentVariableIntValue("PELLAMAR_UPDATE_PICTURES") == 1)
        return writeFile(path, (actual.join(u'\n') + u'\n').toUtf8()) ? QString() : "cannot write " + path;
    QStringList expected = QString::fromUtf8(fileBytes(path)).split(u'\n');
    expected.removeLast();
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const QString a = actual.value(i, QStringLiteral("(nothing)"));
        const QString e = expected.value(i, QStringLiteral("(nothing)"));
        if (a != e) return QStringLiteral("%1, call %2:\n  drawn    %3\n  expected %4").arg(name).arg(i + 1).arg(a, e);
    }
    return {};
}

QString crowdedTexts(const graphics::RecordingSurface& surface)
{
    const auto texts = surface.callsOf(graphics::Op::Text);
    const double down = surface.scaleHeight() > 0 ? 1.0 : -1.0; // text heights are lengths
    const auto box = [&](const graphics::DrawCall& c) {
        return QRectF(c.numbers[0], c.numbers[1], c.numbers[2], down * c.numbers[3]).normalized();
    };
    const QRectF all(surface.scaleLeft(), surface.scaleTop(), surface.scaleWidth(), surface.scaleHeight());
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = 0; j <= i; ++j)
            if (i == j ? !all.normalized().contains(box(texts[i])) : box(texts[i]).intersects(box(texts[j])))
                return texts[i].text + " / " + texts[j].text;
    return {};
}

} // namespace pellamar::testing
